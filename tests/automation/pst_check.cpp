// Runs pstcheck (through pst_expect.py, which recounts readpst's contacts
// sequentially when its parallel run disagrees), pststrict and our own
// checker, and parses the JSON report.
#include "pst_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>

#include "pst/verify/verify.h"

namespace quillonet::testing {

namespace {

QString Tool(const char* name) { return QStringLiteral(QUILLONET_SHARED_TOOLS "/") + QLatin1String(name); }

QString Text(const QJsonValue& value) { return value.isString() ? value.toString() : QString(); }

}  // namespace

const ReadFolder* PstReport::folder(const QString& path) const {
  for (const ReadFolder& f : folders) {
    if (f.path == path) return &f;
  }
  return nullptr;
}

QStringList PstReport::folderPaths() const {
  QStringList paths;
  for (const ReadFolder& f : folders) paths << f.path;
  return paths;
}

QStringList PstReport::displayNames(const QString& path) const {
  QStringList names;
  if (const ReadFolder* f = folder(path)) {
    for (const ReadContact& c : f->contacts) names << c.displayName;
  }
  names.sort();
  return names;
}

PstReport CheckPst(const QString& pstPath) {
  PstReport report;
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QUILLONET_SHARED_TOOLS"), QStringLiteral(QUILLONET_SHARED_TOOLS));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral("python3"), {QStringLiteral(QUILLONET_PST_EXPECT), QStringLiteral("report"), pstPath});
  if (!process.waitForFinished(600000)) {
    report.errors << QStringLiteral("pstcheck did not finish: ") + process.errorString();
    return report;
  }
  const QByteArray out = process.readAllStandardOutput();
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(out, &parseError);
  if (!document.isObject()) {
    report.errors << QStringLiteral("pstcheck gave no report (exit %1): %2")
                         .arg(process.exitCode())
                         .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    return report;
  }
  report.raw = document.object();
  report.ok = report.raw.value("ok").toBool() && process.exitCode() == 0;
  for (const QJsonValue& e : report.raw.value("errors").toArray()) report.errors << e.toString();
  report.displayName = Text(report.raw.value("store_display_name"));

  const QString top = Text(report.raw.value("ipm_subtree_path"));
  const QString prefix = (top.isEmpty() ? QStringLiteral("Top of Personal Folders") : top) + QLatin1Char('/');
  for (const QJsonValue& fv : report.raw.value("folders").toArray()) {
    const QJsonObject f = fv.toObject();
    const QString path = f.value("path").toString();
    if (!path.startsWith(prefix)) continue;
    ReadFolder folder;
    folder.path = path.mid(prefix.size());
    folder.containerClass = Text(f.value("container_class"));
    for (const QJsonValue& cv : f.value("contacts").toArray()) {
      const QJsonObject c = cv.toObject();
      ReadContact contact;
      contact.displayName = Text(c.value("display_name"));
      contact.givenName = Text(c.value("given_name"));
      contact.surname = Text(c.value("surname"));
      contact.body = Text(c.value("body"));
      for (const QJsonValue& e : c.value("emails").toArray()) contact.emails << e.toString();
      const QJsonObject phones = c.value("phones").toObject();
      for (auto it = phones.begin(); it != phones.end(); ++it) contact.phones[it.key()] = Text(it.value());
      folder.contacts.push_back(contact);
    }
    report.folders.push_back(folder);
  }
  const QJsonObject perFolder = report.raw.value("readpst").toObject().value("contacts_per_folder").toObject();
  for (auto it = perFolder.begin(); it != perFolder.end(); ++it) report.readpstContacts[it.key()] = it.value().toInt();
  return report;
}

QString StrictProblems(const QString& pstPath) {
  QString problems;
  QProcess process;
  process.start(Tool("pststrict"), {pstPath});
  if (!process.waitForFinished(600000)) {
    problems = QStringLiteral("pststrict did not finish\n");
  } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    problems = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
  }
  // Our own checker, an independent reader, must find nothing either.
  const auto own = pst::verify::checkFile(pstPath.toStdString());
  if (!own.clean()) problems += QStringLiteral("quillonet-pstverify:\n") + QString::fromStdString(own.text());
  return problems;
}

}  // namespace quillonet::testing

// Runs the oracle and parses its JSON report; runs the strict checker.
#include "tests/support/pst_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>

#include "tests/support/pst_checks.h"

namespace quillonet::test_support {

namespace {

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
  process.start(QStringLiteral("python3"),
                {QString::fromStdString(readbackScript().string()), QStringLiteral("report"), pstPath});
  if (!process.waitForFinished(600000)) {
    report.errors << QStringLiteral("pst_readback.py did not finish: ") + process.errorString();
    return report;
  }
  const QByteArray out = process.readAllStandardOutput();
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(out, &parseError);
  if (!document.isObject()) {
    report.errors << QStringLiteral("pst_readback.py gave no report (exit %1): %2")
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
  return QString::fromStdString(strictProblems(pstPath.toStdString()));
}

}  // namespace quillonet::test_support

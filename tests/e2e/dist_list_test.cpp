// Contact groups through quillonet-import: a vCard 4.0 group, an
// address-book-server group and a group with a member nobody has become
// distribution lists, read back by libpff, readpst and the strict checkers,
// and compared with a list Outlook made.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "card_tree.h"
#include "tests/support/pst_report.h"

namespace quillonet::testing {
namespace {

QString WriteCards(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(text.toUtf8());
  return QFileInfo(path).absoluteFilePath();
}

// The lists of a PST as dist_lists.py reads them with libpff.
QJsonObject ReadStore(const QString& pst) {
  QProcess process;
  process.start(QStringLiteral("python3"), {QStringLiteral(QUILLONET_DIST_LISTS_PY), pst});
  if (!process.waitForFinished(120000) || process.exitCode() != 0) {
    ADD_FAILURE() << "dist_lists.py " << pst.toStdString() << ": " << process.readAllStandardError().toStdString();
    return {};
  }
  return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QJsonArray ReadLists(const QString& pst) { return ReadStore(pst).value("lists").toArray(); }

QJsonObject ListNamed(const QJsonArray& lists, const QString& name) {
  for (const auto& list : lists) {
    if (list.toObject()["props"].toObject()["DisplayName"].toString() == name) return list.toObject();
  }
  ADD_FAILURE() << "no list named " << name.toStdString();
  return {};
}

// "contact:Name" for a member pointing at a contact, "one-off:Name <address>"
// otherwise, joined by "; ".
std::string Members(const QJsonObject& list, const char* array) {
  QStringList out;
  for (const auto& m : list[array].toArray()) {
    const QJsonObject member = m.toObject();
    if (member["kind"] == "contact") {
      out << "contact:" + member["contact"].toString();
    } else {
      out << QString("%1:%2 <%3>").arg(member["kind"].toString(), member["name"].toString(),
                                       member["address"].toString());
    }
  }
  return out.join("; ").toStdString();
}

const char kAnn[] = "6F1A2B3C-0000-4000-8000-00000000A001";
const char kBob[] = "6f1a2b3c-0000-4000-8000-00000000b002";
const char kCid[] = "6f1a2b3c-0000-4000-8000-00000000c003";
const char kNobody[] = "6f1a2b3c-0000-4000-8000-0000000dead0";

TEST(DistributionLists, GroupsBecomeListsWhateverTheirFileOrOrder) {
  QTemporaryDir dir;
  const QString root = dir.path() + "/Cards";
  // A contact read before the groups, the groups, the other contacts after them.
  const QString early = WriteCards(root + "/Early/cid.vcf", QString(
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cid Chen\r\nN:Chen;Cid;;;\r\nEMAIL;TYPE=INTERNET:cid@example.org\r\n"
      "UID:%1\r\nEND:VCARD\r\n").arg(kCid));
  const QString groups = WriteCards(root + "/Groups/groups.vcf", QString(
      "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Friends\r\nUID:urn:uuid:6f1a2b3c-0000-4000-8000-0000000f0001\r\n"
      "MEMBER:urn:uuid:%1\r\nMEMBER:urn:uuid:%2\r\nMEMBER:mailto:carol@example.org\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Team\r\nFN:Team\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"
      "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:%3\r\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:%1\r\nEND:VCARD\r\n")
      .arg(QString(kAnn).toLower(), kBob, kCid));
  const QString strangers = WriteCards(root + "/Groups/strangers.vcf", QString(
      "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Strangers\r\n"
      "MEMBER:urn:uuid:%1\r\nMEMBER:urn:uuid:%2\r\nEND:VCARD\r\n").arg(kNobody, kAnn));
  const QString people = WriteCards(root + "/People/people.vcf", QString(
      "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Archer\r\nN:Archer;Ann;;;\r\nEMAIL:ann@example.org\r\n"
      "UID:urn:uuid:%1\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bob Baker\r\nN:Baker;Bob;;;\r\nEMAIL;TYPE=work:bob@example.org\r\n"
      "UID:%2\r\nEND:VCARD\r\n").arg(kAnn, kBob));

  QProcess cli;
  cli.start(QStringLiteral(QUILLONET_BIN_DIR "/quillonet-import"),
            {"--dest", dir.path(), early, groups, strangers, people});
  ASSERT_TRUE(cli.waitForFinished(300000));
  const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
  const QStringList out = QString::fromLocal8Bit(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(cli.exitCode(), 0) << err.toStdString();
  ASSERT_FALSE(out.isEmpty());
  const QString pst = out.last();

  // Counted apart from the contacts; the missing member named with its list and file.
  EXPECT_TRUE(err.contains("3 contacts and 3 lists saved")) << err.toStdString();
  EXPECT_TRUE(err.contains("List members not found: 1 (named in the details).")) << err.toStdString();
  EXPECT_TRUE(err.contains(QString("List \"Strangers\" (%1): member urn:uuid:%2: no contact of this import has this UID")
                               .arg(strangers, kNobody)))
      << err.toStdString();

  const PstReport report = CheckPst(pst);
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(StrictProblems(pst), "");
  // People stay contacts; no group became one.
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(people)), (QStringList{"Ann Archer", "Bob Baker"}));
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(early)), QStringList{"Cid Chen"});
  EXPECT_TRUE(report.displayNames(CardTree::StoreFolderOf(groups)).isEmpty());

  const QJsonObject store = ReadStore(pst);
  const QJsonArray lists = store["lists"].toArray();
  ASSERT_EQ(lists.size(), 3);
  const QJsonObject friends = ListNamed(lists, "Friends");
  EXPECT_EQ(friends["folder"].toString().section('/', 1), CardTree::StoreFolderOf(groups));
  EXPECT_EQ(Members(friends, "members"),
            "contact:Ann Archer; contact:Bob Baker; one-off:carol@example.org <carol@example.org>");
  EXPECT_EQ(Members(friends, "one_offs"),
            "one-off:Ann Archer <ann@example.org>; one-off:Bob Baker <bob@example.org>; "
            "one-off:carol@example.org <carol@example.org>");
  EXPECT_EQ(Members(ListNamed(lists, "Team"), "members"), "contact:Cid Chen; contact:Ann Archer");
  EXPECT_EQ(Members(ListNamed(lists, "Strangers"), "members"), "contact:Ann Archer");

  // Outlook's own list: the same properties of the same types, the same
  // icon, file-as kind, member entry forms and checksum rule.
  const QJsonArray reference = ReadLists(QStringLiteral(QUILLONET_DIST_LIST_SAMPLE));
  ASSERT_EQ(reference.size(), 1);
  const QJsonObject outlook = reference[0].toObject();
  for (const auto& list : lists) {
    const QJsonObject ours = list.toObject();
    const QString name = ours["props"].toObject()["DisplayName"].toString();
    const QJsonObject types = ours["types"].toObject();
    const QJsonObject outlookTypes = outlook["types"].toObject();
    for (auto it = outlookTypes.begin(); it != outlookTypes.end(); ++it) {
      EXPECT_EQ(types[it.key()], it.value()) << name.toStdString() << " " << it.key().toStdString();
    }
    for (const char* same : {"MessageClass", "IconIndex", "FileUnderId", "MessageFlags"}) {
      EXPECT_EQ(ours["props"].toObject()[same], outlook["props"].toObject()[same]) << same;
    }
    for (const char* text : {"FileUnder", "DistributionListName", "ConversationTopic"}) {
      EXPECT_EQ(ours["props"].toObject()[text].toString(), name) << text;
    }
    EXPECT_EQ(ours["props"].toObject()["DistributionListChecksum"], ours["checksum_computed"]) << name.toStdString();
    const QJsonObject contact = ours["members"].toArray()[0].toObject();
    const QJsonObject outlookContact = outlook["members"].toArray()[0].toObject();
    EXPECT_EQ(contact["type"], outlookContact["type"]);
    EXPECT_EQ(contact["embedded_size"], outlookContact["embedded_size"]);
    EXPECT_EQ(contact["embedded_provider"], store["record_key"]);
    for (const auto& oneOff : ours["one_offs"].toArray()) {
      EXPECT_EQ(oneOff.toObject()["flags"], outlook["one_offs"].toArray()[0].toObject()["flags"]);
      EXPECT_EQ(oneOff.toObject()["trailing"], 0);
    }
  }
  EXPECT_EQ(outlook["props"].toObject()["DistributionListChecksum"], outlook["checksum_computed"]);
}

}  // namespace
}  // namespace quillonet::testing

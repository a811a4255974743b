// Files whose card boundaries or text encoding are traps (marker case, tabs,
// UTF-16 without a mark, joined exports, missing END lines, vCard 2.1 agents)
// and the sample exports: every card arrives as a contact with its fields,
// read back by libpff, and every file's cards are accounted for.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

#include "automation/in_process.h"
#include "card_tree.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "tests/support/pst_report.h"
#include "tests/support/qt_text.h"

namespace quillonet::testing {
namespace {

struct Person {
  QString name;   // given and surname, the display name
  QString email;  // empty for a sample read back by name only
  QString phone;  // business; empty when none
};

// A vCard 3.0 card of the person, with the given marker lines.
QByteArray Card(const Person& p, const QByteArray& begin = "BEGIN:VCARD", const QByteArray& end = "END:VCARD") {
  const QStringList parts = p.name.split(' ');
  QByteArray text = begin + "\r\nVERSION:3.0\r\nN:" + parts.last().toUtf8() + ";" + parts.first().toUtf8() +
                    ";;;\r\nFN:" + p.name.toUtf8() + "\r\nEMAIL;TYPE=INTERNET:" + p.email.toUtf8() + "\r\n";
  if (!p.phone.isEmpty()) text += "TEL;TYPE=WORK:" + p.phone.toUtf8() + "\r\n";
  if (!end.isEmpty()) text += end + "\r\n";
  return text;
}

QByteArray Utf16(const QByteArray& utf8, bool bigEndian, bool mark) {
  QByteArray bytes = mark ? QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2) : QByteArray();
  for (const QChar c : QString::fromUtf8(utf8)) {
    const char hi = static_cast<char>(c.unicode() >> 8), lo = static_cast<char>(c.unicode() & 0xFF);
    bytes.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
  }
  return bytes;
}

QByteArray Sample(const QString& name) {
  QFile file(QStringLiteral(QUILLONET_VCARD_SAMPLES "/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Trap {
  QString name;
  QByteArray bytes;
  std::vector<Person> cards;  // each one a contact
};

const Person kAnn{"Ann Upper", "ann@example.com", "+1 555 0101"};
const Person kBob{"Bob Lower", "bob@example.com", "+1 555 0102"};
const Person kCy{"Cy Mixed", "cy@example.com", ""};
const Person kZoe{QStringLiteral("Zo\u00eb M\u00fcller"), "zoe@example.de", "+49 30 5550"};
const Person kIvan{QStringLiteral("\u0418\u0432\u0430\u043d Petrov"), "ivan@example.ru", ""};

std::vector<Trap> Traps() {
  // The vCard 2.1 specification's AGENT example, inside its principal's card:
  // the principal's e-mail follows the agent's card.
  const QByteArray agent =
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Barb\r\nFN:Barb Boss\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
      "N:Friday;Fred\r\nTEL;WORK;VOICE:+1-213-555-1234\r\nTEL;WORK;FAX:+1-213-555-5678\r\nEND:VCARD\r\n"
      "EMAIL;INTERNET:barb@example.com\r\nTEL;WORK;VOICE:+1 555 0199\r\nEND:VCARD\r\n";
  const Person barb{"Barb Boss", "barb@example.com", "+1 555 0199"};
  const QByteArray bom("\xEF\xBB\xBF");
  std::vector<Trap> traps = {
      {"marker-case", Card(kAnn, "BEGIN:vCard", "END:vCard") + Card(kBob, "begin:vcard", "end:vcard") +
                          Card(kCy, "Begin:VCard", "End:VCard"),
       {kAnn, kBob, kCy}},
      {"single-lower-case", Card(kBob, "begin:vcard", "end:vcard"), {kBob}},
      {"tabs-around-markers",
       Card(kAnn, "\tBEGIN:VCARD", "END:VCARD\t") + Card(kBob, " BEGIN:VCARD \t", "\t END:VCARD"),
       {kAnn, kBob}},
      {"utf16le-without-mark", Utf16(Card(kZoe) + Card(kIvan), false, false), {kZoe, kIvan}},
      {"utf16be-without-mark", Utf16(Card(kZoe) + Card(kIvan) + Card(kAnn), true, false), {kZoe, kIvan, kAnn}},
      {"utf8-mark-per-part", bom + Card(kAnn) + bom + Card(kZoe) + Card(kBob) + bom + Card(kCy),
       {kAnn, kZoe, kBob, kCy}},
      {"utf16-mark-per-part", Utf16(Card(kZoe), false, true) + Utf16(Card(kIvan) + Card(kBob), false, true),
       {kZoe, kIvan, kBob}},
      {"end-missing-in-the-middle",
       Card(kAnn, "BEGIN:VCARD", "") + Card(kBob) + Card(kCy, "BEGIN:VCARD", "") + Card(kZoe),
       {kAnn, kBob, kCy, kZoe}},
      {"end-missing-at-the-end", Card(kAnn) + Card(kBob, "BEGIN:VCARD", ""), {kAnn, kBob}},
      {"single-end-missing", Card(kCy, "BEGIN:VCARD", ""), {kCy}},
      {"agent-2.1", agent + Card(kAnn), {barb, kAnn}},
      {"single-agent-2.1", agent, {barb}},
  };
  // The sample exports, each alone and all joined into one file.
  const std::vector<std::pair<const char*, std::vector<Person>>> samples = {
      {"android-2.1-quoted-printable.vcf", {{QStringLiteral("\u5f20\u4e09"), "zhang@example.cn", ""}}},
      {"apple-3.0-contacts.vcf", {{"John Appleseed", "", ""}}},
      {"evolution-3.0.vcf", {{"Ada Lovelace", "", ""}}},
      {"google-3.0-export.vcf", {{"Grace Hopper", "", ""}, {"noname@example.com", "noname@example.com", ""}}},
      {"kde-3.0-kaddressbook.vcf", {{"Konqi Dragon", "konqi@kde.example", ""}}},
      {"nokia-2.1-windows-1251-cr.vcf",
       {{QStringLiteral("\u0418\u0432\u0430\u043d \u0418\u0432\u0430\u043d\u043e\u0432"), "", ""}}},
      {"outlook-2.1-export.vcf", {{"Dr. Jane Q. Doe PhD", "", ""}}},
      {"readpst-3.0-output.vcf", {{"Doe, Jane", "jane@contoso.com", ""}}},
      {"rfc6350-4.0-data-uris.vcf", {{"Simon Perreault", "", ""}}},
      {"windows-utf16le-bom.vcf", {{QStringLiteral("J\u00fcrgen M\u00fcller"), "juergen@example.de", ""}}},
      {"rfc2426-3.0-authors.vcf", {{"Frank Dawson", "", ""}, {"Tim Howes", "howes@netscape.com", ""}}},
  };
  Trap joined{"samples-joined", QByteArray(), {}};
  for (const auto& [file, people] : samples) {
    traps.push_back({QString::fromLatin1(file).chopped(4), Sample(QString::fromLatin1(file)), people});
    if (QByteArray(file).startsWith("windows-utf16")) continue;  // a UTF-16 part would need a UTF-16 file
    joined.bytes += Sample(QString::fromLatin1(file));
    joined.cards.insert(joined.cards.end(), people.begin(), people.end());
  }
  traps.push_back(joined);
  return traps;
}

class QuietView : public ImportView {
 public:
  QString destination;
  QStringList messages;
  std::u16string BrowseForFolder(const std::u16string&) override { return destination.toStdU16String(); }
  void setCaption(Caption, const std::u16string&) override {}
  void setProgressMin(Bar, float) override {}
  void setProgressMax(Bar, float) override {}
  void setProgressValue(Bar, float) override {}
  void setImportEnabled(bool) override {}
  void processEvents() override {}
  void showMessage(const std::u16string&, const std::u16string& text, const std::u16string&) override {
    messages << QString::fromStdU16String(text);
  }
};

TEST(CardTraps, EveryCardArrivesAndEveryFileIsAccountedFor) {
  QTemporaryDir dir;
  const std::vector<Trap> traps = Traps();
  QStringList paths;
  for (const Trap& trap : traps) {
    ASSERT_FALSE(trap.bytes.isEmpty()) << trap.name.toStdString();
    const QString path = dir.path() + "/traps/" + trap.name + "/" + trap.name + ".vcf";
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(trap.bytes);
    paths << path;
  }
  // A file without a card is named, not counted as a success.
  const QString empty = dir.path() + "/traps/no-card.vcf";
  QFile::copy(QStringLiteral(QUILLONET_VCARD_SAMPLES "/no-card.vcf"), empty);
  paths << empty;

  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles listed(test_support::U(paths));
  ImportRun run(components, view, listed);
  run.CmdExtractDBX_Click();
  const RunOutcome& outcome = run.outcome();
  ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
  ASSERT_EQ(outcome.files.size(), traps.size() + 1);

  const PstReport report = CheckPst(test_support::Q(outcome.pstPath));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  std::int64_t cards = 0;
  for (std::size_t i = 0; i < traps.size(); ++i) {
    const Trap& trap = traps[i];
    SCOPED_TRACE(trap.name.toStdString());
    const FileResult& result = outcome.files[i];
    EXPECT_EQ(result.found, static_cast<std::int64_t>(trap.cards.size()));
    EXPECT_EQ(result.saved, result.found);
    EXPECT_EQ(result.saved + result.notImported, result.found);
    EXPECT_TRUE(result.complete()) << test_support::Q(result.reason).toStdString();
    cards += result.found;

    const ReadFolder* folder = report.folder(CardTree::StoreFolderOf(paths[static_cast<qsizetype>(i)]));
    ASSERT_NE(folder, nullptr);
    std::vector<ReadContact> read = folder->contacts;
    std::vector<Person> expected = trap.cards;
    std::sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.displayName < b.displayName; });
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t k = 0; k < read.size(); ++k) {
      EXPECT_EQ(read[k].displayName, expected[k].name);
      if (!expected[k].email.isEmpty()) {
        EXPECT_TRUE(read[k].emails.contains(expected[k].email)) << read[k].emails.join(", ").toStdString();
      }
      if (!expected[k].phone.isEmpty()) {
        EXPECT_EQ(read[k].phones.value("business"), expected[k].phone);
      }
    }
  }
  const FileResult& none = outcome.files.back();
  EXPECT_EQ(none.found + none.saved + none.notImported, 0);
  EXPECT_TRUE(none.failed);
  EXPECT_EQ(outcome.contactsSaved, cards);
  ASSERT_EQ(view.messages.size(), 1);
  EXPECT_TRUE(view.messages[0].contains(QString("%1 contacts saved").arg(cards))) << view.messages[0].toStdString();
  EXPECT_TRUE(view.messages[0].contains(empty + ": not imported (holds no vCard)")) << view.messages[0].toStdString();

  // quillonet-import says the same on stderr, and that not all went in.
  QProcess cli;
  cli.start(QStringLiteral(QUILLONET_BIN_DIR "/quillonet-import"), QStringList{"--dest", dir.path()} + paths);
  ASSERT_TRUE(cli.waitForFinished(600000));
  const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
  EXPECT_EQ(cli.exitCode(), 3) << err.toStdString();
  EXPECT_TRUE(err.contains(QString("%1 contacts saved").arg(cards))) << err.toStdString();
  EXPECT_TRUE(err.contains(empty + ": not imported (holds no vCard)")) << err.toStdString();
}

}  // namespace
}  // namespace quillonet::testing

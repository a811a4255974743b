// The import run over the real automation layer, for the cases the command
// line cannot set up: files that vanish after listing or cannot be read, an
// empty list, the window's second click and close request.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

#include "automation/in_process.h"
#include "card_tree.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "tests/support/pst_report.h"
#include "tests/support/qt_text.h"

namespace quillonet::testing {
namespace {

class QuietView : public ImportView {
 public:
  QString destination;
  std::function<void()> onYield;
  std::vector<std::pair<QString, QString>> messages;

  std::u16string BrowseForFolder(const std::u16string&) override { return destination.toStdU16String(); }
  void setCaption(Caption, const std::u16string&) override {}
  void setProgressMin(Bar, float) override {}
  void setProgressMax(Bar, float) override {}
  void setProgressValue(Bar, float) override {}
  void setImportEnabled(bool) override {}
  void processEvents() override {
    if (onYield) onYield();
  }
  void showMessage(const std::u16string& caption, const std::u16string& text, const std::u16string&) override {
    messages.emplace_back(QString::fromStdU16String(caption), QString::fromStdU16String(text));
  }
};

TEST(ImportRealRun, VanishedFileIsReportedAndLeavesNoEmptyContact) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString kept = tree.addFile("a.vcf", 2, "\r\n");
  const QString gone = tree.addFile("gone.vcf", 3, "\r\n");
  const QString single = tree.addFile("b.vcf", 1, "\r\n");
  QFile::remove(gone);

  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles files(test_support::U(QStringList{kept, gone, single}));
  ImportRun run(components, view, files);
  run.CmdExtractDBX_Click();

  const RunOutcome& outcome = run.outcome();
  ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_EQ(outcome.contactsSaved, 3);
  EXPECT_EQ(outcome.filesFailed, 1);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_TRUE(view.messages[0].second.contains("Could not be imported: 1 file.")) << view.messages[0].second.toStdString();
  EXPECT_TRUE(profile.stores().empty());

  const PstReport report = CheckPst(test_support::Q(outcome.pstPath));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(kept)),
            (QStringList{"Given1 Surname1", "Given2 Surname2", "Given6 Surname6"}));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray Utf16LE(const QString& text) {
  return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// Two hundred bad files of every kind among good ones, in one run: nothing
// crashes, every complete card lands, the file is sound, and the completion
// message counts what could not be imported.
TEST(ImportRealRun, TwoHundredBadFilesAmongGoodOnesLoseNoGoodCard) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QByteArray ends[] = {"\r\n", "\n", "\r"};
  QStringList files;
  for (int f = 0; f < 10; ++f) files << tree.addFile(QString("good/g%1/f%2.vcf").arg(f % 3).arg(f), 1 + f % 4, ends[f % 3]);

  const QString bad = dir.path() + "/c/bad";
  QDir().mkpath(bad);
  std::mt19937 random(7);
  QStringList rescued;  // complete cards ahead of a cut one
  QStringList vanishing;
  int surelyFailing = 0;  // files that cannot give a single card
  const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Last;First\r\nFN:First Last\r\nEND:VCARD\r\n";
  for (int i = 0; i < 200; ++i) {
    const QString path = bad + QString("/bad%1.vcf").arg(i);
    QByteArray bytes;
    switch (i % 10) {
      case 0:  // binary garbage
        for (int b = 0; b < 20000; ++b) bytes += static_cast<char>(random());
        ++surelyFailing;
        break;
      case 1:  // NUL bytes, alone and inside a card
        bytes = i % 20 == 1 ? QByteArray(5000, '\0') : QByteArray(card).replace("First Last", QByteArray("Fi\0rst", 6));
        if (i % 20 == 1) ++surelyFailing;
        break;
      case 2: {  // complete cards, then one cut off
        const QString name = QString("Rescued%1").arg(i);
        bytes = QByteArray(card).replace("First Last", name.toUtf8()) + card.left(30 + i % 25);
        rescued << name;
        break;
      }
      case 3:  // a 10 MB line: a card's note, or no card at all
        if (i == 3) {
          bytes = "BEGIN:VCARD\r\nFN:Long Note\r\nNOTE:" + QByteArray(10 << 20, 'x') + "\r\nEND:VCARD\r\n";
        } else {
          bytes = i == 13 ? QByteArray(10 << 20, 'z') : QByteArray(64, 'y');
          ++surelyFailing;
        }
        break;
      case 4:  // lone BEGIN or END lines
        bytes = i % 20 == 4 ? "BEGIN:VCARD\r\n" : "END:VCARD\r\nEND:VCARD\r\n";
        ++surelyFailing;
        break;
      case 5:  // gone before the run reads it
        bytes = card;
        vanishing << path;
        ++surelyFailing;
        break;
      case 6:  // unreadable: no permissions (a root run can still read the
               // garbage inside), or a folder with a vCard file's name
        if (i % 20 == 6) {
          QDir().mkpath(path);
        } else {
          bytes = "\x01\x02 not a card";
        }
        ++surelyFailing;
        break;
      case 7:  // UTF-16 without its byte-order mark
        bytes = Utf16LE(QString::fromLatin1(card));
        break;
      case 8:  // empty, or blank lines only
        bytes = i % 20 == 8 ? QByteArray() : QByteArray("\r\n \r\n\t\r\n");
        ++surelyFailing;
        break;
      case 9:  // nested and unbalanced cards
        bytes = "BEGIN:VCARD\r\nBEGIN:VCARD\r\nFN:Nested\r\nEND:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\n";
        break;
    }
    if (!QFileInfo(path).isDir()) {
      WriteBytes(path, bytes);
      if (i % 10 == 6) QFile::setPermissions(path, QFileDevice::Permissions());
    }
    files << path;
  }
  // Good and bad files interleaved, as a user's selection would be.
  std::shuffle(files.begin(), files.end(), random);
  for (const QString& path : vanishing) QFile::remove(path);

  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles listed(test_support::U(files));
  ImportRun run(components, view, listed);
  run.CmdExtractDBX_Click();

  const RunOutcome& outcome = run.outcome();
  ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_TRUE(outcome.storeRemoved);
  EXPECT_GE(outcome.filesFailed + outcome.cardsFailed, surelyFailing);
  ASSERT_EQ(view.messages.size(), 1u);
  const QString& text = view.messages[0].second;
  EXPECT_TRUE(text.contains(QString("Could not be imported: %1 files").arg(outcome.filesFailed))) << text.toStdString();
  if (outcome.cardsFailed > 0) {
    EXPECT_TRUE(text.contains(QString("%1 card").arg(outcome.cardsFailed))) << text.toStdString();
  }
  EXPECT_TRUE(text.contains(QString("%1 contacts saved").arg(outcome.contactsSaved))) << text.toStdString();

  const PstReport report = CheckPst(test_support::Q(outcome.pstPath));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  ExpectContacts(report, tree);
  const QStringList fromBad = report.displayNames(CardTree::StoreFolderOf(bad + "/x.vcf"));
  for (const QString& name : rescued) EXPECT_TRUE(fromBad.contains(name)) << name.toStdString();
  // The card after a stray BEGIN, the card with NULs without them, the
  // UTF-16 card, and the cut cards as they stand (4 of them were cut after
  // their N line); never an empty contact.
  EXPECT_EQ(fromBad.count("Nested"), 20);
  EXPECT_EQ(fromBad.count("First"), 10);
  EXPECT_EQ(fromBad.count("First Last"), 20 + 4);
  // Every file's cards are accounted for: saved, or named as not imported.
  for (const FileResult& file : outcome.files) {
    EXPECT_EQ(file.saved + file.notImported, file.found) << test_support::Q(file.path).toStdString();
    EXPECT_EQ(file.complete(), file.reason.empty()) << test_support::Q(file.path).toStdString();
  }
  EXPECT_FALSE(fromBad.contains(QString())) << fromBad.join(", ").toStdString();
  qint64 stored = 0;
  for (const ReadFolder& folder : report.folders) stored += static_cast<qint64>(folder.contacts.size());
  EXPECT_EQ(stored, outcome.contactsSaved);
  EXPECT_EQ(StrictProblems(test_support::Q(outcome.pstPath)), "");
}

TEST(ImportRealRun, EmptyListLeavesAValidStoreInTheProfile) {
  QTemporaryDir dir;
  QString pst;
  {
    automation::Profile profile;
    automation::InProcessComponents components(profile);
    QuietView view;
    view.destination = dir.path();
    ListedFiles files({});
    ImportRun run(components, view, files);
    run.CmdExtractDBX_Click();
    ASSERT_EQ(run.outcome().status, RunOutcome::Status::SetupFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "Outlook Error");
    ASSERT_EQ(profile.stores().size(), 1u);  // nothing is undone
    pst = test_support::Q(run.outcome().pstPath);
  }
  // The profile's end completed the file.
  const PstReport report = CheckPst(pst);
  EXPECT_TRUE(report.ok) << report.errors.join("; ").toStdString();
}

TEST(ImportRealRun, CloseRequestEndsAfterTheCurrentCardWithACompleteFile) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString many = tree.addFile("many.vcf", 50, "\n");
  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles files(test_support::U(QStringList{many, tree.addFile("later.vcf", 1, "\n")}));
  ImportRun run(components, view, files);
  int yields = 0;
  view.onYield = [&] {
    // Past the card count (a yield a line), in the middle of the cards.
    if (++yields == 900) run.requestStop();
    if (yields == 901) run.CmdExtractDBX_Click();  // a second click is ignored
  };
  run.CmdExtractDBX_Click();
  ASSERT_EQ(run.outcome().status, RunOutcome::Status::Stopped);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(run.outcome().storeRemoved);
  const qint64 saved = run.outcome().contactsSaved;
  EXPECT_GT(saved, 0);
  EXPECT_LT(saved, 50);
  const PstReport report = CheckPst(test_support::Q(run.outcome().pstPath));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(many)).size(), saved);
}

}  // namespace
}  // namespace quillonet::testing

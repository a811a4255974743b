// The import run against the recording stand-in: names, call order, the
// three failure regimes, counters, captions and progress, card files.
#include <gtest/gtest.h>

#include <thread>

#include <chrono>

#include <atomic>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fake_automation.h"
#include "import/failures.h"
#include "import/import_run.h"
#include "import/store_folders.h"
#include "import/time_stamp.h"
#include "recording_view.h"
#include "util/registry.h"

namespace quillonet {
namespace {

using testing::FakeComponents;
using testing::FakeWorld;
using testing::RecordingView;
using testing::VectorFileList;
using testing::Q;
using testing::U;
using test_support::At;

const QString kStamp = QStringLiteral("7.12.26 9.5.03");
const QString kDisplayName = QStringLiteral("Marlix Contacts : Created - 7.12.26 9.5.03");

QByteArray Card(const QByteArray& name, const QByteArray& end = "\r\n") {
  return "BEGIN:VCARD" + end + "VERSION:3.0" + end + "FN:" + name + end + "END:VCARD" + end;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class ImportRunTest : public ::testing::Test {
 protected:
  QString write(const QString& relative, const QByteArray& bytes) {
    const QString path = dir.path() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  // The store folder a listed file goes to.
  std::shared_ptr<testing::FakeFolder> folderOf(const testing::FakeStore& store, const QString& path) {
    return store.root->find(Q(GetRelativeFolder(U(path))));
  }
  QStringList namesIn(const testing::FakeFolder& folder) {
    QStringList names;
    for (const auto& item : folder.items) {
      const qsizetype at = item->importedContent.indexOf("FN:");
      names << QString::fromLatin1(item->importedContent.mid(at + 3, item->importedContent.indexOf('\r', at) - at - 3));
    }
    return names;
  }
  void run() {
    ImportRun importRun(components, view, files, clock);
    importRun.CmdExtractDBX_Click();
    outcome = importRun.outcome();
  }

  QTemporaryDir dir;
  FakeWorld world;
  FakeComponents components{world};
  RecordingView view;
  VectorFileList files;
  int clockReads = 0;
  ImportRun::Clock clock = [this] {
    ++clockReads;
    return At(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)));
  };
  RunOutcome outcome;
};

TEST(ImportTimeStamp, Pattern) {
  EXPECT_EQ(TimeStamp(At(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)))), u"7.12.26 9.5.03");
  EXPECT_EQ(TimeStamp(At(QDateTime(QDate(2027, 1, 1), QTime(23, 59, 7)))), u"1.1.27 23.59.07");
  EXPECT_EQ(TimeStamp(At(QDateTime(QDate(2005, 10, 31), QTime(0, 0, 0)))), u"31.10.05 0.0.00");
}

TEST_F(ImportRunTest, CancelledPromptDoesNothing) {
  files.set({write("Cards/a.vcf", Card("A"))});
  view.destination.clear();
  run();
  EXPECT_EQ(outcome.status, RunOutcome::Status::Cancelled);
  EXPECT_EQ(view.promptTitles, QStringList{"Choose Folder to Save..."});
  EXPECT_TRUE(world.calls.isEmpty());
  EXPECT_TRUE(view.events.isEmpty());
}

TEST_F(ImportRunTest, StoreNamesAndSeparator) {
  files.set({write("Cards/a.vcf", Card("A"))});
  view.destination = "/out";
  run();
  EXPECT_EQ(world.callsStartingWith("Stores.AddPSTStore"),
            QStringList{"Stores.AddPSTStore(/out/MarlixContacts" + kStamp + ".pst, 1, " + kDisplayName + ")"});
  EXPECT_EQ(clockReads, 2);  // read once for each name
  EXPECT_EQ(Q(outcome.pstPath), "/out/MarlixContacts" + kStamp + ".pst");

  FakeWorld rootWorld;
  FakeComponents rootComponents(rootWorld);
  view.destination = "D:\\";
  ImportRun rootRun(rootComponents, view, files, clock);
  rootRun.CmdExtractDBX_Click();
  EXPECT_EQ(Q(rootRun.saveFolder()), "D:\\");
  EXPECT_EQ(Q(rootRun.outcome().pstPath), "D:\\MarlixContacts" + kStamp + ".pst");
}

TEST_F(ImportRunTest, WholeRunInOrderWithCaptionsAndProgress) {
  const QString a = write("Cards/Work/a.vcf", Card("Ann"));
  const QString b = write("Cards/b.vcf", Card("Bob") + Card("Cy") + Card("Di"));
  const QString c = write("Cards/Work/c.vcf", Card("Ed"));
  files.set({a, b, c});
  view.destination = "/out";
  run();

  ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_EQ(outcome.contactsSaved, 5);
  EXPECT_EQ(outcome.filesFailed + outcome.cardsFailed, 0);
  ASSERT_EQ(world.removed.size(), 1u);
  EXPECT_TRUE(world.profile.empty());
  const testing::FakeStore& store = *world.removed[0];
  EXPECT_EQ(namesIn(*folderOf(store, a)), (QStringList{"Ann", "Ed"}));
  EXPECT_EQ(namesIn(*folderOf(store, b)), (QStringList{"Bob", "Cy", "Di"}));

  // Set-up, then one lookup by path per whole file and per card, then tear-down.
  const QStringList head = world.calls.mid(0, 5);
  EXPECT_EQ(head, (QStringList{"CreateRDOSession", "Session.Logon", "Session.Stores",
                               world.callsStartingWith("Stores.AddPSTStore")[0], "Store.EntryID"}));
  EXPECT_EQ(world.calls.mid(world.calls.size() - 2), (QStringList{"Store.Remove", "Session.Logoff"}));
  const QString workPath = "\\\\" + kDisplayName + "\\" + Q(GetRelativeFolder(U(a)));
  const QString cardsPath = "\\\\" + kDisplayName + "\\" + Q(GetRelativeFolder(U(b)));
  EXPECT_EQ(world.callsStartingWith("Session.GetFolderFromPath"),
            (QStringList{"Session.GetFolderFromPath(" + workPath + ")", "Session.GetFolderFromPath(" + cardsPath + ")",
                         "Session.GetFolderFromPath(" + cardsPath + ")", "Session.GetFolderFromPath(" + cardsPath + ")",
                         "Session.GetFolderFromPath(" + workPath + ")"}));
  // A whole file is imported from itself; cards from their card files.
  const QString temp = QString::fromStdU16String(GetTempFolderPath());
  EXPECT_EQ(world.callsStartingWith("Item.Import"),
            (QStringList{"Item.Import(" + a + ", 6)", "Item.Import(" + temp + "vCard1.vcf, 6)",
                         "Item.Import(" + temp + "vCard2.vcf, 6)", "Item.Import(" + temp + "vCard3.vcf, 6)",
                         "Item.Import(" + c + ", 6)"}));
  EXPECT_EQ(folderOf(store, b)->items[1]->importedContent, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cy\r\nEND:VCARD\r\n");
  EXPECT_TRUE(QDir(temp).entryList({"vCard*.vcf"}).isEmpty()) << "card files are removed after use";

  EXPECT_EQ(view.bar1Values, (std::vector<float>{100.0f / 3, 200.0f / 3, 100.0f}));
  EXPECT_EQ(view.events.mid(0, 4), (QStringList{"min 0 = 0", "max 0 = 100", "min 1 = 0", "max 1 = 100"}));
  EXPECT_EQ(view.last(Caption::FrameConversion), "Details : Converting - (3 of 3) file(s)");
  EXPECT_EQ(view.captions[Caption::LblCurrentDBX].first(),
            "Importing Contacts... from (" + Q(GetRelativeFolder(U(a))) + ")");
  EXPECT_EQ(view.captions[Caption::LblProgessCurrent],
            (QStringList{"Contact 1 (of 3)", "Contact 2 (of 3)", "Contact 3 (of 3)"}));
  EXPECT_TRUE(view.events.contains("import enabled 0"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].caption, "Marlix Quillonet Pro");
  EXPECT_TRUE(view.messages[0].text.contains("5 contacts")) << view.messages[0].text.toStdString();
  EXPECT_TRUE(view.messages[0].text.contains(outcome.pstPath));
  EXPECT_EQ(files.row, 2);
}

TEST_F(ImportRunTest, WindowsPathsGoToTheirFoldersOnEveryDrive) {
  files.set({"C:\\Cards\\Work\\a.vcf", " D:\\Cards\\b.vcf "});
  view.destination = "C:\\Out";
  run();
  EXPECT_EQ(Q(outcome.pstPath), "C:\\Out\\MarlixContacts" + kStamp + ".pst");
  EXPECT_EQ(world.removed[0]->root->tree(), (QStringList{"Cards", "Cards\\Work"}));
  EXPECT_EQ(world.callsStartingWith("Session.GetFolderFromPath"),
            (QStringList{"Session.GetFolderFromPath(\\\\" + kDisplayName + "\\Cards\\Work)",
                         "Session.GetFolderFromPath(\\\\" + kDisplayName + "\\Cards)"}));
  // The trimmed path is counted and imported.
  EXPECT_TRUE(world.calls.contains("Item.Import(D:\\Cards\\b.vcf, 6)"));
  EXPECT_EQ(outcome.filesFailed, 2);  // neither file exists here
  EXPECT_EQ(view.captions[Caption::LblCurrentDBX],
            (QStringList{"Importing Contacts... from (Cards\\Work)", "Importing Contacts... from (Cards)"}));
}

TEST_F(ImportRunTest, SplitFileCaptionCountsListedFilesPlusCards) {
  QStringList paths;
  for (int i = 0; i < 3; ++i) paths << write(QString("Cards/%1.vcf").arg(i), Card("One"));
  paths << write("Cards/three.vcf", "junk\r\n" + Card("A") + Card("B") + Card("C") + "trailer\r\n");
  files.set(paths);
  view.destination = "/out";
  run();
  const QStringList frames = view.captions[Caption::FrameConversion];
  ASSERT_GE(frames.size(), 2);
  EXPECT_EQ(frames[frames.size() - 2], "Details : Converting - (4 of 7) file(s)");
  EXPECT_EQ(frames.last(), "Details : Converting - (4 of 4) file(s)");
}

TEST_F(ImportRunTest, SecondSplitFileReusesCardFileNames) {
  const QString first = write("Cards/first.vcf", Card("A1") + Card("A2") + Card("A3"));
  const QString second = write("Cards/second.vcf", Card("B1") + Card("B2"));
  const QString temp = QString::fromStdU16String(GetTempFolderPath());
  WriteFile(temp + "vCard1.vcf", "stale card file of an earlier run");
  files.set({first, second});
  view.destination = "/out";
  run();
  QStringList imported;
  for (const char* n : {"1", "2", "3", "1", "2"}) imported << "Item.Import(" + temp + "vCard" + n + ".vcf, 6)";
  EXPECT_EQ(world.callsStartingWith("Item.Import"), imported);
  // Each item took its card as the card file held it at the time.
  const auto folder = folderOf(*world.removed[0], first);
  EXPECT_EQ(namesIn(*folder), (QStringList{"A1", "A2", "A3", "B1", "B2"}));
  EXPECT_EQ(folder->items[3]->importedContent, Card("B1"));
  EXPECT_TRUE(QDir(temp).entryList({"vCard*.vcf"}).isEmpty());
}

TEST_F(ImportRunTest, LfAndCrOnlyFilesAreSplitToo) {
  const QString lf = write("Cards/lf.vcf", Card("L1", "\n") + Card("L2", "\n"));
  const QString cr = write("Cards/cr.vcf", Card("C1", "\r") + Card("C2", "\r") + Card("C3", "\r"));
  files.set({lf, cr});
  view.destination = "/out";
  run();
  EXPECT_EQ(namesIn(*folderOf(*world.removed[0], lf)), (QStringList{"L1", "L2", "C1", "C2", "C3"}));
}

TEST_F(ImportRunTest, ByteOrderMarkIsKeptOnEveryCardFile) {
  const QString path = write("Cards/bom.vcf", "\xEF\xBB\xBF" + Card("First") + Card("Second"));
  files.set({path});
  view.destination = "/out";
  run();
  const auto folder = folderOf(*world.removed[0], path);
  ASSERT_EQ(folder->items.size(), 2u);
  EXPECT_EQ(folder->items[0]->importedContent, "\xEF\xBB\xBF" + Card("First"));
  EXPECT_EQ(folder->items[1]->importedContent, "\xEF\xBB\xBF" + Card("Second"));
}

TEST_F(ImportRunTest, SetupFailuresShowTheOutlookErrorAndUndoNothing) {
  const QString good = write("Cards/a.vcf", Card("A"));
  struct Case {
    const char* name;
    QStringList rows;
    QString failing;
    bool storeAdded;
  };
  const std::vector<Case> cases = {
      {"empty list", {}, {}, true},
      {"logon", {good}, "Session.Logon", false},
      {"store creation", {good}, "Stores.AddPSTStore", false},
  };
  for (const Case& c : cases) {
    FakeWorld caseWorld;
    FakeComponents caseComponents(caseWorld);
    if (!c.failing.isEmpty()) caseWorld.failCalls(c.failing);
    RecordingView caseView;
    caseView.destination = "/out";
    files.set(c.rows);
    ImportRun importRun(caseComponents, caseView, files, clock);
    importRun.CmdExtractDBX_Click();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(importRun.outcome().status, RunOutcome::Status::SetupFailed);
    ASSERT_EQ(caseView.messages.size(), 1u);
    EXPECT_EQ(caseView.messages[0].caption, "Outlook Error");
    EXPECT_EQ(caseView.messages[0].text,
              "Outlook Session Creation Error !\r\nCheck if Outlook is installed and configured.\r\n"
              "For more details visit this link : https://support.microsoft.com/outlook");
    EXPECT_FALSE(caseView.messages[0].details.isEmpty());
    EXPECT_EQ(caseWorld.profile.size(), c.storeAdded ? 1u : 0u);  // an added store stays in the profile
    EXPECT_TRUE(caseWorld.callsStartingWith("Store.Remove").isEmpty());
    EXPECT_TRUE(caseWorld.callsStartingWith("Session.Logoff").isEmpty());
    EXPECT_FALSE(caseView.events.join(",").contains("import enabled"));
  }
}

TEST_F(ImportRunTest, AFileInARootFolderIsNamedAndTheOthersImport) {
  const QString good = write("Cards/a.vcf", Card("A"));
  files.set({"C:\\root.vcf", good});
  view.destination = "/out";
  run();
  EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_EQ(outcome.contactsSaved, 1);
  EXPECT_EQ(outcome.filesFailed, 1);
  ASSERT_EQ(outcome.files.size(), 2u);
  EXPECT_EQ(outcome.files[0].path, u"C:\\root.vcf");
  EXPECT_TRUE(outcome.files[0].failed && Q(outcome.files[0].reason).contains("root folder"))
      << Q(outcome.files[0].reason).toStdString();
}

TEST_F(ImportRunTest, LaterFailuresAreSkippedAndCounted) {
  const QString split = write("Cards/two.vcf", Card("A") + Card("B"));
  const QString gone = dir.path() + "/Cards/gone.vcf";
  const QString blank = write("Other/blank.vcf", "no card here\r\n");
  files.set({split, gone, blank});
  world.failCall("Item.Import", 2);         // card B
  world.failCalls("Folders.Add(Other");     // every import into Other fails
  world.failCalls("Store.Remove");
  view.destination = "/out";
  run();

  EXPECT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_EQ(outcome.contactsSaved, 1);
  EXPECT_EQ(outcome.cardsFailed, 1);
  // The vanished file: its count fails, so it is imported whole and that
  // import fails; Save is still called on its new item.
  EXPECT_EQ(outcome.filesFailed, 2);
  EXPECT_TRUE(world.calls.contains("Item.Import(" + gone + ", 6)"));
  // Into the missing folder no item could be made, so nothing was saved there.
  EXPECT_EQ(world.callsStartingWith("Item.Save").size(), 3);
  EXPECT_FALSE(outcome.storeRemoved);
  EXPECT_EQ(world.profile.size(), 1u);  // Remove failed: the store stays
  EXPECT_TRUE(world.calls.contains("Session.Logoff"));
  ASSERT_EQ(view.messages.size(), 1u);
  const QString& text = view.messages[0].text;
  EXPECT_TRUE(text.contains("2 files and 1 card")) << text.toStdString();
  EXPECT_TRUE(text.contains("could not be completed"));
  // Each file that did not go in whole is named with the reason, and its
  // cards are accounted for: saved + not imported = found.
  EXPECT_TRUE(text.contains(split + ": 1 of 2 cards not imported (a card could not be read)")) << text.toStdString();
  EXPECT_TRUE(text.contains(gone + ": not imported (cannot be read: No such file or directory)")) << text.toStdString();
  EXPECT_TRUE(text.contains(blank + ": not imported (its folder in the store could not be opened)"))
      << text.toStdString();
  ASSERT_EQ(outcome.files.size(), 3u);
  for (const FileResult& file : outcome.files) EXPECT_EQ(file.saved + file.notImported, file.found);
  EXPECT_EQ(outcome.files[0].found, 2);
}

TEST_F(ImportRunTest, MessageNamesTheFirstFewFilesAndCountsTheRest) {
  QStringList paths;
  for (int i = 0; i < 8; ++i) {
    paths << write(QString("Cards/%1.vcf").arg(i), Card("A"));
    if (i % 4 != 0) world.failCalls("Item.Import(" + paths.last());  // six files fail
  }
  files.set(paths);
  view.destination = "/out";
  run();
  ASSERT_EQ(view.messages.size(), 1u);
  const QString& text = view.messages[0].text;
  QStringList named;
  for (const QString& path : paths) {
    if (text.contains(path + ": not imported")) named << path;
  }
  EXPECT_EQ(named.size(), 5) << text.toStdString();
  EXPECT_TRUE(text.endsWith("... and 1 more file.")) << text.toStdString();
}

TEST_F(ImportRunTest, UnwritableCardFileIsNotImportedFromAStaleCopy) {
  const QString temp = QString::fromStdU16String(GetTempFolderPath());
  QFile::remove(temp + "vCard2.vcf");
  ASSERT_TRUE(QDir().mkpath(temp + "vCard2.vcf"));  // a folder where card 2's file should go
  files.set({write("Cards/x.vcf", Card("X1") + Card("X2") + Card("X3"))});
  view.destination = "/out";
  run();
  QDir(temp + "vCard2.vcf").removeRecursively();
  EXPECT_EQ(world.callsStartingWith("Item.Import").size(), 2);
  EXPECT_EQ(world.callsStartingWith("Item.Save").size(), 3);
  EXPECT_EQ(outcome.cardsFailed, 1);
  EXPECT_EQ(view.last(Caption::LblProgessCurrent), "Contact 3 (of 3)");
}

TEST_F(ImportRunTest, SecondClickDuringARunIsIgnored) {
  files.set({write("Cards/a.vcf", Card("A") + Card("B"))});
  view.destination = "/out";
  ImportRun importRun(components, view, files, clock);
  int clicks = 0;
  view.onYield = [&] {
    if (clicks++ == 3) importRun.CmdExtractDBX_Click();
  };
  importRun.CmdExtractDBX_Click();
  EXPECT_EQ(view.promptTitles.size(), 1);
  EXPECT_EQ(world.callsStartingWith("Stores.AddPSTStore").size(), 1);
  EXPECT_EQ(importRun.outcome().contactsSaved, 2);
}

TEST_F(ImportRunTest, StopRequestEndsAfterTheCurrentCardThroughTearDown) {
  files.set({write("Cards/a.vcf", Card("A") + Card("B") + Card("C")), write("Cards/b.vcf", Card("D"))});
  view.destination = "/out";
  ImportRun importRun(components, view, files, clock);
  view.onYield = [&] {
    if (!world.callsStartingWith("Item.Save").isEmpty()) importRun.requestStop();
  };
  importRun.CmdExtractDBX_Click();
  EXPECT_EQ(importRun.outcome().status, RunOutcome::Status::Stopped);
  EXPECT_EQ(world.callsStartingWith("Item.Save").size(), 1);
  EXPECT_EQ(world.calls.mid(world.calls.size() - 2), (QStringList{"Store.Remove", "Session.Logoff"}));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_FALSE(importRun.isRunning());
}

// Completing the file may wait for the disk: the window goes on serving
// events meanwhile, and what the removal throws still reaches the outcome.
TEST_F(ImportRunTest, TheStoreIsRemovedWhileEventsAreServed) {
  files.set({write("Cards/a.vcf", Card("A") + Card("B"))});
  view.destination = "/out";
  ImportRun importRun(components, view, files, clock);
  std::atomic<int> yields{0};
  view.onYield = [&] { ++yields; };
  bool servedDuringRemove = false;
  world.onRemove = [&] {
    const int before = yields;
    for (int i = 0; i < 500 && yields < before + 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    servedDuringRemove = yields >= before + 3;
  };
  importRun.CmdExtractDBX_Click();
  EXPECT_TRUE(servedDuringRemove);
  EXPECT_TRUE(importRun.outcome().storeRemoved);
  EXPECT_EQ(importRun.outcome().contactsSaved, 2);

  world.onRemove = [] { throw automation::AutomationError(automation::errors::kDiskError, u"disk gone"); };
  importRun.CmdExtractDBX_Click();
  EXPECT_FALSE(importRun.outcome().storeRemoved);
  EXPECT_NE(QString::fromStdU16String(importRun.outcome().removeFailure).indexOf("disk gone"), -1);
}

// Far more cards than are read ahead, of lengths that go up and down, so card
// files are written ahead and spent ones take later cards' names.
QByteArray ManyCards(int count, QStringList* names) {
  QByteArray all;
  for (int i = 1; i <= count; ++i) {
    const QByteArray name = "N" + QByteArray::number(i) + QByteArray(i * 7 % 23, 'x');
    all += Card(name);
    *names << QString::fromLatin1(name);
  }
  return all;
}

TEST_F(ImportRunTest, CardsReadAheadAreImportedInOrderEachFromItsOwnBytes) {
  QStringList names;
  const QString path = write("Cards/many.vcf", ManyCards(600, &names));
  files.set({path});
  view.destination = "/out";
  run();
  const auto folder = folderOf(*world.removed[0], path);
  EXPECT_EQ(namesIn(*folder), names);
  for (int i = 0; i < 600; ++i) {
    ASSERT_EQ(folder->items[static_cast<std::size_t>(i)]->importedContent, Card(names[i].toLatin1()))
        << "card " << i + 1;
  }
  EXPECT_EQ(view.last(Caption::LblProgessCurrent), "Contact 600 (of 600)");
  const QString temp = QString::fromStdU16String(GetTempFolderPath());
  EXPECT_TRUE(QDir(temp).entryList({"vCard*.vcf"}).isEmpty());
}

TEST_F(ImportRunTest, AStopLeavesNoCardFileReadAheadBehind) {
  QStringList names;
  files.set({write("Cards/many.vcf", ManyCards(600, &names))});
  view.destination = "/out";
  ImportRun importRun(components, view, files, clock);
  view.onYield = [&] {
    if (world.callsStartingWith("Item.Save").size() == 5) importRun.requestStop();
  };
  importRun.CmdExtractDBX_Click();
  EXPECT_EQ(importRun.outcome().status, RunOutcome::Status::Stopped);
  EXPECT_EQ(world.callsStartingWith("Item.Import").size(), 5);
  EXPECT_EQ(view.last(Caption::LblProgessCurrent), "Contact 5 (of 600)");
  const QString temp = QString::fromStdU16String(GetTempFolderPath());
  EXPECT_TRUE(QDir(temp).entryList({"vCard*.vcf"}).isEmpty()) << "card files written ahead were left behind";
}

TEST_F(ImportRunTest, CardCount) {
  ImportRun importRun(components, view, files, clock);
  auto count = [&](const QByteArray& bytes) {
    importRun.CheckvCardType(U("  " + write("count.vcf", bytes) + " "));
    return importRun.vCardCount();
  };
  EXPECT_EQ(count(Card("A") + Card("B") + Card("C")), 3);
  EXPECT_EQ(count(""), 0);
  // Cards as the reader finds them: markers in any case with spaces and tabs
  // around, a card without END ending at the next or at the end of the file;
  // markers with nothing between them, or END lines alone, make no card.
  EXPECT_EQ(count("BEGIN:VCARD\r\nBEGIN:VCARD\r\n"), 0);
  EXPECT_EQ(count("  END:VCARD  \r\nend:vcard\r\nEND:VCARD;\r\n\tEND:VCARD\r\nEND:VCARD"), 0);
  EXPECT_EQ(count("\tbegin:vCard\r\nFN:A\r\nBEGIN:VCARD\r\nFN:B\r\nEnd:VCard \t\r\nBEGIN:VCARD\nFN:C"), 3);
  EXPECT_EQ(count(Card("A", "\n") + Card("B", "\n")), 2);  // line feeds alone end lines too
  QByteArray utf16;
  for (char ch : Card("A") + Card("B")) utf16.append(ch).append('\0');
  EXPECT_EQ(count(utf16), 2);  // UTF-16 without its mark
  EXPECT_EQ(count(Card("X").repeated(40000)), 40000);  // no 16-bit cap
  // A file that cannot be opened leaves the count as it was.
  EXPECT_THROW(importRun.CheckvCardType(U(dir.path() + "/missing.vcf")), FileError);
  EXPECT_EQ(importRun.vCardCount(), 40000);
}

}  // namespace
}  // namespace quillonet

// Widget tests of the main window: start state, layout, Exit, Help, keys and the list buttons.
#include "app/frmStep1.h"
#include "automation/in_process.h"
#include "tests/filelist/scripted_dialogs.h"
#include "tests/scanner/test_tree.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDropEvent>
#include <QFontInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace quillonet;
using quillonet::test_support::ScriptedDialogs;

namespace {
struct WindowFixture : ::testing::Test, test_support::WithApp {
  ScriptedDialogs dialogs;
  automation::InProcessComponents components;
  frmStep1 w{components, &dialogs};

  // An access key presses its button with a short animation; a busy machine
  // may take longer than the animation, so wait for the outcome itself.
  template <typename Done>
  static bool WaitFor(Done done) {
    for (int waited = 0; waited < 5000 && !done(); waited += 20) QTest::qWait(20);
    return done();
  }

  // Sends a drag's enter and then its drop, as a file manager's drag
  // delivers them, at a point over the file grid; returns whether each was taken.
  std::pair<bool, bool> DragAndDrop(const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint overGrid = w.grdFiles1.geometry().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(overGrid, offered, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(&w, &enter);
    const bool entered = enter.isAccepted();
    EXPECT_TRUE(!entered || enter.dropAction() == Qt::CopyAction);  // never a move
    QDropEvent drop(overGrid, offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    return {entered, drop.isAccepted()};
  }

  void ShowActive() {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  }
};

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};
}  // namespace

TEST_F(WindowFixture, StartState) {
  ShowActive();
  EXPECT_EQ(w.windowTitle(), "Marlix Quillonet Pro");
  EXPECT_EQ(w.lblCount1.text(), "0 files");
  EXPECT_TRUE(w.Files().IsEmpty());
  EXPECT_EQ(w.grdFiles1.ColWidth(0), 50000);
  EXPECT_FALSE(w.CmdExtractDBX.isEnabled());
  EXPECT_FALSE(w.CmdHelp.isVisible());
  EXPECT_TRUE(w.cmdEnd.isVisible());
  EXPECT_TRUE(w.FrameConversion.isVisible());
  EXPECT_EQ(w.FrameConversion.Caption(), "Details");
  EXPECT_EQ(w.LblCurrentDBX.text(), "Converting Contacts...");
  EXPECT_EQ(w.LblProgessCurrent.text(), "Contact 1 (of 1)");
  EXPECT_EQ(w.ProgressBar1.Value(), 0.0f);
  EXPECT_EQ(w.ProgressBar2.Max(), 100.0f);
  EXPECT_EQ(QApplication::focusWidget(), &w.cmdAdd);
  // The window icon comes in the theme's sizes, from the icon script's images.
  const QList<QSize> sizes = w.windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(256, 256)));
  EXPECT_FALSE(w.windowIcon().pixmap(48, 48).isNull());
}

TEST_F(WindowFixture, CaptionsAndFonts) {
  EXPECT_EQ(w.cmdAdd.text(), "Add vCard File(s)...");
  EXPECT_EQ(w.CmdAddFolder.text(), "Add Folder having vCard File(s)...");
  EXPECT_EQ(w.cmdClear1.text(), "Clear File(s)...");
  EXPECT_EQ(w.CmdExtractDBX.text(), "Import &Contacts");
  EXPECT_EQ(w.cmdEnd.text(), "E&xit");
  EXPECT_EQ(w.CmdHelp.text(), "&Help Manual");
  EXPECT_EQ(w.Label1.text(), "Overall Progress        : ");
  EXPECT_EQ(w.Label2.text(), "Current File Progress : ");
  EXPECT_EQ(w.lblTitle.text(), "Marlix Quillonet");
  EXPECT_FALSE(w.lblCopyright.text().isEmpty());
  EXPECT_DOUBLE_EQ(w.cmdAdd.font().pointSizeF(), 8.25);
  EXPECT_DOUBLE_EQ(w.lblTitle.font().pointSizeF(), 14.25);
  EXPECT_TRUE(w.lblTitle.font().bold());
  // The labels' texts fit their twip-sized boxes in the face in use.
  EXPECT_LE(w.Label2.fontMetrics().horizontalAdvance(w.Label2.text()), w.Label2.width());
  for (QPushButton* b : {&w.cmdAdd, &w.CmdAddFolder, &w.cmdClear1, &w.CmdExtractDBX, &w.cmdEnd}) {
    EXPECT_FALSE(b->isDefault());
    EXPECT_FALSE(b->autoDefault());
  }
}

TEST_F(WindowFixture, TahomaFromFontsWineWhenInstalled) {
  if (!QFileInfo::exists("/usr/share/wine/fonts/tahoma.ttf")) GTEST_SKIP() << "fonts-wine not installed";
  EXPECT_EQ(QFontInfo(w.cmdAdd.font()).family(), "Tahoma");
  EXPECT_EQ(QFontInfo(w.lblTitle.font()).family(), "Tahoma");
}

TEST_F(WindowFixture, FixedSizeWithoutMaximiseAndTwipGeometry) {
  ASSERT_EQ(w.logicalDpiX(), 96);
  EXPECT_EQ(w.size(), QSize(543, 450));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(w.grdFiles1.geometry(), QRect(16, 120, 513, 105));
  EXPECT_EQ(w.FrameConversion.geometry(), QRect(16, 232, 513, 121));
  EXPECT_EQ(w.ProgressBar2.geometry(), QRect(120, 64, 385, 17));  // inside the frame
  EXPECT_EQ(w.Label2.geometry(), QRect(8, 64, 113, 17));
  EXPECT_EQ(w.cmdEnd.geometry(), QRect(424, 0, 89, 25));          // inside Picture3
  EXPECT_EQ(w.Picture3.geometry(), QRect(16, 416, 513, 33));
  EXPECT_EQ(w.CmdExtractDBX.geometry(), QRect(192, 368, 161, 29));
  EXPECT_EQ(w.Shape2.geometry(), QRect(-8, 0, 561, 57));
  EXPECT_EQ(w.lblCount1.geometry(), QRect(18, 104, 513, 17));
  // Centred on the screen.
  const QRect screen = w.screen()->availableGeometry();
  EXPECT_NEAR(w.geometry().center().x(), screen.center().x(), 1);
  EXPECT_NEAR(w.geometry().center().y(), screen.center().y(), 1);
}

TEST_F(WindowFixture, ShapesLieBehindTheControls) {
  const QObjectList& kids = w.children();
  const auto z = [&](QObject* o) { return kids.indexOf(o); };  // later children are stacked above
  EXPECT_LT(z(&w.Shape2), z(&w.lblTitle));
  EXPECT_LT(z(&w.Shape1), z(&w.Picture3));
  EXPECT_EQ(w.Shape1.Border(), QColor(192, 192, 192));
  EXPECT_EQ(w.Shape2.Border(), QColor(128, 128, 128));
}

TEST_F(WindowFixture, TabOrder) {
  ShowActive();
  w.CmdExtractDBX.setEnabled(true);
  QList<QWidget*> seen;
  QWidget* f = &w.cmdAdd;
  f->setFocus();
  for (int i = 0; i < 6; ++i) {
    seen << QApplication::focusWidget();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  const QList<QWidget*> expected = {&w.cmdAdd, &w.cmdClear1, &w.CmdAddFolder, &w.grdFiles1, &w.CmdExtractDBX, &w.cmdEnd};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(QApplication::focusWidget(), &w.cmdAdd);  // the hidden Help button is passed over
}

TEST_F(WindowFixture, ExitAnsweredNoChangesNothing) {
  ShowActive();
  w.Files().AddFileToList(u"/home/ann/a.vcf");
  w.CmdExtractDBX.setEnabled(true);
  dialogs.answers = {MsgAnswer::No};
  w.cmdEnd.click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Are you sure you want to exit now?");
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
  EXPECT_EQ(dialogs.messages[0].caption, "Marlix Quillonet Pro");
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(test_support::AsQt(w.Files().Entries()), QStringList({"/home/ann/a.vcf"}));
  EXPECT_TRUE(w.CmdExtractDBX.isEnabled());
  EXPECT_EQ(w.lblCount1.text(), "1 files");
}

TEST_F(WindowFixture, ExitAnsweredYesClosesAndCloseBoxAsksNothing) {
  ShowActive();
  dialogs.answers = {MsgAnswer::Yes};
  w.cmdEnd.click();
  EXPECT_FALSE(w.isVisible());

  frmStep1 other{components, &dialogs};
  other.show();
  dialogs.messages.clear();
  EXPECT_TRUE(other.close());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowFixture, AltXAsksAndAltCDoesNothingWhileImportIsDisabled) {
  ShowActive();
  dialogs.answers = {MsgAnswer::No};
  QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
  ASSERT_TRUE(WaitFor([&] { return !dialogs.messages.empty(); }));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Are you sure you want to exit now?");

  QSignalSpy clicks(&w.CmdExtractDBX, &QPushButton::clicked);
  QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
  QTest::qWait(300);
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_TRUE(dialogs.folderTitles.isEmpty());
  w.CmdExtractDBX.setEnabled(true);
  dialogs.folders = {""};  // the import asks for its destination; cancel it
  QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
  ASSERT_TRUE(WaitFor([&] { return clicks.count() == 1; }));
  EXPECT_EQ(dialogs.folderTitles, QStringList({"Choose Folder to Save..."}));
}

TEST_F(WindowFixture, HelpOpensTheProductPage) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");
  w.CmdHelp_Click();
  QDesktopServices::unsetUrlHandler("https");
  ASSERT_EQ(catcher.opened.size(), 1);
  EXPECT_EQ(catcher.opened[0], QUrl(frmStep1::HelpAddress()));
}

TEST_F(WindowFixture, AddAndClearThroughTheButtons) {
  ShowActive();
  dialogs.openResults = {{"/home/ann/Cards/a.vcf", "/home/ann/Cards/b.vcf"}};
  w.cmdAdd.click();
  EXPECT_TRUE(w.CmdExtractDBX.isEnabled());
  EXPECT_EQ(w.lblCount1.text(), "2 files");
  dialogs.answers = {MsgAnswer::Yes};
  w.cmdClear1.click();
  EXPECT_EQ(w.lblCount1.text(), "0 files");
  EXPECT_TRUE(w.Files().IsEmpty());
  EXPECT_TRUE(w.CmdExtractDBX.isEnabled());  // Clear leaves the Import button alone
}

TEST_F(WindowFixture, ImportRunsIntoTheChosenFolderAndShowsProgress) {
  test_support::TestTree source;
  source.Folder("Work");
  source.File("Work/ann.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\nEND:VCARD\r\n");
  source.File("two.vcf",
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN:One;Al\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Two;Bo\r\nEND:VCARD\r\n");
  test_support::TestTree dest;
  ShowActive();
  w.Files().AddFileToList(text::FromUtf8(source.Path("Work/ann.vcf")));
  w.Files().AddFileToList(text::FromUtf8(source.Path("two.vcf")));
  w.CmdExtractDBX.setEnabled(true);
  dialogs.folders = {dest.QRoot()};
  w.CmdExtractDBX.click();

  EXPECT_EQ(dialogs.folderTitles, QStringList({"Choose Folder to Save..."}));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(dialogs.messages[0].caption, "Marlix Quillonet Pro");
  EXPECT_TRUE(dialogs.messages[0].text.contains("3 contacts")) << dialogs.messages[0].text.toStdString();
  EXPECT_EQ(w.Run().outcome().status, RunOutcome::Status::Completed);
  EXPECT_TRUE(w.Run().outcome().storeRemoved);
  EXPECT_TRUE(QFileInfo(QString::fromStdU16String(w.Run().outcome().pstPath)).isFile());
  EXPECT_TRUE(QString::fromStdU16String(w.Run().outcome().pstPath).startsWith(dest.QRoot() + "/MarlixContacts"));
  EXPECT_EQ(w.FrameConversion.Caption(), "Details : Converting - (2 of 2) file(s)");
  EXPECT_FLOAT_EQ(w.ProgressBar1.Value(), 100.0f);
  EXPECT_EQ(w.grdFiles1.currentRow(), 1);  // the grid shows the file read last
  EXPECT_FALSE(w.CmdExtractDBX.isEnabled());
  EXPECT_EQ(w.Files().Entries().size(), 2);  // the list stays
}

TEST_F(WindowFixture, ImportCancelledAtTheFolderChoiceChangesNothing) {
  w.Files().AddFileToList(u"/home/ann/a.vcf");
  w.CmdExtractDBX.setEnabled(true);
  dialogs.folders = {""};
  w.CmdExtractDBX.click();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(w.CmdExtractDBX.isEnabled());
  EXPECT_EQ(w.Run().outcome().status, RunOutcome::Status::Cancelled);
}

TEST_F(WindowFixture, CloseDuringARunStopsItThroughItsTearDownThenCloses) {
  test_support::TestTree source;
  for (int i = 0; i < 5; ++i) {
    source.File("c" + std::to_string(i) + ".vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:X\r\nN:X;;;;\r\nEND:VCARD\r\n");
    w.Files().AddFileToList(text::FromUtf8(source.Path("c" + std::to_string(i) + ".vcf")));
  }
  test_support::TestTree dest;
  ShowActive();
  w.CmdExtractDBX.setEnabled(true);
  dialogs.folders = {dest.QRoot()};
  // The close box is pressed while the run lets the window process events.
  bool closedDuringRun = false;
  QTimer::singleShot(0, &w, [&] { closedDuringRun = !w.close(); });
  w.CmdExtractDBX.click();
  EXPECT_TRUE(closedDuringRun);  // refused at first...
  EXPECT_FALSE(w.isVisible());   // ...and carried out when the run had ended
  EXPECT_EQ(w.Run().outcome().status, RunOutcome::Status::Stopped);
  EXPECT_TRUE(w.Run().outcome().storeRemoved);  // the file is complete
  EXPECT_TRUE(dialogs.messages.empty());        // no completion message, no question
  EXPECT_TRUE(QFileInfo(QString::fromStdU16String(w.Run().outcome().pstPath)).isFile());
}

TEST_F(WindowFixture, DetailsCaptionSitsOnTheBorderAndTheControlsBelowIt) {
  ShowActive();
  const Frame& frame = w.FrameConversion;
  const QRect caption = frame.CaptionRect();
  const QRect border = frame.BorderRect();
  EXPECT_GT(border.top(), caption.top());
  EXPECT_LT(border.top(), caption.bottom());
  EXPECT_LT(caption.right(), frame.width() / 2);
  const QList<const QWidget*> inside = {&w.LblCurrentDBX, &w.LblProgessCurrent, &w.Label1,
                                        &w.Label2,        &w.ProgressBar1,      &w.ProgressBar2};
  for (const QWidget* c : inside) {
    SCOPED_TRACE(inside.indexOf(c));
    EXPECT_GT(c->geometry().top(), caption.bottom());
    EXPECT_GT(c->geometry().top(), border.top() + 1);
    EXPECT_TRUE(border.adjusted(2, 2, -2, -2).contains(c->geometry()));
  }
  EXPECT_EQ(w.LblCurrentDBX.geometry(), QRect(8, 16, 497, 17));  // still at its twips

  // On the drawn frame the top border line is broken where the caption is
  // and runs on to its right; the status label's rows are crossed by no line.
  const QImage image = w.FrameConversion.grab().toImage();
  const QColor background = image.pixelColor(frame.width() / 2, border.top() + 4);
  const auto isLine = [&](int x, int y) { return image.pixelColor(x, y) != background; };
  EXPECT_TRUE(isLine(caption.right() + 20, border.top()));
  EXPECT_TRUE(isLine(frame.width() - 20, border.top()));
  EXPECT_TRUE(isLine(2, border.top()));
  int brokenAt = 0;
  for (int x = caption.left() + 1; x < caption.right(); ++x) brokenAt += isLine(x, border.top()) ? 0 : 1;
  EXPECT_GT(brokenAt, 0);
  const QRect status = w.LblCurrentDBX.geometry();
  for (int y = status.top(); y <= status.bottom(); ++y) {
    int lineRun = 0;
    for (int x = status.left(); x <= status.right(); ++x) lineRun = isLine(x, y) ? lineRun + 1 : 0;
    EXPECT_LT(lineRun, status.width() / 2) << "a line crosses the status label at row " << y;
  }
}

// The run sets its captions after every card; the window shows the latest
// of each when it next serves events, and a new frame caption repaints the
// caption's line but none of the controls inside the frame.
TEST_F(WindowFixture, CaptionsShowTheirLatestTextAndRepaintOnlyTheirOwnControls) {
  class PaintCounter : public QObject {
   public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  };
  ShowActive();
  QTest::qWait(50);  // the first paints are over
  PaintCounter still, label;
  for (QWidget* c : std::initializer_list<QWidget*>{&w.ProgressBar1, &w.ProgressBar2, &w.Label1, &w.Label2})
    c->installEventFilter(&still);
  w.LblProgessCurrent.installEventFilter(&label);
  for (int i = 1; i <= 30; ++i) {
    const std::u16string n = text::Number(i);
    w.setCaption(Caption::LblProgessCurrent, u"Contact " + n + u" (of 30)");
    w.setCaption(Caption::FrameConversion, u"Details : Converting - (" + n + u" of 30) file(s)");
  }
  w.setCaption(Caption::LblCurrentDBX, u"Importing Contacts... from (Work)");
  w.processEvents();  // as the run serves the event loop
  EXPECT_EQ(w.LblProgessCurrent.text(), "Contact 30 (of 30)");
  EXPECT_EQ(w.FrameConversion.Caption(), "Details : Converting - (30 of 30) file(s)");
  EXPECT_EQ(w.LblCurrentDBX.text(), "Importing Contacts... from (Work)");
  EXPECT_GE(label.paints, 1);
  EXPECT_EQ(still.paints, 0);

  // Any other event loop shows them too, such as a message box's; a bar
  // shows its latest position, and its range applies to the one set before.
  w.setCaption(Caption::LblProgessCurrent, u"Contact 31 (of 31)");
  w.setProgressValue(Bar::ProgressBar2, 10.0f);
  w.setProgressValue(Bar::ProgressBar2, 40.0f);
  QCoreApplication::processEvents();
  EXPECT_EQ(w.LblProgessCurrent.text(), "Contact 31 (of 31)");
  EXPECT_EQ(w.ProgressBar2.Value(), 40.0f);
  w.setProgressValue(Bar::ProgressBar2, 80.0f);
  w.setProgressMax(Bar::ProgressBar2, 50.0f);
  EXPECT_EQ(w.ProgressBar2.Value(), 50.0f);

  // The frame still draws the caption it was given last.
  const QImage before = w.FrameConversion.grab(w.FrameConversion.CaptionRect()).toImage();
  w.setCaption(Caption::FrameConversion, u"Details");
  QCoreApplication::processEvents();
  EXPECT_NE(w.FrameConversion.grab(w.FrameConversion.CaptionRect()).toImage(), before);
}

TEST_F(WindowFixture, DroppedFilesAndFoldersAreAddedAsTheAddButtonsAddThem) {
  test_support::TestTree t;
  t.Folder("Cards/sub");
  t.File("Cards/a.vcf");
  t.File("Cards/B.VCF");
  t.File("Cards/notes.txt");
  t.File("Cards/sub/c.vcf");
  t.File("one.vcf");
  t.File("Two.Vcf");
  t.File("readme.txt");
  const auto url = [&](const std::string& p) { return QUrl::fromLocalFile(QString::fromStdString(t.Path(p))); };
  ShowActive();
  EXPECT_FALSE(w.CmdExtractDBX.isEnabled());
  const auto taken = DragAndDrop({url("one.vcf"), url("Cards"), url("readme.txt"),
                                  QUrl("https://example.com/x.vcf"), url("Two.Vcf")});
  EXPECT_TRUE(taken.first);
  EXPECT_TRUE(taken.second);
  ASSERT_TRUE(WaitFor([&] { return dialogs.messages.size() == 2; }));  // added after the drop was taken
  const QString r = t.QRoot() + "/";
  EXPECT_EQ(test_support::AsQt(w.Files().Entries()),
            QStringList({r + "one.vcf", r + "Cards/B.VCF", r + "Cards/a.vcf", r + "Cards/sub/c.vcf", r + "Two.Vcf"}));
  EXPECT_EQ(w.lblCount1.text(), "5 files");
  EXPECT_TRUE(w.CmdExtractDBX.isEnabled());
  EXPECT_EQ(dialogs.messages[0].text, "5 Files Added to List.");
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
  EXPECT_EQ(dialogs.messages[1].text,
            "2 dropped item(s) not added: only vCard files (.vcf) and folders are taken.");

  // Neither the grid nor any other control takes a drop for itself.
  for (const QWidget* child : w.findChildren<QWidget*>())
    EXPECT_FALSE(child->acceptDrops()) << child->metaObject()->className();
  // A drag of nothing local is refused.
  EXPECT_EQ(DragAndDrop({QUrl("https://example.com/x.vcf")}), std::make_pair(false, false));
}

TEST_F(WindowFixture, DropsAreRefusedWhileAnImportRuns) {
  test_support::TestTree source;
  source.File("a.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:X\r\nN:X;;;;\r\nEND:VCARD\r\n");
  source.File("b.vcf");
  test_support::TestTree dest;
  ShowActive();
  w.Files().AddFileToList(text::FromUtf8(source.Path("a.vcf")));
  w.CmdExtractDBX.setEnabled(true);
  dialogs.folders = {dest.QRoot()};
  std::pair<bool, bool> duringRun{true, true};
  QTimer::singleShot(0, &w, [&] {
    duringRun = DragAndDrop({QUrl::fromLocalFile(QString::fromStdString(source.Path("b.vcf")))});
  });
  w.CmdExtractDBX.click();
  EXPECT_EQ(duringRun, std::make_pair(false, false));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.Files().Entries().size(), 1);
  // Once the run is over, the same drop is taken.
  const QUrl b = QUrl::fromLocalFile(QString::fromStdString(source.Path("b.vcf")));
  EXPECT_EQ(DragAndDrop({b}), std::make_pair(true, true));
  ASSERT_TRUE(WaitFor([&] { return w.Files().Entries().size() == 2; }));
}

#include "frmStep1_test.moc"

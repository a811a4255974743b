// The window run with its real dialogs, opened and cancelled, leaves a fresh $HOME as empty as it found it.
#include "app/frmStep1.h"
#include "automation/in_process.h"
#include "tests/filelist/scripted_dialogs.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace quillonet;

namespace {

// Everything below a folder, as paths relative to it.
QStringList Contents(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) found << QDir(folder).relativeFilePath(it.next());
  return found;
}

// Runs an action that opens a modal dialog and closes that dialog with
// close; returns the dialog's class name ("" when none was opened).
QString WithNextDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& close) {
  QString seen;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    poll.stop();
    seen = QString::fromLatin1(dialog->metaObject()->className());
    close(*dialog);
  });
  poll.start();
  open();
  return seen;
}

void Cancel(QDialog& dialog) { dialog.reject(); }
void AnswerNo(QDialog& dialog) {
  auto& box = dynamic_cast<QMessageBox&>(dialog);
  QAbstractButton* no = box.button(QMessageBox::No);
  ASSERT_NE(no, nullptr);
  no->click();
}

}  // namespace

TEST(HomeUntouched, DialogsOpenedAndCancelledWriteNothingUnderHome) {
  // Before the application exists, so that Qt takes its folders from here.
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  const QString home = scratch.filePath("home");
  ASSERT_TRUE(QDir().mkpath(home));
  qputenv("HOME", QFile::encodeName(home));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
  for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) qunsetenv(name);
  test_support::TestApp();

  test_support::TestTree cards;
  cards.File("a.vcf");
  {
    automation::InProcessComponents components;
    frmStep1 w(components);  // the real message boxes and dialogs
    w.show();

    EXPECT_EQ(WithNextDialog([&] { w.cmdAdd.click(); }, Cancel), "QFileDialog");
    EXPECT_TRUE(w.Files().IsEmpty());
    EXPECT_EQ(WithNextDialog([&] { w.CmdAddFolder.click(); }, Cancel), "QFileDialog");
    EXPECT_EQ(WithNextDialog([&] { w.cmdEnd.click(); }, AnswerNo), "QMessageBox");
    EXPECT_TRUE(w.isVisible());

    w.Files().AddFileToList((cards.QRoot() + "/a.vcf").toStdU16String());
    EXPECT_EQ(WithNextDialog([&] { w.cmdClear1.click(); }, AnswerNo), "QMessageBox");
    w.CmdExtractDBX.setEnabled(true);
    EXPECT_EQ(WithNextDialog([&] { w.CmdExtractDBX.click(); }, Cancel), "QFileDialog");  // "Choose Folder to Save..."

    // A dropped folder reports its count in a message box.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(cards.QRoot())});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    const auto dragAndDrop = [&] {
      QApplication::sendEvent(&w, &enter);
      QApplication::sendEvent(&w, &drop);
      QCoreApplication::processEvents();
    };
    EXPECT_EQ(WithNextDialog(dragAndDrop, Cancel), "QMessageBox");
    EXPECT_EQ(w.Files().Entries().size(), 2);
  }
  EXPECT_EQ(Contents(home), QStringList());
}

// Tests of ShellOpen and the folder chooser's result form.
#include "util/registry_gui.h"

#include <gtest/gtest.h>

#include "tests/util/qstring_printer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace quillonet;

namespace {
QApplication& App() {
  static int argc = 1;
  static char name[] = "util_tests";
  static char* argv[] = {name, nullptr};
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  static QApplication app(argc, argv);
  return app;
}

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};
}  // namespace

TEST(ShellOpen, OpensAddressesAndFilesIgnoresEmpty) {
  App();
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");
  QDesktopServices::setUrlHandler("file", &catcher, "open");
  ShellOpen(QString());
  EXPECT_TRUE(catcher.opened.isEmpty());
  ShellOpen("https://www.example.com/quillonet/");
  QTemporaryDir dir;
  ShellOpen(dir.path());
  QDesktopServices::unsetUrlHandler("https");
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(catcher.opened.size(), 2);
  EXPECT_EQ(catcher.opened[0], QUrl("https://www.example.com/quillonet/"));
  EXPECT_EQ(catcher.opened[1], QUrl::fromLocalFile(dir.path()));
}

TEST(BrowseForFolder, ResultFormHasNoTrailingSeparatorExceptRoots) {
  EXPECT_EQ(FolderResultForm(""), "");
  EXPECT_EQ(FolderResultForm("/"), "/");
  EXPECT_EQ(FolderResultForm("/home/ann/Cards/"), "/home/ann/Cards");
  EXPECT_EQ(FolderResultForm("/home/ann/Cards"), "/home/ann/Cards");
  EXPECT_EQ(FolderResultForm("D:\\"), "D:\\");
  EXPECT_EQ(FolderResultForm("D:\\Cards\\"), "D:\\Cards");
}

TEST(BrowseForFolder, ReturnsTheChosenFolderOrEmptyOnCancel) {
  App();
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("Cards"));
  const QString cards = dir.path() + "/Cards";
  // Answer the dialog from inside its event loop.
  auto answer = [&](bool accept) {
    QTimer::singleShot(0, [&, accept] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), "Choose Source Folder...");
      if (accept) {
        dialog->setDirectory(cards);
        dialog->selectFile(cards);
        QMetaObject::invokeMethod(dialog, "accept");
      } else {
        dialog->reject();
      }
    });
  };
  answer(true);
  EXPECT_EQ(BrowseForFolder(nullptr, "Choose Source Folder..."), cards);
  answer(false);
  EXPECT_EQ(BrowseForFolder(nullptr, "Choose Source Folder..."), "");
}

#include "registry_gui_test.moc"

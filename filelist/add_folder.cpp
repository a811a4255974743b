// Adding every vCard file under a chosen folder.
#include "filelist/add_folder.h"

#include "scanner/card_files.h"

#include <QApplication>
#include <QDir>

namespace quillonet {
namespace {

// The busy pointer for the whole application while it lives.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace

void AddFolderOfCards(FileList& list, UserDialogs& dialogs, const std::function<void(bool)>& setImportEnabled,
                      const std::function<void()>& yield) {
  QString folder = dialogs.BrowseForFolder(QStringLiteral("Choose Source Folder..."));
  if (folder.isEmpty()) return;
  if (!folder.endsWith(QDir::separator())) folder += QDir::separator();

  int added = 0;
  QStringList unreadable;
  {
    const BusyPointer busy;
    const FolderScan scan = ScanFolder(folder);
    unreadable = scan.unreadable;
    for (const QString& name : scan.files) {
      yield();
      if (IsVCardName(name)) {
        yield();
        list.AddFileToList(name);
        ++added;
      }
    }
  }
  setImportEnabled(added > 0);
  dialogs.MsgBox(QString::number(added) + QStringLiteral(" Files Added to List."), MsgButtons::Ok, MsgIcon::None);
  if (!unreadable.isEmpty()) {
    dialogs.MsgBox(QStringLiteral("These folders could not be read, so files in them were not added:\r\n") +
                       unreadable.join(QStringLiteral("\r\n")),
                   MsgButtons::Ok, MsgIcon::Exclamation);
  }
}

}  // namespace quillonet

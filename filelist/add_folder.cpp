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

FolderAddition AddCardsUnder(FileList& list, QString folder, const std::function<void()>& yield) {
  if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
  FolderAddition result;
  const BusyPointer busy;
  const FolderScan scan = ScanFolder(folder.toStdU16String());
  for (const std::u16string& name : scan.unreadable) result.unreadable << QString::fromStdU16String(name);
  for (const std::u16string& name : scan.files) {
    yield();
    if (IsVCardName(name)) {
      yield();
      list.AddFileToList(QString::fromStdU16String(name));
      ++result.added;
    }
  }
  return result;
}

void ReportFilesAdded(UserDialogs& dialogs, int added) {
  dialogs.MsgBox(QString::number(added) + QStringLiteral(" Files Added to List."), MsgButtons::Ok, MsgIcon::None);
}

void ReportUnreadable(UserDialogs& dialogs, const QStringList& unreadable) {
  if (unreadable.isEmpty()) return;
  dialogs.MsgBox(QStringLiteral("These folders could not be read, so files in them were not added:\r\n") +
                     unreadable.join(QStringLiteral("\r\n")),
                 MsgButtons::Ok, MsgIcon::Exclamation);
}

void AddFolderOfCards(FileList& list, UserDialogs& dialogs, const std::function<void(bool)>& setImportEnabled,
                      const std::function<void()>& yield) {
  const QString folder = dialogs.BrowseForFolder(QStringLiteral("Choose Source Folder..."));
  if (folder.isEmpty()) return;
  const FolderAddition addition = AddCardsUnder(list, folder, yield);
  setImportEnabled(addition.added > 0);
  ReportFilesAdded(dialogs, addition.added);
  ReportUnreadable(dialogs, addition.unreadable);
}

}  // namespace quillonet

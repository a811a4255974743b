// Adding every vCard file under a chosen folder.
#include "filelist/add_folder.h"

#include "platform/folders.h"
#include "scanner/card_files.h"
#include "util/text.h"

namespace quillonet {

FolderAddition AddCardsUnder(FileList& list, UserDialogs& dialogs, std::u16string folder,
                             const std::function<void()>& yield) {
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  FolderAddition result;
  const BusyPointer busy(dialogs);
  const FolderScan scan = ScanFolder(folder);
  result.unreadable = scan.unreadable;
  for (const std::u16string& name : scan.files) {
    yield();
    if (IsVCardName(name)) {
      yield();
      list.AddFileToList(name);
      ++result.added;
    }
  }
  return result;
}

void ReportFilesAdded(UserDialogs& dialogs, int added) {
  dialogs.MsgBox(text::Number(added) + u" Files Added to List.", MsgButtons::Ok, MsgIcon::None);
}

void ReportUnreadable(UserDialogs& dialogs, const std::vector<std::u16string>& unreadable) {
  if (unreadable.empty()) return;
  dialogs.MsgBox(u"These folders could not be read, so files in them were not added:\r\n" +
                     text::Join(unreadable, u"\r\n"),
                 MsgButtons::Ok, MsgIcon::Exclamation);
}

void AddFolderOfCards(FileList& list, UserDialogs& dialogs, const std::function<void(bool)>& setImportEnabled,
                      const std::function<void()>& yield) {
  const std::u16string folder = dialogs.BrowseForFolder(u"Choose Source Folder...");
  if (folder.empty()) return;
  const FolderAddition addition = AddCardsUnder(list, dialogs, folder, yield);
  setImportEnabled(addition.added > 0);
  ReportFilesAdded(dialogs, addition.added);
  ReportUnreadable(dialogs, addition.unreadable);
}

}  // namespace quillonet

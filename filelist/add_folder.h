// Adding every vCard file under a chosen folder to the list.
#pragma once

#include "filelist/file_list.h"

#include <functional>
#include <string>
#include <vector>

namespace quillonet {

// Asks for a folder ("Choose Source Folder..."), walks it with the busy
// pointer showing, appends every file whose name ends in ".vcf" (any case),
// yielding before each name and each append, enables the Import button
// only when this click added something, and reports the count. Folders that
// could not be read are named in a second message.
void AddFolderOfCards(FileList& list, UserDialogs& dialogs, const std::function<void(bool)>& setImportEnabled,
                      const std::function<void()>& yield);

// What adding the cards under one folder did.
struct FolderAddition {
  int added = 0;
  std::vector<std::u16string> unreadable;  // folders that could not be listed
};

// The walk and the appends of AddFolderOfCards, without dialog or messages:
// a separator is put after the folder unless it ends in one.
FolderAddition AddCardsUnder(FileList& list, UserDialogs& dialogs, std::u16string folder,
                             const std::function<void()>& yield);

// The count message of a folder addition: "N Files Added to List.".
void ReportFilesAdded(UserDialogs& dialogs, int added);
// Names the folders that could not be read; shows nothing when there are none.
void ReportUnreadable(UserDialogs& dialogs, const std::vector<std::u16string>& unreadable);

}  // namespace quillonet

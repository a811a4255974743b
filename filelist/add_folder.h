// Adding every vCard file under a chosen folder to the list.
#pragma once

#include "filelist/file_list.h"

#include <functional>

namespace quillonet {

// Asks for a folder ("Choose Source Folder..."), walks it with the busy
// pointer showing, appends every file whose name ends in ".vcf" (any case),
// yielding before each name and each append, enables the Import button
// only when this click added something, and reports the count. Folders that
// could not be read are named in a second message.
void AddFolderOfCards(FileList& list, UserDialogs& dialogs, const std::function<void(bool)>& setImportEnabled,
                      const std::function<void()>& yield);

}  // namespace quillonet

// Adding vCard files chosen in the open-file dialog to the list.
#pragma once

#include "filelist/common_dialog.h"
#include "filelist/file_list.h"

#include <functional>
#include <string>
#include <vector>

namespace quillonet {

// Shows the open-file dialog (multiple selection, vCard filter, 1000
// characters for the names) and appends each chosen file. The Import button
// is enabled as soon as anything was chosen. A dialog failure ends the click
// with a message: "Please select only N files at a time" when the names did
// not fit, otherwise number:description.
void AddFilesByDialog(FileList& list, CommonDialog& cdlgFile, UserDialogs& dialogs,
                      const std::function<void(bool)>& setImportEnabled);

// Splits a dialog result (one path, or folder NUL name NUL name...) into the
// full paths to add, folder and name joined by one separator.
std::vector<std::u16string> FilesFromDialogResult(const std::u16string& result);

}  // namespace quillonet

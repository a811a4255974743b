// registry (window side): opening a document or address, choosing a folder.
#pragma once

#include <QString>

class QWidget;

namespace quillonet {

// Opens a document path or web address with the desktop's handler for it.
// The empty string does nothing; a failure to open is not reported.
void ShellOpen(const QString& target);

// Shows the folder chooser, modal to owner, with the given title. Returns the
// chosen folder in native form without a trailing separator (except for a
// root such as "/"), or the empty string when the user cancelled.
QString BrowseForFolder(QWidget* owner, const QString& title);

// The form BrowseForFolder returns: native separators, no trailing separator
// except for a root ("/", "D:\").
QString FolderResultForm(const QString& folder);

}  // namespace quillonet

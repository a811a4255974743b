// The store's folder tree: a listed file's folder relative to its drive, the
// list of folders to create, the walk to a folder by path, and the creation
// of the folders.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/objects.h"
#include "import/import_view.h"
#include "platform/path_form.h"

namespace quillonet {

// Paths are cleaned by the platform layer's rules (POSIX ones on POSIX).
using platform::CleanPath;

// The folder of a listed file without its drive and without a trailing
// separator, components joined by backslashes: "C:\Cards\Work\a.vcf" gives
// "Cards\Work"; on POSIX the root is the drive, so "/home/ann/a.vcf" gives
// "home\ann". Throws PathError for a text with no drive (no colon and no
// leading '/') and RootFileError (a PathError) for a file directly in a root
// folder. By Windows rules the path is cleaned first, '/' separates as '\'
// does, and a root is a drive ("Z:\a\b\x.vcf" gives "a\b"), the current
// drive's root ("\a\b\x.vcf", "/a/b/x.vcf") or a share ("\\server\share\a\x.vcf"
// gives "a"); a relative path ("a\x.vcf", "C:a\x.vcf") has no drive.
std::u16string GetRelativeFolder(std::u16string_view rowText, platform::PathStyle style = platform::kNativeStyle);

// The file a row of the list names. A POSIX path (one that begins with '/')
// is taken exactly as it stands: a space at its end is part of the file's
// name. A Windows path loses its leading and trailing spaces, as Windows
// names cannot end in one; by Windows rules every path is such a path.
std::u16string ListedFilePath(std::u16string_view rowText, platform::PathStyle style = platform::kNativeStyle);

// Every relative folder of the listed files with all of its ancestors, each
// once, sorted ordinally so that parents come before their children. A file
// directly in a root folder adds no folder (the run names it as not
// imported); any other failure (see GetRelativeFolder) goes to the caller. yield is called
// between the phases.
std::vector<std::u16string> BuildFolderList(FileListSource& files, const std::function<void()>& yield);

// Walks the mail client's folders by a backslash path and returns the folder
// reached, or nothing. "\S\a\b" starts at the top-level folder S (a store's
// display name); a path without a leading backslash starts at the folder the
// client's window shows. Every step that fails is skipped: a missing name
// leaves the walk where it was. Never throws the failures of the calls.
std::unique_ptr<automation::Folder> OpenMAPIFolder(automation::ComponentFactory& components,
                                                   std::u16string szPath);

// Creates one contacts folder per entry of folderList in the store, in list
// order: top-level entries under the store's IPMRootFolder unless a folder of
// that exact name is there already, nested ones under the folder that
// OpenMAPIFolder reaches for their parent. A failing step is skipped.
void CreateStoreFolders(automation::Session* session, const std::vector<std::uint8_t>& storeID,
                        const std::u16string& storeDisplayName, const std::vector<std::u16string>& folderList,
                        automation::ComponentFactory& components, const std::function<void()>& yield);

}  // namespace quillonet

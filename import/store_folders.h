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

namespace quillonet {

// A POSIX path in its shortest form, by text alone: repeated and trailing
// slashes, "." and a name followed by ".." removed; ".." that leads out of a
// relative path or above the root is kept. "" stays "", a relative path that
// comes to nothing is ".", the root is "/". No byte of a name is changed.
std::u16string CleanPath(std::u16string_view path);

// The folder of a listed file without its drive and without a trailing
// separator, components joined by backslashes: "C:\Cards\Work\a.vcf" gives
// "Cards\Work"; on POSIX the root is the drive, so "/home/ann/a.vcf" gives
// "home\ann". Throws PathError for a text with no drive (no colon and no
// leading '/') and for a file directly in a root folder.
std::u16string GetRelativeFolder(std::u16string_view rowText);

// The file a row of the list names. A POSIX path (one that begins with '/')
// is taken exactly as it stands: a space at its end is part of the file's
// name. A Windows path loses its leading and trailing spaces, as Windows
// names cannot end in one.
std::u16string ListedFilePath(std::u16string_view rowText);

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

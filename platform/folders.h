// Folders named by a text path (see platform/native_path.h): listing one,
// telling one folder from another reached by a second way, removing a tree.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/path_form.h"

namespace quillonet::platform {

// What an entry of a folder is, links followed: a link to a folder is a
// Folder, one to a regular file a RegularFile; a broken link, a FIFO, a
// device or a socket is Other.
enum class EntryKind { Folder, RegularFile, Other };

struct FolderEntry {
  std::u16string name;  // the bare name, in its lossless text form
  EntryKind kind = EntryKind::Other;
};

struct FolderListing {
  // In name order: the byte order of the native names on POSIX, the order of
  // the UTF-16 code units on Windows. "." and ".." are left out.
  std::vector<FolderEntry> entries;
  // Why the folder could not be read, or read only in part; empty when it was read whole.
  std::error_code error;
};

FolderListing ListFolder(std::u16string_view folder);

// What tells two folders apart however they are reached (device and inode
// on POSIX, volume and file index on Windows).
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t node = 0;
  auto operator<=>(const FolderIdentity&) const = default;
};
// The identity of what path names, links followed; none when it cannot be read.
std::optional<FolderIdentity> IdentityOf(std::u16string_view path);

// The folder the process works in (relative paths start there), in its
// lossless text form; empty when the system cannot say. On Windows, given a
// drive ("D:"), the current folder of that drive, where "D:x" starts.
std::u16string CurrentFolder(std::u16string_view drive = {});

// Removes a folder with everything in it; links inside are removed, never
// followed. A missing folder is no error; the first failure is returned
// after as much as could be removed is gone.
std::error_code RemoveTree(std::u16string_view folder) noexcept;

}  // namespace quillonet::platform

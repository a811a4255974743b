// Folder listings in name order, with the kind of each entry.
#include "platform/folders.h"

#include "platform/native.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace quillonet::platform {

#ifdef _WIN32

namespace {

native::Path Child(const native::Path& folder, const wchar_t* name) {
  native::Path path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return native::LongEnough(path + name);
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Opens what path names, links followed, for no access at all: neither
// sharing modes nor read permission stand in the way of asking what it is.
HANDLE OpenForQuery(const native::Path& path) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// What a link names; Other when it leads nowhere or to a device.
EntryKind FollowedKind(const native::Path& path) {
  HANDLE handle = OpenForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return EntryKind::Other;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return EntryKind::Other;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::RegularFile;
}

bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

void Keep(std::error_code& first, std::error_code next) {
  if (!first) first = next;
}

// Empties a folder, links inside removed as links.
void RemoveContents(const native::Path& folder, std::error_code& error) {
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileExW(Child(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) Keep(error, native::LastError());
    return;
  }
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    const native::Path path = Child(folder, data.cFileName);
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
      ::SetFileAttributesW(path.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (isFolder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) RemoveContents(path, error);
    if (!(isFolder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str()))) Keep(error, native::LastError());
  } while (::FindNextFileW(find, &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) Keep(error, native::LastError());
  ::FindClose(find);
}

}  // namespace

FolderListing ListFolder(std::u16string_view folder) {
  FolderListing listing;
  const native::Path base = native::ToNative(folder);
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileExW(Child(base, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    // A drive's root has no "." entry: nothing found there is an empty folder.
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) listing.error = native::LastError();
    return listing;
  }
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    EntryKind kind =
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::RegularFile;
    if (IsLink(data)) kind = FollowedKind(Child(base, data.cFileName));
    listing.entries.push_back({native::FromNative(data.cFileName), kind});
  } while (::FindNextFileW(find, &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) listing.error = native::LastError();
  ::FindClose(find);
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return listing;
}

std::optional<FolderIdentity> IdentityOf(std::u16string_view path) {
  HANDLE handle = OpenForQuery(native::ToNative(path));
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::error_code RemoveTree(std::u16string_view folder) noexcept {
  const native::Path path = native::ToNative(folder);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? std::error_code()
                                                                          : native::FromWin32(error);
  }
  std::error_code error;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) RemoveContents(path, error);
  if (!::RemoveDirectoryW(path.c_str())) Keep(error, native::LastError());
  return error;
}

std::u16string CurrentFolder(std::u16string_view drive) {
  // A drive's own current folder is what the system makes of the drive alone ("D:").
  const native::Path driveOnly(drive.begin(), drive.end());
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        drive.empty() ? ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data())
                      : ::GetFullPathNameW(driveOnly.c_str(), static_cast<DWORD>(folder.size()), folder.data(), nullptr);
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return native::FromNative(folder);
    }
    folder.resize(length);  // the size it needs, its terminating NUL included
  }
}

#else

FolderListing ListFolder(std::u16string_view folder) {
  FolderListing listing;
  DIR* dir = ::opendir(native::ToNative(folder).c_str());
  if (dir == nullptr) {
    listing.error = {errno, std::generic_category()};
    return listing;
  }
  std::vector<std::pair<std::string, EntryKind>> found;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    EntryKind kind = entry->d_type == DT_DIR ? EntryKind::Folder
                     : entry->d_type == DT_REG ? EntryKind::RegularFile
                                               : EntryKind::Other;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      // Links are followed; a broken one is neither a folder nor a file.
      struct stat st {};
      const bool known = ::fstatat(::dirfd(dir), name, &st, 0) == 0;
      kind = known && S_ISDIR(st.st_mode)   ? EntryKind::Folder
             : known && S_ISREG(st.st_mode) ? EntryKind::RegularFile
                                            : EntryKind::Other;
    }
    found.emplace_back(name, kind);
    errno = 0;
  }
  if (errno != 0) listing.error = {errno, std::generic_category()};
  ::closedir(dir);
  // Sorted by the native bytes, before decoding: the order of the names as the system has them.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  listing.entries.reserve(found.size());
  for (const auto& [name, kind] : found) listing.entries.push_back({native::FromNative(name), kind});
  return listing;
}

std::optional<FolderIdentity> IdentityOf(std::u16string_view path) {
  struct stat st {};
  if (::stat(native::ToNative(path).c_str(), &st) != 0) return std::nullopt;
  return FolderIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::u16string CurrentFolder(std::u16string_view) {
  std::string folder(4096, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return {};
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  return native::FromNative(folder);
}

std::error_code RemoveTree(std::u16string_view folder) noexcept {
  std::error_code error;
  std::filesystem::remove_all(native::ToNative(folder), error);  // does not follow links inside
  return error;
}

#endif

}  // namespace quillonet::platform

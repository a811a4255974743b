// Regular files only, opened without blocking.
#include "platform/regular_file.h"

#include "platform/native.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillonet::platform {
namespace {

class FileErrors final : public std::error_category {
 public:
  const char* name() const noexcept override { return "file"; }
  std::string message(int) const override { return "not a regular file"; }
};

[[noreturn]] void Fail(std::error_code code, std::u16string_view path) {
  throw std::system_error(code, native::ForMessage(path));
}
[[noreturn]] void Fail(int err, std::u16string_view path) { Fail(std::error_code(err, std::generic_category()), path); }

#ifdef _WIN32

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
         error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

std::uint64_t SizeOf(const FileDescriptor& file, std::u16string_view path) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) Fail(native::LastError(), path);
  return static_cast<std::uint64_t>(size.QuadPart);
}

#endif

}  // namespace

std::error_code NotRegularFile() {
  static const FileErrors category;
  return {1, category};
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    FileDescriptor old(fd_);
    fd_ = other.release();
  }
  return *this;
}

#ifdef _WIN32

FileDescriptor::~FileDescriptor() {
  if (fd_ != kNone) ::CloseHandle(fd_);
}

std::size_t FileDescriptor::Read(char* data, std::size_t size) {
  DWORD got = 0;
  const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!::ReadFile(fd_, data, want, &got, nullptr)) throw std::system_error(native::LastError());
  return got;
}

FileDescriptor OpenRegularFile(std::u16string_view path) {
  const native::Path name = native::ToNative(path);
  // A folder cannot be opened as a file at all; say what it is rather than
  // "access denied".
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw std::system_error(NotRegularFile(), native::ForMessage(path));
  }
  HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) Fail(native::LastError(), path);
  FileDescriptor file(handle);
  // Devices (CON, NUL, COM1) and pipes are not regular files.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw std::system_error(NotRegularFile(), native::ForMessage(path));
  }
  return file;
}

PathKind KindOf(std::u16string_view path) {
  // Opened for no access at all: links are followed, and neither sharing
  // modes nor permissions to read stand in the way.
  HANDLE handle = ::CreateFileW(native::ToNative(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return IsMissing(::GetLastError()) ? PathKind::Missing : PathKind::Other;
  const FileDescriptor file(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) return PathKind::Other;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::RegularFile;
}

bool PathExists(std::u16string_view path) {
  if (::GetFileAttributesW(native::ToNative(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return !IsMissing(::GetLastError());
}

void WriteRegularFile(std::u16string_view path, std::string_view bytes) {
  // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened (and refused) itself,
  // never written through.
  HANDLE handle = ::CreateFileW(native::ToNative(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) Fail(native::LastError(), path);
  FileDescriptor file(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) Fail(native::LastError(), path);
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) Fail(ELOOP, path);
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) Fail(native::LastError(), path);
    bytes.remove_prefix(written);
  }
  if (!::CloseHandle(file.release())) Fail(native::LastError(), path);
}

std::error_code RemoveFile(std::u16string_view path) noexcept {
  const native::Path name = native::ToNative(path);
  if (::DeleteFileW(name.c_str())) return {};
  DWORD error = ::GetLastError();
  if (error == ERROR_ACCESS_DENIED) {
    // A read-only file, or a link to a folder (a folder itself).
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && ::RemoveDirectoryW(name.c_str())) return {};
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
               ::SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
      if (::DeleteFileW(name.c_str())) return {};
      error = ::GetLastError();
      ::SetFileAttributesW(name.c_str(), attributes);
    }
  }
  return IsMissing(error) ? std::error_code() : native::FromWin32(error);
}

bool RecycleRegularFile(std::u16string_view spent, std::uint64_t, std::u16string_view, std::string_view) noexcept {
  RemoveFile(spent);
  return false;
}

#else

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t FileDescriptor::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, data, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw std::system_error(errno, std::generic_category());
  }
}

namespace {

// A regular file opened for reading, and its size, in one open and one status.
// O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer;
// the type is then checked on the open descriptor, so nothing can be swapped
// in between a check and the open. The descriptor stays non-blocking, which
// reads of a regular file ignore.
FileDescriptor OpenRegularFileSized(std::u16string_view path, std::uint64_t& size) {
  FileDescriptor file(::open(native::ToNative(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENXIO) throw std::system_error(NotRegularFile(), native::ForMessage(path));  // a socket
    Fail(errno, path);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) Fail(errno, path);
  if (!S_ISREG(info.st_mode)) throw std::system_error(NotRegularFile(), native::ForMessage(path));
  size = static_cast<std::uint64_t>(info.st_size);
  return file;
}

}  // namespace

FileDescriptor OpenRegularFile(std::u16string_view path) {
  std::uint64_t size = 0;
  FileDescriptor file = OpenRegularFileSized(path, size);
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) Fail(errno, path);
  return file;
}

PathKind KindOf(std::u16string_view path) {
  struct stat info {};
  if (::stat(native::ToNative(path).c_str(), &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
  }
  if (S_ISREG(info.st_mode)) return PathKind::RegularFile;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

bool PathExists(std::u16string_view path) {
  struct stat info {};
  return ::lstat(native::ToNative(path).c_str(), &info) == 0 || errno != ENOENT;
}

void WriteRegularFile(std::u16string_view path, std::string_view bytes) {
  FileDescriptor file(
      ::open(native::ToNative(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.get() < 0) Fail(errno, path);
  while (!bytes.empty()) {
    const ssize_t n = ::write(file.get(), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(errno, path);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (::close(file.release()) != 0) Fail(errno, path);
}

std::error_code RemoveFile(std::u16string_view path) noexcept {
  if (::unlink(native::ToNative(path).c_str()) == 0 || errno == ENOENT) return {};
  return {errno, std::generic_category()};
}

bool RecycleRegularFile(std::u16string_view spent, std::uint64_t spentSize, std::u16string_view path,
                        std::string_view bytes) noexcept {
  try {
    const std::string from = native::ToNative(spent);
    const std::string to = native::ToNative(path);
    // A rename replaces a link at path itself, never what it names; a folder
    // at path refuses it.
    if (::rename(from.c_str(), to.c_str()) != 0) {
      ::unlink(from.c_str());
      return false;
    }
    // Not O_TRUNC: ext4 writes a file emptied that way out at its close.
    // Cut to the new length after the write it is not, but cutting costs a
    // journal entry: a caller picks a spent file no longer than the bytes.
    FileDescriptor file(::open(to.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    bool done = file.get() >= 0;
    for (std::string_view left = bytes; done && !left.empty();) {
      const ssize_t n = ::write(file.get(), left.data(), left.size());
      if (n < 0 && errno == EINTR) continue;
      done = n > 0;
      if (done) left.remove_prefix(static_cast<std::size_t>(n));
    }
    if (done && spentSize > bytes.size()) done = ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0;
    if (file.get() >= 0 && ::close(file.release()) != 0) done = false;
    if (!done) ::unlink(to.c_str());
    return done;
  } catch (...) {
    return false;  // a name that cannot be a native path; nothing was changed
  }
}

#endif

#ifndef _WIN32

namespace {

// Reads up to size bytes; a file system that does honour O_NONBLOCK for
// regular files gets the descriptor switched to blocking and is asked again.
std::size_t ReadSome(FileDescriptor& file, char* data, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(file.get(), data, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    const int flags = errno == EAGAIN ? ::fcntl(file.get(), F_GETFL) : -1;
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
      throw std::system_error(errno, std::generic_category());
  }
}

}  // namespace

#endif

// A card's file is read many thousand times a run: in the usual case this
// costs one open, one status, one read and one close. The read asks for one
// byte more than the size, and stops when it got exactly the size.
std::string ReadRegularFile(std::u16string_view path, std::uint64_t maxBytes) {
#ifdef _WIN32
  FileDescriptor file = OpenRegularFile(path);
  const std::uint64_t size = SizeOf(file, path);
#else
  std::uint64_t size = 0;
  FileDescriptor file = OpenRegularFileSized(path, size);
#endif
  if (size > maxBytes) Fail(EFBIG, path);
  std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      // The file grew since its size was taken; still never past the bound.
      if (bytes.size() > maxBytes) Fail(EFBIG, path);
      bytes.resize(bytes.size() * 2);
    }
    std::size_t got = 0;
    try {
#ifdef _WIN32
      got = file.Read(bytes.data() + used, bytes.size() - used);
#else
      got = ReadSome(file, bytes.data() + used, bytes.size() - used);
#endif
    } catch (const std::system_error& e) {
      Fail(e.code(), path);
    }
    if (got == 0) break;
    used += got;
    if (used == size) break;  // short of the byte more asked for: the end
  }
  if (used > maxBytes) Fail(EFBIG, path);
  bytes.resize(used);
  return bytes;
}

}  // namespace quillonet::platform

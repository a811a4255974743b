// Regular files only, opened without blocking.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillonet::platform {
namespace {

class FileErrors final : public std::error_category {
 public:
  const char* name() const noexcept override { return "file"; }
  std::string message(int) const override { return "not a regular file"; }
};

[[noreturn]] void Fail(int err, const std::string& path) {
  throw std::system_error(err, std::generic_category(), path);
}

}  // namespace

std::error_code NotRegularFile() {
  static const FileErrors category;
  return {1, category};
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

FileDescriptor OpenRegularFile(const std::string& path) {
  // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a
  // writer; the type is then checked on the open descriptor, so nothing can
  // be swapped in between a check and the open.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENXIO) throw std::system_error(NotRegularFile(), path);  // a socket
    Fail(errno, path);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) Fail(errno, path);
  if (!S_ISREG(info.st_mode)) throw std::system_error(NotRegularFile(), path);
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) Fail(errno, path);
  return file;
}

PathKind KindOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
  if (S_ISREG(info.st_mode)) return PathKind::RegularFile;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes) {
  FileDescriptor file = OpenRegularFile(path);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) Fail(errno, path);
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) Fail(EFBIG, path);
  std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      // The file grew since fstat; still never past the bound.
      if (bytes.size() > maxBytes) Fail(EFBIG, path);
      bytes.resize(bytes.size() * 2);
    }
    const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno, path);
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  if (used > maxBytes) Fail(EFBIG, path);
  bytes.resize(used);
  return bytes;
}

}  // namespace quillonet::platform

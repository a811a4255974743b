// POSIX implementation of ndb::File (pwrite/pread/fsync on a file created
// exclusively) and of ndb::FileSystem; file_windows.cpp is the Windows one.
#ifndef _WIN32
#include "pst/ndb/file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "pst/error.h"

namespace pst::ndb {
namespace {

// What the system's reason for a failure means to a caller.
ErrorKind kindOf(int err) {
  switch (err) {
    case EEXIST:
      return ErrorKind::Exists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorKind::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return ErrorKind::NoAccess;
    case ENOENT:
    case ENOTDIR:
      return ErrorKind::NotFound;
    default:
      return ErrorKind::Io;
  }
}

[[noreturn]] void fail(int err, const std::string& message) {
  throw Error(kindOf(err), message + ": " + std::strerror(err));
}

class PosixFile final : public File {
 public:
  PosixFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    checkOpen();
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
      ssize_t n = ::pwrite(fd_, p, left, static_cast<off_t>(offset));
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("write");
      }
      p += n;
      left -= static_cast<std::size_t>(n);
      offset += static_cast<std::uint64_t>(n);
    }
  }

  void read(std::uint64_t offset, std::span<std::uint8_t> out) override {
    checkOpen();
    std::uint8_t* p = out.data();
    std::size_t left = out.size();
    while (left > 0) {
      ssize_t n = ::pread(fd_, p, left, static_cast<off_t>(offset));
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("read");
      }
      if (n == 0)
        throw Error(ErrorKind::Corrupt, "short read in " + path_.string() + " at offset " + std::to_string(offset));
      p += n;
      left -= static_cast<std::size_t>(n);
      offset += static_cast<std::uint64_t>(n);
    }
  }

  void sync() override {
    checkOpen();
    if (::fdatasync(fd_) != 0) fail("sync");
  }

  std::uint64_t size() override {
    checkOpen();
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail("stat");
    return static_cast<std::uint64_t>(st.st_size);
  }

  void startWriteback(std::uint64_t offset, std::uint64_t size) override {
    if (fd_ >= 0) ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
  }

  bool truncate(std::uint64_t size) override {
    checkOpen();
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail("shorten");
    return true;
  }

  void close() override {
    if (fd_ < 0) return;
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("close");
  }

 private:
  void checkOpen() const {
    if (fd_ < 0) throw Error(ErrorKind::Closed, "file " + path_.string() + " is closed");
  }
  [[noreturn]] void fail(const char* what) const {
    // Not the path: a store file is written under a temporary name that is
    // gone once it is published; the caller names the file.
    ndb::fail(errno, std::string("cannot ") + what + " the file");
  }

  int fd_;
  std::filesystem::path path_;
};

class LocalFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> createNew(const std::filesystem::path& path) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) fail(errno, "cannot create " + path.string());
    return std::make_unique<PosixFile>(fd, path);
  }

  bool exists(const std::filesystem::path& path) override {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
  }

  void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    const std::string what = "cannot give " + from.string() + " the name " + to.string();
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return;
    }
    if (errno == EEXIST) fail(errno, what);
    // File systems without hard links (FAT, some network shares).
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EINVAL && errno != ENOSYS) fail(errno, what);
    // No atomic no-replace rename here either: check, then rename.
    if (exists(to)) fail(EEXIST, what);
    if (std::rename(from.c_str(), to.c_str()) != 0) fail(errno, what);
  }

  void remove(const std::filesystem::path& path) noexcept override {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }

  void syncFolder(const std::filesystem::path& folder) noexcept override {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
  }
};

}  // namespace

FileSystem& FileSystem::local() {
  static LocalFileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<File> createNewFile(const std::filesystem::path& path) { return FileSystem::local().createNew(path); }

}  // namespace pst::ndb

#endif  // _WIN32

// POSIX implementation of ndb::File: pwrite/pread/fsync on a file created exclusively.
#include "pst/ndb/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "pst/error.h"

namespace pst::ndb {
namespace {

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
      if (n == 0) throw Error("short read in " + path_.string() + " at offset " + std::to_string(offset));
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
    if (fd_ < 0) throw Error("file " + path_.string() + " is closed");
  }
  [[noreturn]] void fail(const char* what) const {
    const int err = errno;
    // Not the path: a store file is written under a temporary name that is
    // gone once it is published; the caller names the file.
    throw Error(ErrorKindOfErrno(err), std::string("cannot ") + what + " the file: " + std::strerror(err));
  }

  int fd_;
  std::filesystem::path path_;
};

}  // namespace

std::unique_ptr<File> createNewFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int err = errno;
    throw Error(ErrorKindOfErrno(err), "cannot create " + path.string() + ": " + std::strerror(err));
  }
  return std::make_unique<PosixFile>(fd, path);
}

}  // namespace pst::ndb

// Opening files that may be named by anyone: only regular files are opened,
// and opening never blocks (a FIFO would wait for a writer for ever).
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace quillonet::platform {

// The error of a path that names something other than a regular file (a
// FIFO, a device, a socket, a folder, a broken link): "not a regular file".
std::error_code NotRegularFile();

// An open descriptor, closed with the object.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Opens a regular file (links followed) for reading. Throws std::system_error
// whose text names the path and the cause, NotRegularFile() included.
FileDescriptor OpenRegularFile(const std::string& path);

// What a path names, links followed.
enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind KindOf(const std::string& path);
// Whether anything (a dangling link included) has this name.
bool PathExists(const std::string& path);

// The bytes of a regular file of at most maxBytes bytes; a larger one throws
// std::system_error (EFBIG) after reading nothing.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes);

}  // namespace quillonet::platform

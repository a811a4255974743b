// Files named by a text path (see platform/native_path.h): opening only
// regular files, and never blocking on one that is not (a FIFO would wait
// for a writer for ever); what a path names; whole files read, written and
// removed. Failures throw std::system_error whose code is the cause (errno
// values on both systems) and whose text names the path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace quillonet::platform {

// The error of a path that names something other than a regular file (a
// FIFO, a device, a socket, a folder, a broken link): "not a regular file".
std::error_code NotRegularFile();

// An open file, closed with the object: a descriptor on POSIX, a HANDLE on Windows.
class FileDescriptor {
 public:
#ifdef _WIN32
  using Native = void*;
  static constexpr Native kNone = nullptr;
#else
  using Native = int;
  static constexpr Native kNone = -1;
#endif
  explicit FileDescriptor(Native fd = kNone) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  Native get() const { return fd_; }
  Native release() {
    const Native fd = fd_;
    fd_ = kNone;
    return fd;
  }
  // Up to size bytes into data; 0 at the end of the file. Throws
  // std::system_error with the cause only: the caller names the file.
  std::size_t Read(char* data, std::size_t size);

 private:
  Native fd_;
};

// Opens a regular file (links followed) for reading. Throws std::system_error
// whose text names the path and the cause, NotRegularFile() included.
FileDescriptor OpenRegularFile(std::u16string_view path);

// What a path names, links followed.
enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind KindOf(std::u16string_view path);
// Whether anything (a dangling link included) has this name.
bool PathExists(std::u16string_view path);

// The bytes of a regular file of at most maxBytes bytes; a larger one throws
// std::system_error (EFBIG) after reading nothing.
std::string ReadRegularFile(std::u16string_view path, std::uint64_t maxBytes);

// Writes bytes as the whole content of path, created readable by this user
// only or emptied first; a link at path is not followed (POSIX: ELOOP). A
// failed write throws and may leave the file incomplete.
void WriteRegularFile(std::u16string_view path, std::string_view bytes);

// Removes a file (a link itself, not what it names). A missing file is no error.
std::error_code RemoveFile(std::u16string_view path) noexcept;

// Gives a file this process wrote and no longer needs (spent, of spentSize
// bytes) the name path and bytes as its whole content, as WriteRegularFile
// would leave it, without making a new file: where files are made and
// removed by the thousand, a file system may spend more on that than on the
// writes (ext4 looks past recently freed inodes for every new one). A spent
// file no longer than bytes is cheapest: one longer is cut, which costs a
// journal entry. Returns false when it could not: then spent is gone,
// whatever was at path is there still, and the caller writes path the usual
// way. Always false where there is no such shortcut (Windows).
bool RecycleRegularFile(std::u16string_view spent, std::uint64_t spentSize, std::u16string_view path,
                        std::string_view bytes) noexcept;

}  // namespace quillonet::platform

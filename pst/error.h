// Errors raised by the PST library: one type, with a kind that says what
// went wrong for callers that act on it, and a message naming what failed.
#pragma once
#include <cerrno>
#include <stdexcept>
#include <string>

namespace pst {

enum class ErrorKind {
  Exists,      // the file to create is there already; nothing was replaced
  DiskFull,    // no space left (or the quota or largest file size reached)
  NoAccess,    // the file system refused: permissions, a read-only medium
  NotFound,    // the folder to create the file in does not exist
  Io,          // any other failure of the file or file system
  Corrupt,     // the writer's own data on disk or in memory is not as it left it
  BadRequest,  // the caller asked for something the format or the store cannot hold
  Closed,      // the store is closed
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  explicit Error(const std::string& message) : Error(ErrorKind::Io, message) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// The kind of a failed system call's errno.
inline ErrorKind ErrorKindOfErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // past the file size limit (SIGXFSZ ignored)
      return ErrorKind::DiskFull;
    case EEXIST:
      return ErrorKind::Exists;
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

}  // namespace pst

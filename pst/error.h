// Errors raised by the PST library: one type, with a kind that says what
// went wrong for callers that act on it, and a message naming what failed.
#pragma once
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
  Closed,      // the store is closed, or stopped taking changes after a failure
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace pst

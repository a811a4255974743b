// Errors raised by the PST library: one type, with a message naming what
// failed and a kind that says what a caller can do about it.
#pragma once
#include <cerrno>
#include <stdexcept>
#include <string>

namespace pst {

class Error : public std::runtime_error {
 public:
  enum class Kind {
    Other,
    Exists,      // the file to create is there already
    DiskFull,    // no space left, a quota or the file size limit reached
    Io,          // the disk or the file system failed
    Corrupt,     // the data read is not what was written
    BadRequest,  // the call itself is wrong (an unknown folder, a closed store)
  };

  explicit Error(const std::string& message, Kind kind = Kind::Other) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

  // The kind of a failed system call's errno.
  static Kind kindOfErrno(int err);

 private:
  Kind kind_;
};

inline Error::Kind Error::kindOfErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // past the file size limit (SIGXFSZ ignored)
      return Kind::DiskFull;
    case EEXIST:
      return Kind::Exists;
    default:
      return Kind::Io;
  }
}

}  // namespace pst

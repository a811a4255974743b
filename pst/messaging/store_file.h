// Where a new store is built: a temporary file beside the destination that
// takes the destination's name only once it holds a valid store, so no
// half-made file ever sits at the path and no existing file is replaced.
#pragma once
#include <filesystem>

#include "pst/ndb/file.h"

namespace pst {

class PendingStoreFile {
 public:
  // Fails with pst::Error (ErrorKind::Exists) when destination exists already.
  PendingStoreFile(ndb::FileSystem& fileSystem, std::filesystem::path destination);
  ~PendingStoreFile();  // removes the temporary file unless published
  PendingStoreFile(const PendingStoreFile&) = delete;
  PendingStoreFile& operator=(const PendingStoreFile&) = delete;

  const std::filesystem::path& temporaryPath() const { return temporary_; }
  const std::filesystem::path& destination() const { return destination_; }
  // Gives the temporary file the destination's name without replacing
  // anything there, and makes the name durable. Open files stay valid.
  // Throws pst::Error.
  void publish();

 private:
  ndb::FileSystem& fileSystem_;
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  bool published_ = false;
};

}  // namespace pst

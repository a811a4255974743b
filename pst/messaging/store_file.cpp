// Temporary store files and publishing them without replacing anything.
#include "pst/messaging/store_file.h"

#include <cstdio>
#include <random>
#include <string>

#include "pst/error.h"

namespace pst {
namespace {

Error alreadyExists(const std::filesystem::path& path) {
  return Error(ErrorKind::Exists, path.string() + ": the file already exists");
}

}  // namespace

PendingStoreFile::PendingStoreFile(ndb::FileSystem& fileSystem, std::filesystem::path destination)
    : fileSystem_(fileSystem), destination_(std::move(destination)) {
  if (fileSystem_.exists(destination_)) throw alreadyExists(destination_);
  std::random_device device;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", device());
  // Built from the path's own form: a narrow name would pass through the
  // system's code page on Windows.
  std::filesystem::path name = ".";
  name += destination_.filename();
  name += std::string(".") + suffix + ".tmp";
  temporary_ = destination_.parent_path() / name;
}

PendingStoreFile::~PendingStoreFile() {
  if (!published_) fileSystem_.remove(temporary_);
}

void PendingStoreFile::publish() {
  try {
    fileSystem_.renameNoReplace(temporary_, destination_);
  } catch (const Error& e) {
    if (e.kind() == ErrorKind::Exists) throw alreadyExists(destination_);
    throw;
  }
  published_ = true;
  fileSystem_.syncFolder(destination_.parent_path());
}

}  // namespace pst

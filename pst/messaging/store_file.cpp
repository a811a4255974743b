// Temporary store files and publishing them without replacing anything.
#include "pst/messaging/store_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "pst/error.h"

namespace pst {
namespace {

std::string reason(int err) { return std::strerror(err); }

// Makes the new name durable.
void syncDirectory(const std::filesystem::path& dir) {
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

PendingStoreFile::PendingStoreFile(std::filesystem::path destination) : destination_(std::move(destination)) {
  std::error_code ec;
  if (std::filesystem::symlink_status(destination_, ec).type() != std::filesystem::file_type::not_found)
    throw Error(destination_.string() + ": the file already exists");
  std::random_device device;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", device());
  temporary_ = destination_.parent_path() / ("." + destination_.filename().string() + "." + suffix + ".tmp");
}

PendingStoreFile::~PendingStoreFile() {
  if (!published_) {
    std::error_code ec;
    std::filesystem::remove(temporary_, ec);
  }
}

void PendingStoreFile::publish() {
  const std::string what = destination_.string() + ": ";
  if (::link(temporary_.c_str(), destination_.c_str()) == 0) {
    ::unlink(temporary_.c_str());
  } else if (errno == EEXIST) {
    throw Error(what + "the file already exists");
  } else {
    // File systems without hard links (FAT, some network shares).
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, destination_.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) throw Error(what + "the file already exists");
      if (errno != EINVAL && errno != ENOSYS) throw Error(what + reason(errno));
      // No atomic no-replace rename here either: check, then rename.
      std::error_code ec;
      if (std::filesystem::symlink_status(destination_, ec).type() != std::filesystem::file_type::not_found)
        throw Error(what + "the file already exists");
      if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) throw Error(what + reason(errno));
    }
  }
  published_ = true;
  syncDirectory(destination_.parent_path());
}

}  // namespace pst

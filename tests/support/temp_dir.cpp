#include "tests/support/temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <stdexcept>

namespace quillonet::test_support {

TempDir::TempDir(const std::string& prefix, Access access) {
  const std::filesystem::path base = access == Access::everyone ? "/tmp" : std::filesystem::temp_directory_path();
  std::string pattern = (base / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder under " + base.string());
  path_ = pattern;
  if (access == Access::everyone) ::chmod(path_.c_str(), 0755);
}

TempDir::~TempDir() {
  std::error_code ec;
  ::chmod(path_.c_str(), 0755);
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0755);
  }
  std::filesystem::remove_all(path_, ec);
}

}  // namespace quillonet::test_support

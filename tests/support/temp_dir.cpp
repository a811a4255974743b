#include "tests/support/temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <random>
#endif

namespace quillonet::test_support {

#ifdef _WIN32

// Windows: a new folder of a random name under the user's temporary folder
// (nobody else's account walks it there); permissions stay as they are.
TempDir::TempDir(const std::string& prefix, Access) {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / (prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(entropy()));
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot create a temporary folder under " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

#else

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

#endif

}  // namespace quillonet::test_support

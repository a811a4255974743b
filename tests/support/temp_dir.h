// A fresh folder for one test, removed with everything in it at the end.
#pragma once
#include <filesystem>
#include <string>

namespace quillonet::test_support {

class TempDir {
 public:
  enum class Access { owner, everyone };
  // Under the system's temporary folder. Access::everyone puts it under /tmp
  // with mode 0755, so that another user (a test's unprivileged one) can walk it.
  explicit TempDir(const std::string& prefix = "quillonet-test", Access access = Access::owner);
  // Gives back permissions a test took away, then removes the tree.
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace quillonet::test_support

// Test helpers: a folder tree under /tmp that another user can read, and running code as that user.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "platform/native_path.h"

#ifdef QT_CORE_LIB
#include "tests/util/qstring_printer.h"

#include <QString>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quillonet::test_support {

// A fresh folder under /tmp (mode 0755, so the unprivileged user can walk
// it), removed with everything in it at the end of the test.
class TestTree {
 public:
  TestTree() : dir_("quillonet-tree", TempDir::Access::everyone), root_(dir_.path().string()) {}
  TestTree(const TestTree&) = delete;
  TestTree& operator=(const TestTree&) = delete;

  // The root without a trailing separator, as text.
  std::u16string Root() const { return platform::DecodeNativePath(root_); }
#ifdef QT_CORE_LIB
  // The same for the tests of the Qt front end.
  QString QRoot() const { return QString::fromStdU16String(Root()); }
#endif
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
    ::chmod(Path(relative).c_str(), 0755);
  }
  void File(const std::string& relative, const std::string& content = "BEGIN:VCARD\r\nEND:VCARD\r\n") const {
    std::ofstream(Path(relative), std::ios::binary) << content;
  }
  void Link(const std::string& relative, const std::string& target) const {
    std::filesystem::create_directory_symlink(target, Path(relative));
  }

 private:
  TempDir dir_;  // gives back permissions a test took away before it removes the tree
  std::string root_;
};

// Drops the effective user to nobody while it lives when running as root,
// so that folder permissions apply; does nothing for an ordinary user.
class AsUnprivilegedUser {
 public:
  AsUnprivilegedUser() {
    if (::geteuid() != 0) return;
    if (::seteuid(65534) != 0) throw std::runtime_error("cannot switch to the user nobody");
    switched_ = true;
  }
  ~AsUnprivilegedUser() {
    if (switched_ && ::seteuid(0) != 0) std::abort();
  }
  AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
  AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

 private:
  bool switched_ = false;
};

}  // namespace quillonet::test_support

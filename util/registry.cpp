// registry: private temporary folder and directory part of a path.
#include "util/registry.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/qt_path.h"

namespace quillonet {
namespace {

constexpr char kPrefix[] = "quillonet-";

// The folders "quillonet-<pid>-XXXXXX" in base that this user's runs left
// behind (a second Ctrl+C, a kill): removed once their process is gone.
void RemoveLeftovers(const std::string& base) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kPrefix, 0) != 0) continue;
    char* after = nullptr;
    const long pid = std::strtol(name.c_str() + sizeof kPrefix - 1, &after, 10);
    if (pid <= 0 || after == nullptr || *after != '-') continue;
    struct stat info {};
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to ask
    std::error_code removed;
    std::filesystem::remove_all(it->path(), removed);
  }
}

// Owns the process's private temporary folder and removes it at exit.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    // $TMPDIR as given, byte for byte, else /tmp. (QDir::tempPath() turns a
    // missing $TMPDIR into "", which would put the folder at the root.)
    const char* variable = std::getenv("TMPDIR");
    const bool fromVariable = variable != nullptr && *variable != 0;
    std::string base = fromVariable ? variable : "/tmp";
    const std::string where = fromVariable ? "the temporary folder $TMPDIR (" + base + ")" : "the temporary folder " + base;
    struct stat info {};
    if (::stat(base.c_str(), &info) != 0) throw std::system_error(errno, std::generic_category(), where);
    if (!S_ISDIR(info.st_mode)) throw std::system_error(ENOTDIR, std::generic_category(), where);
    if (base.back() != '/') base += '/';
    RemoveLeftovers(base);
    std::string pattern = base + kPrefix + std::to_string(::getpid()) + "-XXXXXX";
    // mkdtemp creates the folder with mode 0700 and fails rather than reuse
    // a name that exists, so nobody can have prepared it for us.
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "cannot create a private folder in " + where);
    }
    native_ = pattern;
    owner_ = ::getpid();
    path_ = PathFromNative(pattern) + QLatin1Char('/');
  }
  ~PrivateTempFolder() {
    // A forked child inherits this object; only the creating process cleans up.
    if (::getpid() != owner_) return;
    std::error_code ec;
    std::filesystem::remove_all(native_, ec);  // does not follow links inside
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  const QString& path() const { return path_; }

 private:
  std::string native_;
  QString path_;
  pid_t owner_ = 0;
};

}  // namespace

QString GetTempFolderPath() {
  static const PrivateTempFolder folder;
  return folder.path();
}

QString GetDirectoryPart(const QString& path) {
  if (path.isEmpty()) throw std::invalid_argument("GetDirectoryPart: the path is empty");
  const qsizetype last = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
  return path.left(last + 1);
}

}  // namespace quillonet

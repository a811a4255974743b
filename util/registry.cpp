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
#include <unistd.h>

namespace quillonet {
namespace {

// Owns the process's private temporary folder and removes it at exit.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    // $TMPDIR as given, else /tmp. (QDir::tempPath() turns a missing
    // $TMPDIR into "", which would put the folder at the file-system root.)
    QString base = qEnvironmentVariable("TMPDIR");
    if (base.isEmpty()) base = QStringLiteral("/tmp");
    if (!QFileInfo(base).isDir()) {
      throw std::system_error(ENOENT, std::generic_category(),
                              "the temporary folder " + QFile::encodeName(base).toStdString() + " does not exist");
    }
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    std::string pattern = QFile::encodeName(base + QStringLiteral("quillonet-XXXXXX")).toStdString();
    // mkdtemp creates the folder with mode 0700 and fails rather than reuse
    // a name that exists, so nobody can have prepared it for us.
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(),
                              "cannot create a private temporary folder in " + QFile::encodeName(base).toStdString());
    }
    native_ = pattern;
    owner_ = ::getpid();
    path_ = QFile::decodeName(QByteArray::fromStdString(pattern)) + QLatin1Char('/');
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

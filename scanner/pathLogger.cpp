// pathLogger: the walk, with name-ordered siblings, a visited set against link loops, and unreadable folders noted.
#include "scanner/pathLogger.h"

#include "platform/qt_path.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace quillonet {

// File-system access of the scanner: tests and lists folders.
class pathLogger::FileSystem {
 public:
  struct Listing {
    std::vector<std::string> subfolders;  // bare names, in name order
    std::vector<std::string> files;
    std::vector<std::string> others;  // neither a folder nor a regular file
    bool complete = true;  // false when the folder could not be (fully) read
  };

  static bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  // Device and inode of a folder (links followed); false when unknown.
  static bool Identity(const std::string& path, std::pair<dev_t, ino_t>& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    id = {st.st_dev, st.st_ino};
    return true;
  }

  static Listing List(const std::string& folder) {
    Listing out;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
      out.complete = false;
      return out;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      bool isFolder = entry->d_type == DT_DIR;
      bool isFile = entry->d_type == DT_REG;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
        // Links are followed: a link to a folder is a subfolder, one to a
        // regular file a file; a broken link is neither.
        struct stat st {};
        const bool known = ::fstatat(::dirfd(dir), name, &st, 0) == 0;
        isFolder = known && S_ISDIR(st.st_mode);
        isFile = known && S_ISREG(st.st_mode);
      }
      (isFolder ? out.subfolders : isFile ? out.files : out.others).emplace_back(name);
      errno = 0;
    }
    if (errno != 0) out.complete = false;
    ::closedir(dir);
    std::sort(out.subfolders.begin(), out.subfolders.end());
    std::sort(out.files.begin(), out.files.end());
    std::sort(out.others.begin(), out.others.end());
    return out;
  }
};

pathLogger::pathLogger() = default;
pathLogger::~pathLogger() = default;

void pathLogger::PathLogInit() {
  fso_ = std::make_unique<FileSystem>();
  fullFileNamesOnly_ = true;
  fileNames_.reset();
  pathPointers_.reset();
  pathNames_.reset();
  fullFileNames_.reset();
  unreadable_.clear();
  notRegular_.clear();
}

void pathLogger::Terminate() {
  fso_.reset();
  fileNames_.reset();
  pathPointers_.reset();
  pathNames_.reset();
  fullFileNames_.reset();
  unreadable_.clear();
  notRegular_.clear();
}

std::shared_ptr<StringCollection> pathLogger::fileNames() {
  if (!fileNames_) fileNames_ = std::make_shared<StringCollection>();
  return fileNames_;
}

std::shared_ptr<StringCollection> pathLogger::pathNames() {
  if (!pathNames_) pathNames_ = std::make_shared<StringCollection>();
  return pathNames_;
}

std::shared_ptr<PointerCollection> pathLogger::pathPointers() {
  if (!pathPointers_) pathPointers_ = std::make_shared<PointerCollection>();
  return pathPointers_;
}

std::shared_ptr<StringCollection> pathLogger::fullFileNames() {
  if (!fullFileNames_) fullFileNames_ = std::make_shared<StringCollection>();
  return fullFileNames_;
}

void pathLogger::LogPath(const QString& strPARENT) {
  if (!fso_) throw ScanError(ScanError::kObjectNotSet, QStringLiteral("The scanner was not initialised (PathLogInit)"));
  const std::string nativeRoot = NativePath(strPARENT);
  if (!FileSystem::FolderExists(nativeRoot)) return;

  const QChar sep = QLatin1Char('/');
  qint32 j = 1;
  qint32 i = 1;
  fileCounter_ = 1;
  QString root = strPARENT;
  if (!root.endsWith(sep)) root += sep;
  const std::shared_ptr<StringCollection> folders = pathNames();
  folders->Add(root, QStringLiteral("K0"));

  // The walk reads folders by their native names, so a name that does not
  // decode cleanly is still listed; pathNames holds the decoded form.
  std::vector<std::string> queue{nativeRoot.back() == '/' ? nativeRoot : nativeRoot + '/'};
  std::set<std::pair<dev_t, ino_t>> walked;
  std::pair<dev_t, ino_t> id;
  if (FileSystem::Identity(queue.front(), id)) walked.insert(id);

  const std::shared_ptr<StringCollection> full = fullFileNames();
  const std::shared_ptr<StringCollection> names = fullFileNamesOnly_ ? nullptr : fileNames();
  const std::shared_ptr<PointerCollection> pointers = fullFileNamesOnly_ ? nullptr : pathPointers();
  unreadable_.clear();
  notRegular_.clear();

  while (i <= j) {
    const QString P = folders->Item(i);
    const std::string nativeP = queue[static_cast<size_t>(i - 1)];
    const FileSystem::Listing listing = FileSystem::List(nativeP);
    if (!listing.complete) unreadable_ << P;

    for (const std::string& sub : listing.subfolders) {
      const std::string nativeSub = nativeP + sub + '/';
      if (FileSystem::Identity(nativeSub, id) && !walked.insert(id).second) continue;  // walked already
      ++j;
      folders->Add(P + PathFromNative(sub) + sep, QLatin1Char('K') + QString::number(j));
      queue.push_back(nativeSub);
    }
    for (const std::string& other : listing.others) notRegular_ << P + PathFromNative(other);
    for (const std::string& file : listing.files) {
      const QString key = QLatin1Char('K') + QString::number(fileCounter_);
      const QString name = PathFromNative(file);
      if (fullFileNamesOnly_) {
        full->Add(P + name, key);
      } else {
        names->Add(name, key);
        full->Add(P + name, key);
        pointers->Add(i, key);
      }
      ++fileCounter_;
    }
    ++i;
  }
}

}  // namespace quillonet

// pathLogger: breadth-first walk of a folder tree that collects folder paths and file names.
#pragma once

#include "scanner/keyed_collection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillonet {

using StringCollection = KeyedCollection<std::u16string>;
using PointerCollection = KeyedCollection<std::int32_t>;

// Use: PathLogInit, set fullFileNamesOnly, LogPath(root), read the
// collections, Terminate. Folders are queued in pathNames (root "K0", the
// n-th folder "Kn" for n > 1, each ending in a separator); the k-th file gets
// key "Kk" in fileNames, fullFileNames and pathPointers.
//
// Paths are text paths (platform/native_path.h), joined with the system's
// separator. Siblings come in name order (byte order of the native names on
// POSIX, UTF-16 order on Windows);
// a folder already walked (a link back into the tree, or a second link to
// the same folder) is not queued again; a folder that cannot be listed does
// not end the walk but is recorded in unreadableFolders().
class pathLogger {
 public:
  pathLogger() = default;
  pathLogger(const pathLogger&) = delete;
  pathLogger& operator=(const pathLogger&) = delete;

  // Makes the scanner ready: sets fullFileNamesOnly to true and releases
  // the collections. Count stays.
  void PathLogInit();

  // Walks the tree under strPARENT (with or without a trailing separator).
  // A root that is not an existing folder logs nothing and is no error.
  // Throws ScanError 91 without a PathLogInit since the last Terminate (or
  // ever), and ScanError 457 when pathNames already holds a root.
  void LogPath(const std::u16string& strPARENT);

  // One more than the files logged by the last LogPath (0 on a new object).
  int Count() const { return fileCounter_; }

  // Ends the scanner's readiness and releases the collections; references
  // taken before stay valid. Count keeps its value.
  void Terminate();

  bool fullFileNamesOnly() const { return fullFileNamesOnly_; }
  void setFullFileNamesOnly(bool on) { fullFileNamesOnly_ = on; }

  // The collections, created empty on first use; shared, not copied.
  std::shared_ptr<StringCollection> fileNames();
  std::shared_ptr<StringCollection> pathNames();
  std::shared_ptr<PointerCollection> pathPointers();
  std::shared_ptr<StringCollection> fullFileNames();

  // Folders (as in pathNames) that could not be listed by the last LogPath.
  const std::vector<std::u16string>& unreadableFolders() const { return unreadable_; }
  // Entries that are neither folders nor regular files (FIFOs, devices,
  // sockets, broken links), links followed: not logged as files, since
  // reading one would block or never end.
  const std::vector<std::u16string>& notRegularFiles() const { return notRegular_; }

 private:
  // Set by PathLogInit, released by Terminate: LogPath needs it.
  bool ready_ = false;
  std::int32_t fileCounter_ = 0;
  std::shared_ptr<StringCollection> fileNames_;
  std::shared_ptr<PointerCollection> pathPointers_;
  std::shared_ptr<StringCollection> pathNames_;
  std::shared_ptr<StringCollection> fullFileNames_;
  bool fullFileNamesOnly_ = false;
  std::vector<std::u16string> unreadable_;
  std::vector<std::u16string> notRegular_;
};

}  // namespace quillonet

// FileDrops: files and folders dropped onto the window, added as the two Add buttons add them.
#pragma once

#include "filelist/file_list.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace quillonet {

// The local paths among dropped URLs, each as the URL names it in the file
// system (not made absolute, cleaned or resolved); other URLs are counted.
struct DroppedItems {
  QStringList paths;
  int notLocal = 0;
};
DroppedItems LocalItems(const QList<QUrl>& urls);

class FileDrops {
 public:
  FileDrops(FileList& list, UserDialogs& dialogs, std::function<void(bool)> setImportEnabled,
            std::function<void()> yield, std::function<bool()> importRunning);

  // Whether a drag carrying these URLs may be dropped now: it names a local
  // file or folder, no import is running and no earlier drop is still being
  // added (the additions yield to the window).
  bool Accepts(const QList<QUrl>& urls) const;

  // Adds a drop, in the order of its URLs: a file whose name ends in ".vcf"
  // (any case) through AddFileToList, a folder through the scan of Add Folder.
  // Enables the Import button when anything was added (and leaves it alone
  // otherwise); when a folder was dropped, shows Add Folder's count message
  // with everything the drop added; counts what was not added in a short
  // message; then names unreadable folders. Returns false, doing nothing,
  // when Accepts would refuse the URLs.
  bool Drop(const QList<QUrl>& urls);

 private:
  FileList& list_;
  UserDialogs& dialogs_;
  std::function<void(bool)> setImportEnabled_;
  std::function<void()> yield_;
  std::function<bool()> importRunning_;
  bool adding_ = false;
};

}  // namespace quillonet

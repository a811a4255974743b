// FileDrops: the files and folders of a drop, added to the list.
#include "filelist/file_drops.h"

#include "filelist/add_folder.h"
#include "scanner/card_files.h"
#include "util/text.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace quillonet {

DroppedItems LocalItems(const QList<QUrl>& urls) {
  DroppedItems items;
  for (const QUrl& url : urls) {
    // file://localhost/x is /x here; a file URL naming another host is not local.
    QUrl local = url;
    if (local.host().compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) local.setHost(QString());
    const QString path = local.isLocalFile() && local.host().isEmpty() ? local.toLocalFile() : QString();
    if (path.isEmpty())
      ++items.notLocal;
    else
      items.paths << path;
  }
  return items;
}

FileDrops::FileDrops(FileList& list, UserDialogs& dialogs, std::function<void(bool)> setImportEnabled,
                     std::function<void()> yield, std::function<bool()> importRunning)
    : list_(list),
      dialogs_(dialogs),
      setImportEnabled_(std::move(setImportEnabled)),
      yield_(std::move(yield)),
      importRunning_(std::move(importRunning)) {}

bool FileDrops::Accepts(const QList<QUrl>& urls) const {
  return !adding_ && !importRunning_() && !LocalItems(urls).paths.isEmpty();
}

bool FileDrops::Drop(const QList<QUrl>& urls) {
  if (!Accepts(urls)) return false;
  adding_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{adding_};

  const DroppedItems items = LocalItems(urls);
  int added = 0;
  int notAdded = items.notLocal;
  bool folderDropped = false;
  std::vector<std::u16string> unreadable;
  for (const QString& path : items.paths) {
    if (QFileInfo(path).isDir()) {
      folderDropped = true;
      const FolderAddition addition = AddCardsUnder(list_, dialogs_, path.toStdU16String(), yield_);
      added += addition.added;
      unreadable.insert(unreadable.end(), addition.unreadable.begin(), addition.unreadable.end());
    } else if (IsVCardName(path.toStdU16String())) {
      yield_();
      list_.AddFileToList(path.toStdU16String());
      ++added;
    } else {
      ++notAdded;
    }
  }
  if (added > 0) setImportEnabled_(true);
  if (folderDropped) ReportFilesAdded(dialogs_, added);
  if (notAdded > 0) {
    dialogs_.MsgBox(
        text::Number(notAdded) + u" dropped item(s) not added: only vCard files (.vcf) and folders are taken.",
        MsgButtons::Ok, MsgIcon::Information);
  }
  ReportUnreadable(dialogs_, unreadable);
  return true;
}

}  // namespace quillonet

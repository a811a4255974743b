// Collecting the vCard files under a folder.
#include "scanner/card_files.h"

#include "scanner/pathLogger.h"

namespace quillonet {

bool IsVCardName(const QString& name) {
  QString lower = name.toLower();
  qsizetype start = 0;
  qsizetype end = lower.size();
  while (start < end && lower[start] == QLatin1Char(' ')) ++start;
  while (end > start && lower[end - 1] == QLatin1Char(' ')) --end;
  const QStringView trimmed = QStringView(lower).mid(start, end - start);
  return trimmed.right(4) == QLatin1String(".vcf");
}

FolderScan ScanFolder(const QString& folder) {
  pathLogger logger;
  logger.PathLogInit();
  logger.setFullFileNamesOnly(true);
  logger.LogPath(folder);
  const std::shared_ptr<StringCollection> names = logger.fullFileNames();
  FolderScan scan;
  scan.unreadable = logger.unreadableFolders();
  scan.notRegular = logger.notRegularFiles();
  logger.Terminate();
  scan.files.reserve(names->Count());
  for (const QString& name : names->Items()) scan.files << name;
  return scan;
}

QStringList CollectVCardFiles(const QString& folder, QStringList* unreadable, QStringList* notRegular) {
  FolderScan scan = ScanFolder(folder);
  if (unreadable != nullptr) *unreadable = scan.unreadable;
  if (notRegular != nullptr) {
    notRegular->clear();
    for (const QString& entry : scan.notRegular)
      if (IsVCardName(entry)) *notRegular << entry;
  }
  QStringList cards;
  for (const QString& file : scan.files)
    if (IsVCardName(file)) cards << file;
  return cards;
}

}  // namespace quillonet

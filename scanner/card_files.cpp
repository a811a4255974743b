// Collecting the vCard files under a folder.
#include "scanner/card_files.h"

#include "scanner/pathLogger.h"

namespace quillonet {

bool IsVCardName(std::u16string_view name) {
  // Trailing spaces only matter here: leading ones cannot change the last
  // four characters. Only ASCII letters lower-case to "vcf".
  const std::size_t end = name.find_last_not_of(u' ');
  if (end == std::u16string_view::npos || end < 3) return false;
  return text::EqualsAsciiNoCase(name.substr(end - 3, 4), u".vcf");
}

FolderScan ScanFolder(const std::u16string& folder) {
  pathLogger logger;
  logger.PathLogInit();
  logger.setFullFileNamesOnly(true);
  logger.LogPath(folder);
  const std::shared_ptr<StringCollection> names = logger.fullFileNames();
  FolderScan scan;
  scan.unreadable = logger.unreadableFolders();
  scan.notRegular = logger.notRegularFiles();
  logger.Terminate();
  scan.files = names->Items();
  return scan;
}

std::vector<std::u16string> CollectVCardFiles(const std::u16string& folder, std::vector<std::u16string>* unreadable,
                                              std::vector<std::u16string>* notRegular) {
  FolderScan scan = ScanFolder(folder);
  if (unreadable != nullptr) *unreadable = std::move(scan.unreadable);
  if (notRegular != nullptr) {
    notRegular->clear();
    for (std::u16string& entry : scan.notRegular)
      if (IsVCardName(entry)) notRegular->push_back(std::move(entry));
  }
  std::vector<std::u16string> cards;
  for (std::u16string& file : scan.files)
    if (IsVCardName(file)) cards.push_back(std::move(file));
  return cards;
}

}  // namespace quillonet

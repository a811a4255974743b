// Collecting the vCard files under a folder: the scan and the ".vcf" name test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillonet {

// True when the name, in lower case with leading and trailing spaces
// removed, ends in ".vcf" ("a.VCF" yes; "a.vcf.bak", "a.vcfx" no).
bool IsVCardName(std::u16string_view name);

struct FolderScan {
  std::vector<std::u16string> files;       // every file under the folder, breadth-first
  std::vector<std::u16string> unreadable;  // folders that could not be listed
  std::vector<std::u16string> notRegular;  // entries that are neither folders nor regular files
};

// Runs pathLogger over the folder (full file names only) and returns what
// it collected.
FolderScan ScanFolder(const std::u16string& folder);

// The vCard files under a folder, in the scan's order. Entries with a vCard
// name that are not regular files (a FIFO, a link to a device) are not
// collected but go to *notRegular.
std::vector<std::u16string> CollectVCardFiles(const std::u16string& folder,
                                              std::vector<std::u16string>* unreadable = nullptr,
                                              std::vector<std::u16string>* notRegular = nullptr);

}  // namespace quillonet

// Collecting the vCard files under a folder: the scan and the ".vcf" name test.
#pragma once

#include <QString>
#include <QStringList>

namespace quillonet {

// True when the name, in lower case with leading and trailing spaces
// removed, ends in ".vcf" ("a.VCF" yes; "a.vcf.bak", "a.vcfx" no).
bool IsVCardName(const QString& name);

struct FolderScan {
  QStringList files;       // every file under the folder, breadth-first
  QStringList unreadable;  // folders that could not be listed
  QStringList notRegular;  // entries that are neither folders nor regular files
};

// Runs pathLogger over the folder (full file names only) and returns what
// it collected.
FolderScan ScanFolder(const QString& folder);

// The vCard files under a folder, in the scan's order. Entries with a vCard
// name that are not regular files (a FIFO, a link to a device) are not
// collected but go to *notRegular.
QStringList CollectVCardFiles(const QString& folder, QStringList* unreadable = nullptr,
                              QStringList* notRegular = nullptr);

}  // namespace quillonet

// registry: the temporary folder of this process and the directory part of a path.
#pragma once

#include <QString>

namespace quillonet {

// The folder for this process's temporary files, ending in a separator.
// It is a private folder (mode 0700) created exclusively inside the user's
// temporary folder ($TMPDIR or /tmp) on the first call, the same for every
// later call, and removed with its contents when the process exits; one
// left by a run that was killed is removed by the next run that makes its
// own, once that run's process is gone. Fixed
// names such as "vCard1.vcf" written there can therefore be neither planted
// by another user nor clobbered by a second import running at the same time.
// Throws std::system_error naming the temporary folder when the folder
// cannot be created ($TMPDIR missing, not a folder, full or not writable).
QString GetTempFolderPath();

// The path up to and including its last separator: "C:\a\b\c.vcf" gives
// "C:\a\b\", "/home/ann/c.vcf" gives "/home/ann/", "c.vcf" gives "".
// Both '\' and '/' count as separators, so Windows and POSIX forms work.
// Throws std::invalid_argument for the empty path.
QString GetDirectoryPart(const QString& path);

}  // namespace quillonet

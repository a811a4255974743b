// registry: the temporary folder of this process and the directory part of a path.
#pragma once

#include <string>
#include <string_view>

namespace quillonet {

// The folder for this process's temporary files, ending in a separator: a
// private folder (mode 0700) created exclusively inside the user's
// temporary folder ($TMPDIR or /tmp), the same for every call, removed with
// its contents when the process exits; see platform::PrivateTempFolder.
// Throws std::system_error naming the temporary folder when the folder
// cannot be created ($TMPDIR missing, not a folder, full or not writable).
std::u16string GetTempFolderPath();

// The path up to and including its last separator: "C:\a\b\c.vcf" gives
// "C:\a\b\", "/home/ann/c.vcf" gives "/home/ann/", "c.vcf" gives "".
// Both '\' and '/' count as separators, so Windows and POSIX forms work.
// Throws std::invalid_argument for the empty path.
std::u16string GetDirectoryPart(std::u16string_view path);

}  // namespace quillonet

// The private temporary folder of this process.
#pragma once

#include <string>

namespace quillonet::platform {

// The folder for this process's temporary files, ending in a separator.
// It is made on the first call inside the user's temporary folder ($TMPDIR
// or /tmp on POSIX; GetTempPath on Windows), created exclusively and open to
// this user only (mode 0700; on Windows an access list of this user alone),
// the same for every later call, and removed with its contents when the
// process exits. One left by a run that was killed is removed by the next
// run that makes its own, once that run's process is gone. Fixed names such
// as "vCard1.vcf" written there can therefore be neither planted by another
// user nor clobbered by a second import running at the same time.
// Throws std::system_error naming the temporary folder when the folder
// cannot be created (missing, not a folder, full or not writable).
const std::u16string& PrivateTempFolder();

}  // namespace quillonet::platform

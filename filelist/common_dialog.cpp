// CommonDialog: builds the Explorer-style result string and enforces the buffer size.
#include "filelist/common_dialog.h"

#include <QDir>
#include <QFileInfo>

namespace quillonet {

void CommonDialog::ShowOpen() {
  OpenFileRequest request;
  request.filter = filter_;
  request.multiSelect = (flags_ & kAllowMultiSelect) != 0;
  const QStringList chosen = dialogs_.ShowOpen(request);
  fileName_.clear();
  filesThatFit_ = 0;
  if (chosen.isEmpty()) return;

  QString result;
  if (chosen.size() == 1) {
    result = chosen.front();
    filesThatFit_ = result.size() + 1 <= maxFileSize_ ? 1 : 0;
  } else {
    const QString folder = QDir::toNativeSeparators(QFileInfo(chosen.front()).path());
    result = folder;
    qsizetype used = folder.size() + 1;
    for (const QString& file : chosen) {
      const QFileInfo info(file);
      if (QDir::toNativeSeparators(info.path()) != folder)
        throw DialogError(kInvalidFileName, QStringLiteral("The chosen files are not all in one folder"));
      result += QChar(0) + info.fileName();
      used += info.fileName().size() + 1;
      if (used + 1 <= maxFileSize_) ++filesThatFit_;
    }
  }
  // The caller's buffer holds the result and its terminating NULs.
  const qsizetype needed = result.size() + (chosen.size() > 1 ? 2 : 1);
  if (needed > maxFileSize_) throw DialogError(kBufferTooSmall, QStringLiteral("The file name buffer is too small"));
  fileName_ = result;
}

}  // namespace quillonet

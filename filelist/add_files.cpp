// Adding vCard files chosen in the open-file dialog.
#include "filelist/add_files.h"

#include <QDir>

namespace quillonet {

QStringList FilesFromDialogResult(const QString& result) {
  QString text = result;
  if (!text.endsWith(QChar(0))) text += QChar(0);
  const QStringList parts = text.split(QChar(0));
  const qsizetype highest = parts.size() - 1;  // the last part is empty
  QString prefix;
  if (highest >= 2) {
    prefix = parts[0];
    if (!prefix.endsWith(QDir::separator())) prefix += QDir::separator();
  }
  QStringList files;
  for (qsizetype i = 0; i < highest; ++i) {
    if (i == 0 && !prefix.isEmpty()) continue;  // part 0 is the folder itself
    files << prefix + parts[i];
  }
  return files;
}

void AddFilesByDialog(FileList& list, CommonDialog& cdlgFile, UserDialogs& dialogs,
                      const std::function<void(bool)>& setImportEnabled) {
  try {
    cdlgFile.SetFileName(QString());
    cdlgFile.SetFilter(QStringLiteral("vCard Contacts (*.vcf)|*.vcf"));
    cdlgFile.SetFlags(CommonDialog::kExplorer | CommonDialog::kAllowMultiSelect);
    cdlgFile.SetMaxFileSize(1000);
    cdlgFile.ShowOpen();
    const QString result = cdlgFile.FileName();
    if (result.isEmpty()) return;
    setImportEnabled(true);
    for (const QString& file : FilesFromDialogResult(result)) list.AddFileToList(file);
  } catch (const DialogError& e) {
    if (e.Number() == CommonDialog::kBufferTooSmall) {
      dialogs.MsgBox(QStringLiteral("Please select only ") + QString::number(cdlgFile.FilesThatFit()) +
                         QStringLiteral(" files at a time"),
                     MsgButtons::Ok, MsgIcon::Exclamation);
    } else {
      dialogs.MsgBox(QString::number(e.Number()) + QLatin1Char(':') + e.Description(), MsgButtons::Ok,
                     MsgIcon::Exclamation);
    }
  }
}

}  // namespace quillonet

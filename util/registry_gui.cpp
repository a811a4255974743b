// registry (window side): ShellOpen over QDesktopServices, BrowseForFolder over QFileDialog.
#include "util/registry_gui.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace quillonet {

void ShellOpen(const QString& target) {
  if (target.isEmpty()) return;
  const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                             : QUrl::fromUserInput(target);
  QDesktopServices::openUrl(url);
}

QString FolderResultForm(const QString& folder) {
  if (folder.isEmpty()) return {};
  QString path = QDir::toNativeSeparators(folder);
  const auto isSeparator = [](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); };
  // Strip trailing separators, but keep the one of a root ("/", "D:\").
  while (path.size() > 1 && isSeparator(path.back())) {
    const bool driveRoot = path.size() == 3 && path[1] == QLatin1Char(':');
    if (driveRoot) break;
    path.chop(1);
  }
  return path;
}

QString BrowseForFolder(QWidget* owner, const QString& title) {
  const QString chosen = QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
  return FolderResultForm(chosen);
}

}  // namespace quillonet

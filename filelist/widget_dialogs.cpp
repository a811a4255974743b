// WidgetDialogs: the real message boxes and dialogs.
#include "filelist/widget_dialogs.h"

#include "util/registry.h"
#include "util/registry_gui.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include <exception>

namespace quillonet {

void KeepDialogStateOutOfHome() {
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  static const bool redirected = [] {
    QString folder;
    try {
      folder = QString::fromStdU16String(GetTempFolderPath()) + QStringLiteral("settings");
    } catch (const std::exception&) {
      // Without a private folder nothing is saved at all: no folder can be
      // made below a device, whoever runs the program.
      folder = QStringLiteral("/dev/null/settings");
    }
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
      for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
        QSettings::setPath(format, scope, folder);
    return true;
  }();
  (void)redirected;
}

WidgetDialogs::WidgetDialogs(QWidget* owner) : owner_(owner) { KeepDialogStateOutOfHome(); }

MsgAnswer WidgetDialogs::MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                                const std::u16string& caption, const std::u16string& details) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdU16String(caption));
  // The texts use CR LF line ends; the label wants plain LF.
  QString shown = QString::fromStdU16String(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setText(shown);
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setDetailedText(QString::fromStdU16String(details));
  switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  if (buttons == MsgButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return MsgAnswer::Ok;
}

QStringList WidgetDialogs::NameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt takes the patterns from the last parentheses of the description.
    if (description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
      out << description;
    else
      out << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return out;
}

std::vector<std::u16string> WidgetDialogs::ShowOpen(const OpenFileRequest& request) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog.setNameFilters(NameFilters(QString::fromStdU16String(request.filter)));
  dialog.selectFile(QString());
  if (dialog.exec() != QDialog::Accepted) return {};
  std::vector<std::u16string> files;
  for (const QString& f : dialog.selectedFiles()) files.push_back(QDir::toNativeSeparators(f).toStdU16String());
  return files;
}

std::u16string WidgetDialogs::BrowseForFolder(const std::u16string& title) {
  return quillonet::BrowseForFolder(owner_, QString::fromStdU16String(title)).toStdU16String();
}

void WidgetDialogs::SetBusyPointer(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace quillonet

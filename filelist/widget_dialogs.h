// WidgetDialogs: UserDialogs shown with QMessageBox and QFileDialog, modal to an owner window.
#pragma once

#include "filelist/dialogs.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace quillonet {

// Nothing of the dialogs is kept under the user's home: see KeepDialogStateOutOfHome.
class WidgetDialogs : public UserDialogs {
 public:
  explicit WidgetDialogs(QWidget* owner);

  MsgAnswer MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                   const std::u16string& caption = AppTitle(), const std::u16string& details = {}) override;
  std::vector<std::u16string> ShowOpen(const OpenFileRequest& request) override;
  std::u16string BrowseForFolder(const std::u16string& title) override;
  // QApplication's override cursor.
  void SetBusyPointer(bool busy) override;

  // "desc|pattern|desc|pattern" as Qt name filters ("desc (pattern)").
  static QStringList NameFilters(const QString& filter);

 private:
  QWidget* owner_;
};

// Qt's own file dialog, open-file and folder dialog alike, reads its history,
// sidebar and view from QtProject.conf in the user's configuration folder
// and writes them back each time a dialog is destroyed; a desktop's dialog
// (GTK, KDE, a portal) keeps recent files and its own settings there. The
// program keeps no settings, so this makes every dialog Qt's own and
// points Qt's settings at this process's private temporary folder, which
// goes when the program ends: a dialog remembers the folders of the run,
// nothing more. Called by every WidgetDialogs; harmless to repeat.
void KeepDialogStateOutOfHome();

}  // namespace quillonet

// WidgetDialogs: UserDialogs shown with QMessageBox and QFileDialog, modal to an owner window.
#pragma once

#include "filelist/dialogs.h"

class QWidget;

namespace quillonet {

class WidgetDialogs : public UserDialogs {
 public:
  explicit WidgetDialogs(QWidget* owner) : owner_(owner) {}

  MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption = AppTitle(),
                   const QString& details = QString()) override;
  QStringList ShowOpen(const OpenFileRequest& request) override;
  QString BrowseForFolder(const QString& title) override;

  // "desc|pattern|desc|pattern" as Qt name filters ("desc (pattern)").
  static QStringList NameFilters(const QString& filter);

 private:
  QWidget* owner_;
};

}  // namespace quillonet

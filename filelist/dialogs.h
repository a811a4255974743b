// UserDialogs: every message box and file or folder dialog the window shows, behind one interface.
#pragma once

#include "util/app_info.h"

#include <QString>
#include <QStringList>

namespace quillonet {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Exclamation, Information, Critical };
enum class MsgAnswer { Ok, Yes, No };

// What the open-file dialog is asked for.
struct OpenFileRequest {
  QString filter;         // "description|pattern[|description|pattern...]"
  bool multiSelect = false;
};

// The window shows its questions and dialogs through this; tests answer them.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A modal message box; returns the button pressed. details, when not
  // empty, says more about a failure and is shown on request.
  virtual MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                           const QString& caption = QString::fromStdU16String(AppTitle()), const QString& details = QString()) = 0;

  // The open-file dialog: the chosen files as full native paths, in the
  // order the dialog lists them; empty when the user cancelled.
  virtual QStringList ShowOpen(const OpenFileRequest& request) = 0;

  // The folder chooser: the chosen folder without a trailing separator
  // (except a root), or empty when the user cancelled.
  virtual QString BrowseForFolder(const QString& title) = 0;
};

}  // namespace quillonet

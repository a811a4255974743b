// UserDialogs: every message box and file or folder dialog the window shows, behind one interface.
#pragma once

#include "util/app_info.h"

#include <string>
#include <vector>

namespace quillonet {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Exclamation, Information, Critical };
enum class MsgAnswer { Ok, Yes, No };

// What the open-file dialog is asked for.
struct OpenFileRequest {
  std::u16string filter;  // "description|pattern[|description|pattern...]"
  bool multiSelect = false;
};

// The window shows its questions and dialogs through this; tests answer them.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A modal message box; returns the button pressed. details, when not
  // empty, says more about a failure and is shown on request.
  virtual MsgAnswer MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                           const std::u16string& caption = AppTitle(), const std::u16string& details = {}) = 0;

  // The open-file dialog: the chosen files as full paths, in the order the
  // dialog lists them; empty when the user cancelled.
  virtual std::vector<std::u16string> ShowOpen(const OpenFileRequest& request) = 0;

  // The folder chooser: the chosen folder without a trailing separator
  // (except a root), or empty when the user cancelled.
  virtual std::u16string BrowseForFolder(const std::u16string& title) = 0;

  // The application-wide busy pointer, on or off.
  virtual void SetBusyPointer(bool busy) = 0;
};

// Shows the busy pointer while it lives.
class BusyPointer {
 public:
  explicit BusyPointer(UserDialogs& dialogs) : dialogs_(dialogs) { dialogs_.SetBusyPointer(true); }
  ~BusyPointer() { dialogs_.SetBusyPointer(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  UserDialogs& dialogs_;
};

}  // namespace quillonet

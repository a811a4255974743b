// NativeDialogs: the window's message boxes, open-file dialog, folder
// browser and busy pointer, as Windows shows them.
#pragma once

#include "filelist/dialogs.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quillonet::win32 {

class NativeDialogs : public UserDialogs {
 public:
  // Characters the open-file dialog may write; the program's own limit
  // (CommonDialog::MaxFileSize) is applied to what it returns, so a
  // selection that is too large is answered with how many files fit.
  static constexpr DWORD kOpenBufferChars = 1 << 17;

  // owner: the window the dialogs are modal to (may be set later).
  explicit NativeDialogs(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  // MessageBoxW; a message with details shows them below its text in a
  // scrolling box of a dialog of its own.
  MsgAnswer MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                   const std::u16string& caption = AppTitle(), const std::u16string& details = {}) override;
  // GetOpenFileNameW in Explorer style, multiple selection as asked.
  std::vector<std::u16string> ShowOpen(const OpenFileRequest& request) override;
  // SHBrowseForFolderW, file-system folders only.
  std::u16string BrowseForFolder(const std::u16string& title) override;
  void SetBusyPointer(bool busy) override;
  // Whether the busy pointer is on (the window shows it in WM_SETCURSOR).
  bool Busy() const { return busy_ > 0; }

 private:
  HWND owner_;
  int busy_ = 0;
};

// The Explorer-style result of the open-file dialog (one full path, or a
// folder and names, each ended by a NUL, the whole by a second NUL) as full paths.
std::vector<std::u16string> ChosenFiles(const wchar_t* buffer);

// "description|pattern|..." as the dialog's filter: pairs ended by NULs, the whole by a second NUL.
std::wstring DialogFilter(const std::u16string& filter);

// Opens a document or address with the shell's "open" verb; the empty string
// does nothing, and a failure is not reported.
void ShellOpen(const std::u16string& target);

}  // namespace quillonet::win32

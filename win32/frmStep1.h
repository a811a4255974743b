// frmStep1 (Windows): the main window of native controls laid out in twips,
// its button handlers, and the import run's view.
#pragma once

#include "filelist/common_dialog.h"
#include "filelist/file_list.h"
#include "filelist/grid_list_source.h"
#include "import/import_run.h"
#include "import/import_view.h"
#include "win32/controls.h"
#include "win32/native_dialogs.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace quillonet::win32 {

// Control identifiers (WM_COMMAND); none is IDOK or IDCANCEL, so Enter and
// Escape press no button.
enum ControlId : int {
  kCmdAdd = 101,
  kCmdClear1,
  kCmdAddFolder,
  kGrdFiles1,
  kLblCount1,
  kCmdExtractDBX,
  kCmdEnd,
  kLblTitle,
  kLblCopyright,
  kCmdHelp,
  kLblProgessCurrent,
  kLblCurrentDBX,
  kLabel1,
  kLabel2,
  kProgressBar1,
  kProgressBar2,
  kFrameConversion,
};

class frmStep1 : public ImportView {
 public:
  // Creates the window and its controls (not yet shown). components make
  // the store session for the import run.
  explicit frmStep1(automation::ComponentFactory& components);
  ~frmStep1() override;
  frmStep1(const frmStep1&) = delete;
  frmStep1& operator=(const frmStep1&) = delete;

  HWND Handle() const { return hwnd_; }
  // Shows the window centred on the screen with the focus on cmdAdd.
  void Show(int showCommand);
  // Takes the window's keyboard navigation (Tab, Alt+access key) out of a
  // queued message; true when the message was handled so.
  bool Navigate(MSG& msg);

  // Pixels for a length in twips at the system's DPI.
  int Px(int twips) const;

  // Handlers.
  void cmdEnd_Click();
  void CmdHelp_Click();
  void cmdAdd_Click();
  void cmdClear1_Click();
  void CmdAddFolder_Click();
  void CmdExtractDBX_Click();

  // ImportView.
  std::u16string BrowseForFolder(const std::u16string& title) override;
  void setCaption(Caption control, const std::u16string& caption) override;
  void setProgressMin(Bar bar, float value) override;
  void setProgressMax(Bar bar, float value) override;
  void setProgressValue(Bar bar, float value) override;
  void setImportEnabled(bool enabled) override;
  void processEvents() override;
  void showMessage(const std::u16string& caption, const std::u16string& text,
                   const std::u16string& details) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  HWND Control(const wchar_t* windowClass, const std::u16string& caption, DWORD style, int id, int left, int top,
               int width, int height);
  void Paint();
  void OnCommand(int id);
  void OnClose();
  // Runs a handler; a failure it does not catch ends it with a message.
  void Guarded(const std::function<void()>& handler);
  ProgressControl& BarFor(Bar bar);
  void PumpMessages();

  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HFONT titleFont_ = nullptr;
  HBRUSH white_ = nullptr;
  HWND focus_ = nullptr;  // the control to give the focus back to on activation

  NativeDialogs dialogs_;
  std::unique_ptr<GridControl> grdFiles1;
  LabelControl lblCount1;
  LabelControl LblCurrentDBX;
  LabelControl LblProgessCurrent;
  ProgressControl ProgressBar1;
  ProgressControl ProgressBar2;
  HWND FrameConversion = nullptr;
  HWND cmdAdd = nullptr;
  HWND cmdClear1 = nullptr;
  HWND CmdAddFolder = nullptr;
  HWND CmdExtractDBX = nullptr;
  HWND cmdEnd = nullptr;
  HWND CmdHelp = nullptr;
  HWND lblTitle = nullptr;
  HWND lblCopyright = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;

  std::unique_ptr<FileList> fileList_;
  std::unique_ptr<CommonDialog> cdlgFile;
  std::unique_ptr<GridListSource> gridSource_;
  std::unique_ptr<ImportRun> run_;
  bool closePending_ = false;
  ULONGLONG lastPump_ = 0;  // when the run last served the message queue
};

}  // namespace quillonet::win32

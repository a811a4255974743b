// frmStep1 (Windows): controls, layout, Exit confirmation, Help, the list buttons and the run's view.
#include "win32/frmStep1.h"

#include "filelist/add_files.h"
#include "filelist/add_folder.h"
#include "util/app_info.h"
#include "util/text.h"
#include "util/twips.h"
#include "win32/wide.h"

#include <commctrl.h>

#include <stdexcept>

namespace quillonet::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"QuillonetFrmStep1";
constexpr int kClientWidthTwips = 8145;
constexpr int kClientHeightTwips = 6750;
constexpr int kStartColTwips = 50000;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLightGrey = RGB(192, 192, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);
// The window is fixed in size: no resizing border, no maximise button.
// No WS_CLIPCHILDREN: the frame does not paint its inside, the window's
// background shows through it.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The frame's contents, relative to it.
constexpr int kFrameLeft = 240;
constexpr int kFrameTop = 3480;
// The bottom panel Picture3, relative to the window.
constexpr int kPanelLeft = 240;
constexpr int kPanelTop = 6240;
// While a run works, the queue is served when this much time has passed since it last was.
constexpr ULONGLONG kPumpMillis = 10;

HFONT Tahoma(int dpi, int hundredthsOfPoint, bool bold) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(hundredthsOfPoint, dpi, 7200);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  // Group icon 1 of the resources, in the sizes the title bar and the task bar want.
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_DEFAULTCOLOR));
  RegisterClassExW(&wc);  // a second window finds it registered
}

}  // namespace

frmStep1::frmStep1(automation::ComponentFactory& components) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, &frmStep1::WindowProc);
  const HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  font_ = Tahoma(dpi_, 825, false);
  titleFont_ = Tahoma(dpi_, 1425, true);
  white_ = CreateSolidBrush(kWhite);

  RECT frame{0, 0, Px(kClientWidthTwips), Px(kClientHeightTwips)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kWindowClass, Wide(AppTitle()), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) throw std::runtime_error("The main window could not be created");
  dialogs_.SetOwner(hwnd_);
  CreateControls();
  // Load: the grid's column starts very wide.
  grdFiles1->SetColWidth(0, kStartColTwips);

  fileList_ = std::make_unique<FileList>(*grdFiles1, lblCount1);
  cdlgFile = std::make_unique<CommonDialog>(dialogs_);
  gridSource_ = std::make_unique<GridListSource>(*grdFiles1);
  run_ = std::make_unique<ImportRun>(components, *this, *gridSource_);
}

frmStep1::~frmStep1() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  DeleteObject(font_);
  DeleteObject(titleFont_);
  DeleteObject(white_);
}

int frmStep1::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

HWND frmStep1::Control(const wchar_t* windowClass, const std::u16string& caption, DWORD style, int id, int left,
                       int top, int width, int height) {
  const HWND control = CreateWindowExW(0, windowClass, Wide(caption), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                                       Px(left), Px(top), Px(width), Px(height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                       nullptr);
  if (control == nullptr) throw std::runtime_error("A control of the main window could not be created");
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

// Controls are made in the tab order; the Tab key follows the order of
// making. The frame's contents lie above the frame, so they come before it.
void frmStep1::CreateControls() {
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  // Labels keep to one line, as captions sized for Tahoma need; an ampersand
// in a path is shown, not taken as an access key.
  constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  cmdAdd = Control(WC_BUTTONW, u"Add vCard File(s)...", kButton, kCmdAdd, 240, 960, 1815, 375);
  cmdClear1 = Control(WC_BUTTONW, u"Clear File(s)...", kButton, kCmdClear1, 6240, 960, 1695, 375);
  CmdAddFolder =
      Control(WC_BUTTONW, u"Add Folder having vCard File(s)...", kButton, kCmdAddFolder, 2400, 960, 2775, 375);
  grdFiles1 = std::make_unique<GridControl>(hwnd_, kGrdFiles1, RECT{Px(240), Px(1800), Px(240 + 7695), Px(1800 + 1575)},
                                            dpi_);
  SendMessageW(grdFiles1->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  lblCount1 = LabelControl(Control(WC_STATICW, u"0 files", kLabel, kLblCount1, 270, 1560, 7695, 255));
  CmdExtractDBX =
      Control(WC_BUTTONW, u"Import &Contacts", kButton | WS_DISABLED, kCmdExtractDBX, 2880, 5520, 2415, 435);
  cmdEnd = Control(WC_BUTTONW, u"E&xit", kButton, kCmdEnd, kPanelLeft + 6360, kPanelTop, 1335, 375);
  lblTitle = Control(WC_STATICW, u"Marlix Quillonet", kLabel, kLblTitle, 240, 120, 6255, 375);
  SendMessageW(lblTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
  lblCopyright = Control(WC_STATICW, AppCopyrightLine(), kLabel, kLblCopyright, 240, 480, 6135, 255);
  // Nothing makes the Help button visible.
  CmdHelp = Control(WC_BUTTONW, u"&Help Manual", kButton, kCmdHelp, kPanelLeft, kPanelTop, 1695, 375);
  ShowWindow(CmdHelp, SW_HIDE);

  const auto inFrame = [](int offset, int frame) { return frame + offset; };
  LblProgessCurrent = LabelControl(Control(WC_STATICW, u"Contact 1 (of 1)", kLabel, kLblProgessCurrent,
                                           inFrame(1800, kFrameLeft), inFrame(600, kFrameTop), 5775, 255));
  LblCurrentDBX = LabelControl(Control(WC_STATICW, u"Converting Contacts...", kLabel, kLblCurrentDBX,
                                       inFrame(120, kFrameLeft), inFrame(240, kFrameTop), 7455, 255));
  Label1 = Control(WC_STATICW, u"Overall Progress        : ", kLabel, kLabel1, inFrame(120, kFrameLeft),
                   inFrame(1320, kFrameTop), 1695, 255);
  ProgressBar1 = ProgressControl(Control(PROGRESS_CLASSW, u"", 0, kProgressBar1, inFrame(1800, kFrameLeft),
                                         inFrame(1320, kFrameTop), 5775, 255));
  Label2 = Control(WC_STATICW, u"Current File Progress : ", kLabel, kLabel2, inFrame(120, kFrameLeft),
                   inFrame(960, kFrameTop), 1695, 255);
  ProgressBar2 = ProgressControl(Control(PROGRESS_CLASSW, u"", 0, kProgressBar2, inFrame(1800, kFrameLeft),
                                         inFrame(960, kFrameTop), 5775, 255));
  FrameConversion = Control(WC_BUTTONW, u"Details", BS_GROUPBOX, kFrameConversion, kFrameLeft, kFrameTop, 7695, 1815);
}

void frmStep1::Show(int showCommand) {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(cmdAdd);
}

bool frmStep1::Navigate(MSG& msg) { return IsDialogMessageW(hwnd_, &msg) != FALSE; }

LRESULT CALLBACK frmStep1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<frmStep1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmStep1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Dispatch(message, wParam, lParam);
}

LRESULT frmStep1::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (grdFiles1 && grdFiles1->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const auto dc = reinterpret_cast<HDC>(wParam);
      if (control == lblTitle || control == lblCopyright) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(white_);
      }
      if (control == LblProgessCurrent.Handle()) {
        const LRESULT brush = DefWindowProcW(hwnd_, message, wParam, lParam);
        SetTextColor(dc, RGB(0, 0, 0));
        return brush;
      }
      break;
    }
    case WM_CTLCOLORBTN: {
      // The bottom panel's buttons stand on white.
      const auto control = reinterpret_cast<HWND>(lParam);
      if (control == cmdEnd || control == CmdHelp) return reinterpret_cast<LRESULT>(white_);
      break;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETCURSOR:
      if (dialogs_.Busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The focus goes back to the control that had it when the window was left.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      } else if (focus_ != nullptr && IsWindow(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      // Logging off in the middle of a run would end the process before
      // the run's tear-down completes the file: the run is stopped, and the
      // session waits for it (the user may still end it at once).
      if (run_ && run_->isRunning()) {
        ShutdownBlockReasonCreate(hwnd_, L"Completing the personal folders file of the import");
        closePending_ = true;
        run_->requestStop();
        return FALSE;
      }
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// The two shapes behind everything (the white bands of the title and the
// bottom) and the white panel Picture3.
void frmStep1::Paint() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd_, &ps);
  const auto rectangle = [&](int left, int top, int width, int height, COLORREF border) {
    const HPEN pen = CreatePen(PS_SOLID, 1, border);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, white_);
    Rectangle(dc, Px(left), Px(top), Px(left + width), Px(top + height));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  };
  rectangle(-120, 0, 8415, 855, kGrey);      // Shape2
  rectangle(0, 6120, 8415, 855, kLightGrey);  // Shape1
  RECT panel{Px(kPanelLeft), Px(kPanelTop), Px(kPanelLeft + 7695), Px(kPanelTop + 495)};
  FillRect(dc, &panel, white_);  // Picture3
  EndPaint(hwnd_, &ps);
}

void frmStep1::OnCommand(int id) {
  switch (id) {
    case kCmdEnd: Guarded([this] { cmdEnd_Click(); }); break;
    case kCmdHelp: Guarded([this] { CmdHelp_Click(); }); break;
    case kCmdAdd: Guarded([this] { cmdAdd_Click(); }); break;
    case kCmdClear1: Guarded([this] { cmdClear1_Click(); }); break;
    case kCmdAddFolder: Guarded([this] { CmdAddFolder_Click(); }); break;
    case kCmdExtractDBX: Guarded([this] { CmdExtractDBX_Click(); }); break;
    default: break;  // Enter and Escape (IDOK, IDCANCEL) press nothing
  }
}

void frmStep1::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    dialogs_.MsgBox(text::FromUtf8(e.what()), MsgButtons::Ok, MsgIcon::Exclamation);
  }
}

// Closing in the middle of a run would skip its tear-down, which removes the
// new store from the profile and so completes the file. The run is asked to
// stop after the card at hand instead; the window closes when it has (see
// CmdExtractDBX_Click).
void frmStep1::OnClose() {
  if (run_ && run_->isRunning()) {
    closePending_ = true;
    run_->requestStop();
    return;
  }
  DestroyWindow(hwnd_);
}

void frmStep1::cmdEnd_Click() {
  if (dialogs_.MsgBox(u"Are you sure you want to exit now?", MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void frmStep1::CmdHelp_Click() { ShellOpen(AppHelpAddress()); }

void frmStep1::cmdAdd_Click() {
  AddFilesByDialog(*fileList_, *cdlgFile, dialogs_, [this](bool on) { setImportEnabled(on); });
}

void frmStep1::cmdClear1_Click() { ConfirmAndClear(*fileList_, dialogs_); }

void frmStep1::CmdAddFolder_Click() {
  AddFolderOfCards(*fileList_, dialogs_, [this](bool on) { setImportEnabled(on); }, [this] { PumpMessages(); });
}

void frmStep1::CmdExtractDBX_Click() {
  run_->CmdExtractDBX_Click();
  if (closePending_ && !run_->isRunning()) {
    closePending_ = false;
    ShutdownBlockReasonDestroy(hwnd_);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  }
}

std::u16string frmStep1::BrowseForFolder(const std::u16string& title) { return dialogs_.BrowseForFolder(title); }

void frmStep1::setCaption(Caption control, const std::u16string& caption) {
  switch (control) {
    case Caption::FrameConversion: SetWindowTextW(FrameConversion, Wide(caption)); break;
    case Caption::LblCurrentDBX: LblCurrentDBX.SetCaption(caption); break;
    case Caption::LblProgessCurrent: LblProgessCurrent.SetCaption(caption); break;
  }
}

ProgressControl& frmStep1::BarFor(Bar bar) { return bar == Bar::ProgressBar1 ? ProgressBar1 : ProgressBar2; }

void frmStep1::setProgressMin(Bar bar, float value) { BarFor(bar).SetMin(value); }
void frmStep1::setProgressMax(Bar bar, float value) { BarFor(bar).SetMax(value); }
void frmStep1::setProgressValue(Bar bar, float value) { BarFor(bar).SetValue(value); }

void frmStep1::setImportEnabled(bool enabled) {
  // A disabled button cannot keep the focus; it moves on as Tab would move it.
  if (!enabled && GetFocus() == CmdExtractDBX) SetFocus(GetNextDlgTabItem(hwnd_, CmdExtractDBX, FALSE));
  EnableWindow(CmdExtractDBX, enabled ? TRUE : FALSE);
}

// The run yields several times per line of a file; serving the queue (and
// repainting) at each would cost more than the import itself.
void frmStep1::processEvents() {
  const ULONGLONG now = GetTickCount64();
  if (lastPump_ != 0 && now - lastPump_ < kPumpMillis) return;
  PumpMessages();
  lastPump_ = GetTickCount64();
}

// Dispatches every queued message. A quit message found here belongs to the
// main loop: it is put back, and a run in progress is asked to stop.
void frmStep1::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      if (run_) run_->requestStop();
      return;
    }
    if (Navigate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void frmStep1::showMessage(const std::u16string& caption, const std::u16string& text,
                           const std::u16string& details) {
  dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Information, caption, details);
}

}  // namespace quillonet::win32

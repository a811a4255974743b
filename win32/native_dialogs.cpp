// NativeDialogs: MessageBoxW, GetOpenFileNameW, SHBrowseForFolderW, the wait cursor; ShellOpen.
#include "win32/native_dialogs.h"

#include "filelist/common_dialog.h"
#include "util/text.h"
#include "win32/wide.h"

#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace quillonet::win32 {
namespace {

UINT IconFlags(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Question: return MB_ICONQUESTION;
    case MsgIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MsgIcon::Information: return MB_ICONINFORMATION;
    case MsgIcon::Critical: return MB_ICONERROR;
    case MsgIcon::None: break;
  }
  return 0;
}

const wchar_t* SystemIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Question: return IDI_QUESTION;
    case MsgIcon::Exclamation: return IDI_WARNING;
    case MsgIcon::Information: return IDI_INFORMATION;
    case MsgIcon::Critical: return IDI_ERROR;
    case MsgIcon::None: break;
  }
  return nullptr;
}

// A dialog template in memory: the header, then each control, DWORD-aligned.
class DialogTemplate {
 public:
  DialogTemplate(const std::u16string& caption, short width, short height, WORD controls) {
    Add32(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Add32(0);
    words_.push_back(controls);
    for (short v : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AddText(caption);
    words_.push_back(8);  // points
    AddText(u"Tahoma");
  }

  // A control of a predefined class (0x80 button, 0x81 edit, 0x82 static).
  void Control(WORD windowClass, DWORD style, short x, short y, short width, short height, WORD id,
               const std::u16string& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Add32(style | WS_CHILD | WS_VISIBLE);
    Add32(0);
    for (short v : {x, y, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(windowClass);
    AddText(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Add32(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void AddText(const std::u16string& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct DetailsRequest {
  std::u16string text;
  MsgIcon icon;
};

constexpr int kDetailsIcon = 100;
constexpr int kDetailsText = 101;

INT_PTR CALLBACK DetailsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto& request = *reinterpret_cast<const DetailsRequest*>(lParam);
      SetDlgItemTextW(dialog, kDetailsText, Wide(request.text));
      if (const wchar_t* icon = SystemIcon(request.icon))
        SendDlgItemMessageW(dialog, kDetailsIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// A message whose details may run to hundreds of lines: the text and the
// details in one scrolling read-only box, with an OK button.
void ShowWithDetails(HWND owner, const std::u16string& text, const std::u16string& details,
                     const std::u16string& caption, MsgIcon icon) {
  DialogTemplate form(caption, 320, 200, 3);
  form.Control(0x82, SS_ICON, 8, 8, 20, 20, kDetailsIcon, u"");
  form.Control(0x81, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 36, 8, 276,
               162, kDetailsText, u"");
  form.Control(0x80, BS_DEFPUSHBUTTON | WS_TABSTOP, 262, 178, 50, 14, IDOK, u"OK");
  // The edit box wants CR LF line ends.
  std::u16string shown;
  for (char16_t c : text + u"\n\n" + details) {
    if (c == u'\n' && (shown.empty() || shown.back() != u'\r')) shown += u'\r';
    shown += c;
  }
  DetailsRequest request{shown, icon};
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), form.Get(), owner, DetailsProc,
                          reinterpret_cast<LPARAM>(&request));
}

}  // namespace

MsgAnswer NativeDialogs::MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                                const std::u16string& caption, const std::u16string& details) {
  if (!details.empty() && buttons == MsgButtons::Ok) {
    ShowWithDetails(owner_, text, details, caption, icon);
    return MsgAnswer::Ok;
  }
  const UINT flags = (buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK) | IconFlags(icon);
  const int answer = MessageBoxW(owner_, Wide(text), Wide(caption), flags);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return answer == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
}

std::wstring DialogFilter(const std::u16string& filter) {
  std::wstring result;
  for (char16_t c : filter) result += c == u'|' ? L'\0' : static_cast<wchar_t>(c);
  result += L'\0';
  result += L'\0';
  return result;
}

std::vector<std::u16string> ChosenFiles(const wchar_t* buffer) {
  std::vector<std::u16string> files;
  const std::wstring_view first(buffer);
  if (first.empty()) return files;
  const wchar_t* name = buffer + first.size() + 1;
  if (*name == L'\0') {
    files.push_back(FromWide(first));
    return files;
  }
  std::u16string folder = FromWide(first);
  if (folder.back() != u'\\') folder += u'\\';
  while (*name != L'\0') {
    const std::wstring_view part(name);
    files.push_back(folder + FromWide(part));
    name += part.size() + 1;
  }
  return files;
}

std::vector<std::u16string> NativeDialogs::ShowOpen(const OpenFileRequest& request) {
  const std::wstring filter = DialogFilter(request.filter);
  std::vector<wchar_t> buffer(kOpenBufferChars, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = kOpenBufferChars;
  ofn.Flags = OFN_EXPLORER | (request.multiSelect ? OFN_ALLOWMULTISELECT : 0);
  if (GetOpenFileNameW(&ofn)) return ChosenFiles(buffer.data());
  const DWORD error = CommDlgExtendedError();
  switch (error) {
    case 0: return {};  // cancelled
    case FNERR_BUFFERTOOSMALL:
      throw DialogError(CommonDialog::kBufferTooSmall, u"The file name buffer is too small");
    case FNERR_INVALIDFILENAME:
      throw DialogError(CommonDialog::kInvalidFileName, u"The file name is not valid");
    default:
      throw DialogError(static_cast<int>(error),
                        u"The open-file dialog failed (common dialog error " + text::Number(error) + u")");
  }
}

std::u16string NativeDialogs::BrowseForFolder(const std::u16string& title) {
  BROWSEINFOW info{};
  info.hwndOwner = owner_;
  info.lpszTitle = Wide(title);
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  return FromWide(path);  // up to the first NUL: empty when the item has no file-system path
}

void NativeDialogs::SetBusyPointer(bool busy) {
  busy_ += busy ? 1 : -1;
  if (busy_ < 0) busy_ = 0;
  SetCursor(LoadCursorW(nullptr, Busy() ? IDC_WAIT : IDC_ARROW));
}

void ShellOpen(const std::u16string& target) {
  if (target.empty()) return;
  ShellExecuteW(nullptr, L"open", Wide(target), L"", L"", SW_SHOWNORMAL);
}

}  // namespace quillonet::win32

// NativeDialogs: MessageBoxW, GetOpenFileNameW, SHBrowseForFolderW, the wait cursor; ShellOpen.
#include "win32/native_dialogs.h"

#include "filelist/common_dialog.h"
#include "util/text.h"
#include "win32/wide.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace quillonet::win32 {
namespace {

// The longest details a message box shows; it cannot scroll.
constexpr std::size_t kDetailsShown = 2000;

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

}  // namespace

MsgAnswer NativeDialogs::MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                                const std::u16string& caption, const std::u16string& details) {
  std::u16string shown = text;
  if (!details.empty()) {
    shown += u"\r\n\r\n";
    shown += details.size() <= kDetailsShown ? details : details.substr(0, kDetailsShown) + u"\u2026";
  }
  const UINT flags = (buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK) | IconFlags(icon);
  const int answer = MessageBoxW(owner_, Wide(shown), Wide(caption), flags);
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

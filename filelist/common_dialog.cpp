// CommonDialog: builds the Explorer-style result string and enforces the buffer size.
#include "filelist/common_dialog.h"

#include "platform/folders.h"
#include "util/text.h"

namespace quillonet {
namespace {

// A chosen file's folder and name, the folder in native form; a root keeps
// its separator ("/", "C:\").
struct FolderAndName {
  std::u16string folder;
  std::u16string name;
};

FolderAndName Divide(const std::u16string& path) {
  std::size_t cut = path.size();
  while (cut > 0 && !platform::IsSeparator(path[cut - 1])) --cut;
  if (cut == 0) return {u".", path};
  std::u16string folder = path.substr(0, cut);
  const bool driveRoot = folder.size() == 3 && folder[1] == u':';
  if (folder.size() > 1 && !driveRoot) folder.pop_back();
  for (char16_t& c : folder)
    if (platform::IsSeparator(c)) c = platform::kSeparator;
  return {folder, path.substr(cut)};
}

}  // namespace

DialogError::DialogError(int number, const std::u16string& description)
    : std::runtime_error(text::ToUtf8(description)), number_(number), description_(description) {}

void CommonDialog::ShowOpen() {
  OpenFileRequest request;
  request.filter = filter_;
  request.multiSelect = (flags_ & kAllowMultiSelect) != 0;
  fileName_.clear();
  filesThatFit_ = 0;
  const std::vector<std::u16string> chosen = dialogs_.ShowOpen(request);
  if (chosen.empty()) return;

  std::u16string result;
  if (chosen.size() == 1) {
    result = chosen.front();
    filesThatFit_ = static_cast<long long>(result.size()) + 1 <= maxFileSize_ ? 1 : 0;
  } else {
    const std::u16string folder = Divide(chosen.front()).folder;
    result = folder;
    long long used = static_cast<long long>(folder.size()) + 1;
    for (const std::u16string& file : chosen) {
      const FolderAndName parts = Divide(file);
      if (parts.folder != folder)
        throw DialogError(kInvalidFileName, u"The chosen files are not all in one folder");
      result += u'\0';
      result += parts.name;
      used += static_cast<long long>(parts.name.size()) + 1;
      if (used + 1 <= maxFileSize_) ++filesThatFit_;
    }
  }
  // The caller's buffer holds the result and its terminating NULs.
  const long long needed = static_cast<long long>(result.size()) + (chosen.size() > 1 ? 2 : 1);
  if (needed > maxFileSize_) throw DialogError(kBufferTooSmall, u"The file name buffer is too small");
  fileName_ = result;
}

}  // namespace quillonet

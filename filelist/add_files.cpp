// Adding vCard files chosen in the open-file dialog.
#include "filelist/add_files.h"

#include "platform/folders.h"
#include "util/text.h"

namespace quillonet {

std::vector<std::u16string> FilesFromDialogResult(const std::u16string& result) {
  std::u16string text = result;
  if (text.empty() || text.back() != u'\0') text += u'\0';
  const std::vector<std::u16string> parts = text::Split(text, std::u16string_view(u"\0", 1));
  const std::size_t highest = parts.size() - 1;  // the last part is empty
  std::u16string prefix;
  if (highest >= 2) {
    prefix = parts[0];
    if (prefix.empty() || prefix.back() != platform::kSeparator) prefix += platform::kSeparator;
  }
  std::vector<std::u16string> files;
  for (std::size_t i = 0; i < highest; ++i) {
    if (i == 0 && !prefix.empty()) continue;  // part 0 is the folder itself
    files.push_back(prefix + parts[i]);
  }
  return files;
}

void AddFilesByDialog(FileList& list, CommonDialog& cdlgFile, UserDialogs& dialogs,
                      const std::function<void(bool)>& setImportEnabled) {
  try {
    cdlgFile.SetFileName({});
    cdlgFile.SetFilter(u"vCard Contacts (*.vcf)|*.vcf");
    cdlgFile.SetFlags(CommonDialog::kExplorer | CommonDialog::kAllowMultiSelect);
    cdlgFile.SetMaxFileSize(1000);
    cdlgFile.ShowOpen();
    const std::u16string result = cdlgFile.FileName();
    if (result.empty()) return;
    setImportEnabled(true);
    for (const std::u16string& file : FilesFromDialogResult(result)) list.AddFileToList(file);
  } catch (const DialogError& e) {
    if (e.Number() == CommonDialog::kBufferTooSmall) {
      dialogs.MsgBox(u"Please select only " + text::Number(cdlgFile.FilesThatFit()) + u" files at a time",
                     MsgButtons::Ok, MsgIcon::Exclamation);
    } else {
      dialogs.MsgBox(text::Number(e.Number()) + u":" + e.Description(), MsgButtons::Ok, MsgIcon::Exclamation);
    }
  }
}

}  // namespace quillonet

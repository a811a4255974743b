// CommonDialog: the open-file dialog with the properties and result string of the Windows common dialog.
#pragma once

#include "filelist/dialogs.h"

#include <stdexcept>
#include <string>

namespace quillonet {

// A failure of the dialog, with its number and description.
class DialogError : public std::runtime_error {
 public:
  DialogError(int number, const std::u16string& description);
  int Number() const { return number_; }
  const std::u16string& Description() const { return description_; }

 private:
  int number_;
  std::u16string description_;
};

class CommonDialog {
 public:
  static constexpr int kBufferTooSmall = 20476;
  static constexpr int kAllowMultiSelect = 0x200;
  static constexpr int kExplorer = 0x80000;
  static constexpr int kInvalidFileName = 20477;

  explicit CommonDialog(UserDialogs& dialogs) : dialogs_(dialogs) {}

  std::u16string FileName() const { return fileName_; }
  void SetFileName(const std::u16string& name) { fileName_ = name; }
  std::u16string Filter() const { return filter_; }
  void SetFilter(const std::u16string& filter) { filter_ = filter; }
  int Flags() const { return flags_; }
  void SetFlags(int flags) { flags_ = flags; }
  int MaxFileSize() const { return maxFileSize_; }
  void SetMaxFileSize(int size) { maxFileSize_ = size; }

  // How many of the files chosen last fitted into MaxFileSize, counted in
  // the order they were listed (the number a "select only N files" hint wants).
  int FilesThatFit() const { return filesThatFit_; }

  // Shows the Open dialog. FileName becomes "" on cancel, the full path for
  // one file, and with multiple selection folder NUL name NUL name... for
  // several. Throws DialogError 20476, leaving FileName "", when the result
  // with its two terminating NULs does not fit into MaxFileSize characters.
  void ShowOpen();

 private:
  UserDialogs& dialogs_;
  std::u16string fileName_;
  std::u16string filter_;
  int flags_ = 0;
  int maxFileSize_ = 260;
  int filesThatFit_ = 0;
};

}  // namespace quillonet

// CommonDialog: the open-file dialog with the properties and result string of the Windows common dialog.
#pragma once

#include "filelist/dialogs.h"

#include <QString>

#include <stdexcept>

namespace quillonet {

// A failure of the dialog, with its number and description.
class DialogError : public std::runtime_error {
 public:
  DialogError(int number, const QString& description)
      : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
  int Number() const { return number_; }
  const QString& Description() const { return description_; }

 private:
  int number_;
  QString description_;
};

class CommonDialog {
 public:
  static constexpr int kBufferTooSmall = 20476;
  static constexpr int kAllowMultiSelect = 0x200;
  static constexpr int kExplorer = 0x80000;
  static constexpr int kInvalidFileName = 20477;

  explicit CommonDialog(UserDialogs& dialogs) : dialogs_(dialogs) {}

  QString FileName() const { return fileName_; }
  void SetFileName(const QString& name) { fileName_ = name; }
  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter) { filter_ = filter; }
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
  QString fileName_;
  QString filter_;
  int flags_ = 0;
  int maxFileSize_ = 260;
  int filesThatFit_ = 0;
};

}  // namespace quillonet

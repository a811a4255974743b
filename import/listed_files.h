// A file list held in memory, for running the import without a window.
#pragma once

#include <string>
#include <vector>

#include "import/import_view.h"

namespace quillonet {

class ListedFiles : public FileListSource {
 public:
  explicit ListedFiles(std::vector<std::u16string> paths)
      : rows_(paths.empty() ? std::vector<std::u16string>{std::u16string()} : std::move(paths)) {}

  int Rows() override { return static_cast<int>(rows_.size()); }
  void setCurrentCell(int row, int) override { row_ = row; }
  std::u16string Text() override {
    return row_ >= 0 && static_cast<std::size_t>(row_) < rows_.size() ? rows_[static_cast<std::size_t>(row_)]
                                                                      : std::u16string();
  }

 private:
  std::vector<std::u16string> rows_;  // the empty list is one empty row, as in the window
  int row_ = 0;
};

}  // namespace quillonet

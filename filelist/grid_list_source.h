// GridListSource: the file grid as the import run's list of files.
#pragma once

#include "filelist/flex_grid.h"
#include "import/import_view.h"

namespace quillonet {

class GridListSource : public FileListSource {
 public:
  explicit GridListSource(FlexGrid& grid) : grid_(grid) {}

  int Rows() override { return grid_.Rows(); }
  void setCurrentCell(int row, int col) override {
    grid_.SetRow(row);
    grid_.SetCol(col);
  }
  std::u16string Text() override { return grid_.Text(); }

 private:
  FlexGrid& grid_;
};

}  // namespace quillonet

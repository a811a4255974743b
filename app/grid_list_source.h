// GridListSource: the file grid as the import run's list of files.
#pragma once

#include "filelist/file_grid.h"
#include "import/import_view.h"

namespace quillonet {

class GridListSource : public FileListSource {
 public:
  explicit GridListSource(FileGrid& grid) : grid_(grid) {}

  int Rows() override { return grid_.Rows(); }
  void setCurrentCell(int row, int col) override {
    grid_.SetRow(row);
    grid_.SetCol(col);
  }
  QString Text() override { return QString::fromStdU16String(grid_.Text()); }

 private:
  FileGrid& grid_;
};

}  // namespace quillonet

// RunFileList: the file grid as the import run's list of files.
#pragma once

#include "filelist/file_grid.h"
#include "import/import_view.h"

#include <functional>
#include <string>

namespace quillonet {

// The run makes each file's row the grid's current cell as it reads it.
// Moving a table's current cell scrolls it and costs more than importing a
// small file, so the row is read where it is and the current cell moves to
// the run's latest row when the window next shows the run's progress (Show).
class RunFileList : public FileListSource {
 public:
  // moved is called when the run has made another cell current.
  RunFileList(FileGrid& grid, std::function<void()> moved) : grid_(grid), moved_(std::move(moved)) {}

  int Rows() override { return grid_.Rows(); }
  // Throws std::out_of_range for a cell outside the grid, as the grid does.
  void setCurrentCell(int row, int col) override;
  std::u16string Text() override;

  // Makes the run's latest cell the grid's current cell, if it still lies
  // inside the grid (the list may have been cleared meanwhile).
  void Show();

 private:
  FileGrid& grid_;
  std::function<void()> moved_;
  int row_ = 0;
  int col_ = 0;
  bool pending_ = false;
};

}  // namespace quillonet

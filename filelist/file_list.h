// FileList: the list of files to import, kept in the grid, with its count label.
#pragma once

#include "filelist/dialogs.h"
#include "filelist/flex_grid.h"

#include <string>
#include <vector>

namespace quillonet {

// The grid is the list: one full path per row in column 0, in the order
// added, duplicates allowed. The empty list is one row with an empty cell.
class FileList {
 public:
  FileList(FlexGrid& grid, TextLabel& count) : grid_(grid), count_(count) {}

  // Appends one entry, unchanged, and updates the count label.
  void AddFileToList(const std::u16string& path);
  // Empties the list and resets the count label to "0 files".
  void ClearFileList();
  // Rows 0 to Rows - 1, each read through the current cell; a single empty
  // string when the list is empty.
  std::vector<std::u16string> Entries();
  // Rows is 1 and the first cell is empty.
  bool IsEmpty();

  FlexGrid& Grid() { return grid_; }

 private:
  FlexGrid& grid_;
  TextLabel& count_;
};

// The Clear button: asks before emptying a list whose first cell is not empty.
void ConfirmAndClear(FileList& list, UserDialogs& dialogs);

}  // namespace quillonet

// RunFileList: reading the grid's rows for the run.
#include "app/run_file_list.h"

#include <stdexcept>
#include <string>

namespace quillonet {

void RunFileList::setCurrentCell(int row, int col) {
  if (row < 0 || row >= grid_.Rows() || col < 0 || col >= grid_.Cols())
    throw std::out_of_range("FileGrid: invalid cell " + std::to_string(row) + ", " + std::to_string(col));
  row_ = row;
  col_ = col;
  pending_ = true;
  moved_();
}

std::u16string RunFileList::Text() {
  const QTableWidgetItem* cell = grid_.item(row_, col_);
  return cell != nullptr ? cell->text().toStdU16String() : std::u16string();
}

void RunFileList::Show() {
  if (!pending_) return;
  pending_ = false;
  if (row_ >= grid_.Rows() || col_ >= grid_.Cols()) return;
  grid_.SetRow(row_);
  grid_.SetCol(col_);
}

}  // namespace quillonet

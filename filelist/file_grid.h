// FileGrid: the file list's FlexGrid over QTableWidget.
#pragma once

#include "filelist/flex_grid.h"

#include <QColor>
#include <QTableWidget>

#include <string>
#include <vector>

namespace quillonet {

// Cells are light yellow, fixed rows button-coloured, the area beyond the
// cells white; the current cell shows as a focus frame.
class FileGrid : public QTableWidget, public FlexGrid {
  Q_OBJECT

 public:
  explicit FileGrid(QWidget* parent = nullptr);

  int Rows() const override { return rowCount(); }
  void SetRows(int rows) override;
  int Cols() const override { return columnCount(); }
  void SetCols(int cols) override;
  int FixedRows() const override { return fixedRows_; }
  void SetFixedRows(int fixedRows) override;

  int Row() const override { return row_; }
  void SetRow(int row) override;
  int Col() const override { return col_; }
  void SetCol(int col) override;

  std::u16string Text() const override;
  void SetText(const std::u16string& text) override;

  int ColWidth(int col) const override;
  void SetColWidth(int col, int twips) override;

  void Clear() override;

  static QColor CellColour() { return QColor(255, 255, 191); }

  // The table's current cell (its focus frame) follows Row and Col when
  // events are next served, once for any number of moves; this moves it
  // now if it has not followed yet.
  void ShowCurrentCell();

 private:
  // Gives every cell from row fromRow on that has none an item in its colour.
  void FillCells(int fromRow);
  void PaintFixedRows();
  void ShowCurrent();
  void MoveCurrentCell();

  int row_ = 0;
  int col_ = 0;
  int fixedRows_ = 0;
  bool currentQueued_ = false;  // a ShowCurrentCell call is queued
  std::vector<int> colTwips_;
};

}  // namespace quillonet

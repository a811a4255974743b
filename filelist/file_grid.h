// FileGrid: a grid over QTableWidget with the model of a flex grid (Rows, Cols, FixedRows, Row, Col, Text, ColWidth, Clear).
#pragma once

#include <QColor>
#include <QTableWidget>

#include <vector>

namespace quillonet {

// Rows and columns are counted from 0; the current cell (Row, Col) is the one
// Text reads and writes. Widths are in twips. A Row, Col or width outside the
// grid throws std::out_of_range, as the flex grid raises its invalid-value errors.
class FileGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit FileGrid(QWidget* parent = nullptr);

  int Rows() const { return rowCount(); }
  void SetRows(int rows);
  int Cols() const { return columnCount(); }
  void SetCols(int cols);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int fixedRows);

  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);

  // Text of the current cell.
  QString Text() const;
  void SetText(const QString& text);

  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);

  // Empties every cell's text; rows and columns stay.
  void Clear();

  static QColor CellColour() { return QColor(255, 255, 191); }

 private:
  void FillCells();
  void PaintFixedRows();
  void ShowCurrent();

  int row_ = 0;
  int col_ = 0;
  int fixedRows_ = 0;
  std::vector<int> colTwips_;
};

}  // namespace quillonet

// FlexGrid and TextLabel: the grid and the label the file list is kept in, as
// each window provides them (Qt widgets on Linux, native controls on Windows).
#pragma once

#include <string>

namespace quillonet {

// A grid with the model of a flex grid. Rows and columns count from 0; the
// current cell (Row, Col) is the one Text reads and writes. Widths are in
// twips. A Row, Col or width outside the grid throws std::out_of_range, as
// the flex grid raises its invalid-value errors.
class FlexGrid {
 public:
  virtual ~FlexGrid() = default;

  virtual int Rows() const = 0;
  virtual void SetRows(int rows) = 0;
  virtual int Cols() const = 0;
  virtual void SetCols(int cols) = 0;
  virtual int FixedRows() const = 0;
  virtual void SetFixedRows(int fixedRows) = 0;

  virtual int Row() const = 0;
  virtual void SetRow(int row) = 0;
  virtual int Col() const = 0;
  virtual void SetCol(int col) = 0;

  // Text of the current cell.
  virtual std::u16string Text() const = 0;
  virtual void SetText(const std::u16string& text) = 0;

  virtual int ColWidth(int col) const = 0;
  virtual void SetColWidth(int col, int twips) = 0;

  // Empties every cell's text; rows and columns stay.
  virtual void Clear() = 0;
};

// A control whose caption the list sets (the count label).
class TextLabel {
 public:
  virtual ~TextLabel() = default;
  virtual void SetCaption(const std::u16string& caption) = 0;
};

}  // namespace quillonet

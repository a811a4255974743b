// The native controls behind the portable list and the import run's view:
// the file grid (a list view), labels, and progress bars with single-precision values.
#pragma once

#include "filelist/flex_grid.h"
#include "util/progress_scale.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace quillonet::win32 {

// A grid with the flex grid's model, shown in a virtual list view: one list
// item per row, one list column per grid column. The current cell is the
// list's focused item. Cells are light yellow, fixed rows button-coloured,
// the area beyond the cells white.
class GridControl : public FlexGrid {
 public:
  static constexpr COLORREF kCellColour = RGB(255, 255, 191);
  static constexpr COLORREF kLineColour = RGB(192, 192, 192);

  // Creates the list view as a child of parent at the given pixels.
  GridControl(HWND parent, int id, RECT place, int dpi);

  HWND Handle() const { return hwnd_; }

  int Rows() const override { return static_cast<int>(cells_.size()); }
  void SetRows(int rows) override;
  int Cols() const override { return cols_; }
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

  // The list view's notifications (WM_NOTIFY from it to the window):
  // supplies cell texts, colours the cells, follows the focused row.
  // Returns whether it handled the notification, with its result in *result.
  bool OnNotify(const NMHDR& header, LRESULT* result);

 private:
  void ShowCurrent();
  void ShowRowCount();

  HWND hwnd_;
  int dpi_;
  std::vector<std::vector<std::u16string>> cells_;
  int cols_ = 1;
  int fixedRows_ = 0;
  int row_ = 0;
  int col_ = 0;
  std::vector<int> colTwips_;
};

// A static label; as the list's count label its caption is its text.
class LabelControl : public TextLabel {
 public:
  LabelControl() = default;
  explicit LabelControl(HWND hwnd) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  void SetCaption(const std::u16string& caption) override;

 private:
  HWND hwnd_ = nullptr;
};

// msctls_progress32 over the single-precision Min, Max and Value of the
// import run, drawn in fine steps so 100/3 is not shown as 33.
class ProgressControl {
 public:
  ProgressControl() = default;
  explicit ProgressControl(HWND hwnd);
  HWND Handle() const { return hwnd_; }
  void SetMin(float min);
  void SetMax(float max);
  void SetValue(float value);

 private:
  void Show();

  HWND hwnd_ = nullptr;
  ProgressScale scale_;
};

}  // namespace quillonet::win32

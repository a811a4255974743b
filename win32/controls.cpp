// The native controls: the file grid over a virtual list view, labels, progress bars.
#include "win32/controls.h"

#include "util/twips.h"
#include "win32/wide.h"

#include <stdexcept>
#include <string>

namespace quillonet::win32 {
namespace {

constexpr int kDefaultColTwips = 960;  // the grid's own default column width

void Check(bool ok, const char* what, int value) {
  if (!ok) throw std::out_of_range(std::string("FileGrid: invalid ") + what + " " + std::to_string(value));
}

}  // namespace

GridControl::GridControl(HWND parent, int id, RECT place, int dpi)
    : hwnd_(CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA |
                                LVS_NOCOLUMNHEADER | LVS_SINGLESEL,
                            place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)),
      dpi_(dpi),
      cells_(1, std::vector<std::u16string>(1)),
      colTwips_(1, kDefaultColTwips) {
  if (hwnd_ == nullptr) throw std::runtime_error("The file grid could not be created");
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(hwnd_, RGB(255, 255, 255));
  ListView_SetTextBkColor(hwnd_, kCellColour);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = TwipsToPixels(kDefaultColTwips, dpi_);
  ListView_InsertColumn(hwnd_, 0, &column);
  ShowRowCount();
  ShowCurrent();
}

void GridControl::ShowRowCount() {
  ListView_SetItemCountEx(hwnd_, Rows(), LVSICF_NOSCROLL);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// The current cell shows as the list's focus frame; it is kept in view.
void GridControl::ShowCurrent() {
  ListView_SetItemState(hwnd_, row_, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, row_, FALSE);
}

void GridControl::SetRows(int rows) {
  Check(rows >= 1 && rows > fixedRows_, "Rows", rows);
  cells_.resize(static_cast<std::size_t>(rows), std::vector<std::u16string>(static_cast<std::size_t>(cols_)));
  if (row_ >= rows) row_ = rows - 1;
  ShowRowCount();
  ShowCurrent();
}

void GridControl::SetCols(int cols) {
  Check(cols >= 1, "Cols", cols);
  for (auto& row : cells_) row.resize(static_cast<std::size_t>(cols));
  for (int c = cols_; c < cols; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = TwipsToPixels(kDefaultColTwips, dpi_);
    ListView_InsertColumn(hwnd_, c, &column);
  }
  for (int c = cols_ - 1; c >= cols; --c) ListView_DeleteColumn(hwnd_, c);
  colTwips_.resize(static_cast<std::size_t>(cols), kDefaultColTwips);
  cols_ = cols;
  if (col_ >= cols) col_ = cols - 1;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void GridControl::SetFixedRows(int fixedRows) {
  Check(fixedRows >= 0 && fixedRows < Rows(), "FixedRows", fixedRows);
  fixedRows_ = fixedRows;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void GridControl::SetRow(int row) {
  Check(row >= 0 && row < Rows(), "Row", row);
  row_ = row;
  ShowCurrent();
}

void GridControl::SetCol(int col) {
  Check(col >= 0 && col < cols_, "Col", col);
  col_ = col;
}

std::u16string GridControl::Text() const {
  return cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)];
}

void GridControl::SetText(const std::u16string& text) {
  cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)] = text;
  ListView_RedrawItems(hwnd_, row_, row_);
}

int GridControl::ColWidth(int col) const {
  Check(col >= 0 && col < cols_, "column", col);
  return colTwips_[static_cast<std::size_t>(col)];
}

void GridControl::SetColWidth(int col, int twips) {
  Check(col >= 0 && col < cols_, "column", col);
  Check(twips >= 0, "ColWidth", twips);
  colTwips_[static_cast<std::size_t>(col)] = twips;
  ListView_SetColumnWidth(hwnd_, col, TwipsToPixels(twips, dpi_));
}

void GridControl::Clear() {
  for (auto& row : cells_)
    for (auto& cell : row) cell.clear();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool GridControl::OnNotify(const NMHDR& header, LRESULT* result) {
  if (header.hwndFrom != hwnd_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
      const int row = info.item.iItem;
      const int col = info.item.iSubItem;
      if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr && info.item.cchTextMax > 0) {
        const bool inside = row >= 0 && row < Rows() && col >= 0 && col < cols_;
        const std::u16string empty;
        const std::u16string& cell =
            inside ? cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] : empty;
        lstrcpynW(info.item.pszText, Wide(cell), info.item.cchTextMax);
      }
      *result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
      } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const bool fixed = static_cast<int>(draw.nmcd.dwItemSpec) < fixedRows_;
        draw.clrTextBk = fixed ? GetSysColor(COLOR_BTNFACE) : kCellColour;
        draw.clrText = RGB(0, 0, 0);
        *result = CDRF_NOTIFYPOSTPAINT;
      } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
        // The grid's lines: one under each row, as far as the cells reach.
        RECT cell{};
        if (ListView_GetItemRect(hwnd_, static_cast<int>(draw.nmcd.dwItemSpec), &cell, LVIR_BOUNDS)) {
          const HPEN pen = CreatePen(PS_SOLID, 1, kLineColour);
          const HGDIOBJ old = SelectObject(draw.nmcd.hdc, pen);
          MoveToEx(draw.nmcd.hdc, cell.left, cell.bottom - 1, nullptr);
          LineTo(draw.nmcd.hdc, cell.right, cell.bottom - 1);
          SelectObject(draw.nmcd.hdc, old);
          DeleteObject(pen);
        }
        *result = CDRF_DODEFAULT;
      } else {
        *result = CDRF_DODEFAULT;
      }
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      // A click moves the current cell, as in the flex grid; rows are not
      // selected, the current one shows by its focus frame.
      if (change.iItem >= 0 && (change.uNewState & LVIS_FOCUSED) != 0 && change.iItem < Rows()) row_ = change.iItem;
      if ((change.uNewState & LVIS_SELECTED) != 0) ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
      *result = 0;
      return true;
    }
    default:
      return false;
  }
}

void LabelControl::SetCaption(const std::u16string& caption) { SetWindowTextW(hwnd_, Wide(caption)); }

ProgressControl::ProgressControl(HWND hwnd) : hwnd_(hwnd) {
  SendMessageW(hwnd_, PBM_SETRANGE32, 0, ProgressScale::kSteps);
  Show();
}

void ProgressControl::SetMin(float min) {
  scale_.SetMin(min);
  Show();
}

void ProgressControl::SetMax(float max) {
  scale_.SetMax(max);
  Show();
}

void ProgressControl::SetValue(float value) {
  scale_.SetValue(value);
  Show();
}

void ProgressControl::Show() { SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(scale_.Steps()), 0); }

}  // namespace quillonet::win32

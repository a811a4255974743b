// FileGrid: flex-grid model over QTableWidget.
#include "filelist/file_grid.h"

#include "util/twips.h"

#include <QHeaderView>
#include <QPalette>

#include <stdexcept>
#include <string>

namespace quillonet {
namespace {
constexpr int kDefaultColTwips = 960;  // the grid's own default column width
void Check(bool ok, const char* what, int value) {
  if (!ok) throw std::out_of_range(std::string("FileGrid: invalid ") + what + " " + std::to_string(value));
}
}  // namespace

FileGrid::FileGrid(QWidget* parent) : QTableWidget(1, 1, parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The current cell shows as a focus frame only, as in the flex grid.
  setSelectionMode(QAbstractItemView::NoSelection);
  // One very wide column must scroll by pixels, not by whole columns.
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFocusPolicy(Qt::StrongFocus);
  setWordWrap(false);
  // The area beyond the cells is white; the cells themselves light yellow.
  QPalette pal = palette();
  pal.setColor(QPalette::Base, Qt::white);
  setPalette(pal);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  colTwips_.assign(1, kDefaultColTwips);
  setColumnWidth(0, TwipsToPixels(kDefaultColTwips, LogicalDpi(this)));
  FillCells(0);
  MoveCurrentCell();
  // A click moves the current cell, as it does in the flex grid.
  connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
    if (row >= 0 && col >= 0) {
      row_ = row;
      col_ = col;
    }
  });
}

void FileGrid::FillCells(int fromRow) {
  for (int r = fromRow; r < rowCount(); ++r) {
    for (int c = 0; c < columnCount(); ++c) {
      if (item(r, c) == nullptr) {
        auto cell = std::make_unique<QTableWidgetItem>();
        cell->setBackground(r < fixedRows_ ? palette().color(QPalette::Button) : CellColour());
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(r, c, cell.release());  // the table owns its items
      }
    }
  }
}

void FileGrid::PaintFixedRows() {
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (QTableWidgetItem* cell = item(r, c))
        cell->setBackground(r < fixedRows_ ? palette().color(QPalette::Button) : CellColour());
}

void FileGrid::ShowCurrent() {
  // Moving the table's current cell scrolls the table to it and repaints,
  // which costs as much as adding the row; adding many files, or the run
  // reading them, moves it once per file.
  if (currentQueued_) return;
  currentQueued_ = true;
  QMetaObject::invokeMethod(this, [this] { ShowCurrentCell(); }, Qt::QueuedConnection);
}

void FileGrid::ShowCurrentCell() {
  if (!currentQueued_) return;
  currentQueued_ = false;
  MoveCurrentCell();
}

void FileGrid::MoveCurrentCell() {
  const QSignalBlocker block(this);
  setCurrentCell(row_, col_);
}

void FileGrid::SetRows(int rows) {
  Check(rows >= 1 && rows > fixedRows_, "Rows", rows);
  // Only rows added get cells: the list grows a row at a time, and filling
  // or colouring every row each time would make adding n files cost n².
  const int before = rowCount();
  setRowCount(rows);
  if (row_ >= rows) row_ = rows - 1;
  FillCells(before);
  ShowCurrent();
}

void FileGrid::SetCols(int cols) {
  Check(cols >= 1, "Cols", cols);
  const int dpi = static_cast<int>(LogicalDpi(this));
  setColumnCount(cols);
  colTwips_.resize(static_cast<size_t>(cols), kDefaultColTwips);
  for (int c = 0; c < cols; ++c) setColumnWidth(c, TwipsToPixels(colTwips_[static_cast<size_t>(c)], dpi));
  if (col_ >= cols) col_ = cols - 1;
  FillCells(0);
  ShowCurrent();
}

void FileGrid::SetFixedRows(int fixedRows) {
  Check(fixedRows >= 0 && fixedRows < rowCount(), "FixedRows", fixedRows);
  fixedRows_ = fixedRows;
  PaintFixedRows();
}

void FileGrid::SetRow(int row) {
  Check(row >= 0 && row < rowCount(), "Row", row);
  row_ = row;
  ShowCurrent();
}

void FileGrid::SetCol(int col) {
  Check(col >= 0 && col < columnCount(), "Col", col);
  col_ = col;
  ShowCurrent();
}

std::u16string FileGrid::Text() const {
  const QTableWidgetItem* cell = item(row_, col_);
  return cell != nullptr ? cell->text().toStdU16String() : std::u16string();
}

void FileGrid::SetText(const std::u16string& text) { item(row_, col_)->setText(QString::fromStdU16String(text)); }

int FileGrid::ColWidth(int col) const {
  Check(col >= 0 && col < columnCount(), "column", col);
  return colTwips_[static_cast<size_t>(col)];
}

void FileGrid::SetColWidth(int col, int twips) {
  Check(col >= 0 && col < columnCount(), "column", col);
  Check(twips >= 0, "ColWidth", twips);
  colTwips_[static_cast<size_t>(col)] = twips;
  setColumnWidth(col, TwipsToPixels(twips, LogicalDpi(this)));
}

void FileGrid::Clear() {
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c) item(r, c)->setText(QString());
}

}  // namespace quillonet

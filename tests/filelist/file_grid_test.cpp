// Tests of FileGrid's flex-grid model.
#include "filelist/file_grid.h"
#include "tests/filelist/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QItemSelectionModel>

#include <stdexcept>

using namespace quillonet;

TEST(FileGrid, StartsAsOneEmptyYellowCell) {
  test_support::TestApp();
  FileGrid grid;
  EXPECT_EQ(grid.Rows(), 1);
  EXPECT_EQ(grid.Cols(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.Col(), 0);
  EXPECT_EQ(grid.Text(), u"");
  EXPECT_EQ(grid.item(0, 0)->background().color(), QColor(255, 255, 191));
  EXPECT_EQ(grid.palette().color(QPalette::Base), QColor(Qt::white));
}

TEST(FileGrid, CurrentCellTextRowsAndClear) {
  test_support::TestApp();
  FileGrid grid;
  grid.SetRows(3);
  grid.SetCols(2);
  grid.SetRow(2);
  grid.SetCol(1);
  grid.SetText(u"c21");
  grid.SetRow(0);
  grid.SetText(u"c01");
  EXPECT_EQ(grid.item(2, 1)->text(), "c21");
  EXPECT_EQ(grid.item(0, 1)->text(), "c01");
  // The table's current cell follows when events are served, once for all
  // the moves made since.
  int moves = 0;
  QObject::connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, [&] { ++moves; });
  EXPECT_EQ(grid.currentRow(), 0);  // where the grid started
  EXPECT_EQ(grid.currentColumn(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid.currentRow(), 0);
  EXPECT_EQ(grid.currentColumn(), 1);
  EXPECT_EQ(moves, 1);
  grid.SetRow(1);
  grid.ShowCurrentCell();  // at once
  EXPECT_EQ(grid.currentRow(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(moves, 2);
  // New cells are yellow too.
  EXPECT_EQ(grid.item(2, 1)->background().color(), FileGrid::CellColour());

  // Shrinking moves the current row back inside the grid.
  grid.SetRow(2);
  grid.SetRows(2);
  EXPECT_EQ(grid.Row(), 1);

  grid.Clear();
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Cols(), 2);
  grid.SetRow(0);
  EXPECT_EQ(grid.Text(), u"");
}

TEST(FileGrid, WidthsInTwipsAndInvalidValues) {
  test_support::TestApp();
  FileGrid grid;
  grid.SetColWidth(0, 10000);
  EXPECT_EQ(grid.ColWidth(0), 10000);
  EXPECT_EQ(grid.columnWidth(0), 667);  // offscreen screens are 96 dpi
  EXPECT_THROW(grid.SetRow(1), std::out_of_range);
  EXPECT_THROW(grid.SetCol(-1), std::out_of_range);
  EXPECT_THROW(grid.SetRows(0), std::out_of_range);
  EXPECT_THROW(grid.ColWidth(1), std::out_of_range);
  EXPECT_EQ(grid.Rows(), 1);
}

TEST(FileGrid, ClickMovesTheCurrentCell) {
  test_support::TestApp();
  FileGrid grid;
  grid.SetRows(3);
  grid.setCurrentCell(2, 0);  // as a click does
  EXPECT_EQ(grid.Row(), 2);
}

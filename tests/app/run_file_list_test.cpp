// Tests of the file grid as the run reads it.
#include "app/run_file_list.h"
#include "tests/filelist/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillonet;

TEST(RunFileList, ReadsRowsInPlaceAndMovesTheCurrentCellWhenShown) {
  test_support::TestApp();
  FileGrid grid;
  grid.SetRows(3);
  for (int r = 0; r < 3; ++r) {
    grid.SetRow(r);
    grid.SetText(u"/cards/" + std::u16string(1, u'a' + r) + u".vcf");
  }
  grid.SetRow(0);
  int moves = 0;
  RunFileList files(grid, [&] { ++moves; });
  EXPECT_EQ(files.Rows(), 3);
  files.setCurrentCell(1, 0);
  EXPECT_EQ(files.Text(), u"/cards/b.vcf");
  files.setCurrentCell(2, 0);
  EXPECT_EQ(files.Text(), u"/cards/c.vcf");
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(grid.Row(), 0);  // not yet shown
  files.Show();
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.currentRow(), 2);
  EXPECT_THROW(files.setCurrentCell(3, 0), std::out_of_range);

  // A row the list no longer has is not shown.
  files.setCurrentCell(2, 0);
  grid.SetRows(1);
  files.Show();
  EXPECT_EQ(grid.Row(), 0);
}

// Tests of AddFileToList, ClearFileList and the Clear button.
#include "filelist/file_list.h"
#include "filelist/caption_label.h"
#include "filelist/file_grid.h"
#include "tests/filelist/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace quillonet;
using quillonet::test_support::ScriptedDialogs;

namespace {
struct ListFixture : ::testing::Test, test_support::WithApp {
  FileGrid grid;
  CaptionLabel count{"0 files"};
  FileList list{grid, count};
  ScriptedDialogs dialogs;
};
}  // namespace

TEST_F(ListFixture, AppendsInOrderWithDuplicatesAndCounts) {
  grid.SetColWidth(0, 50000);
  list.AddFileToList(u"/home/ann/a.vcf");
  EXPECT_EQ(grid.Rows(), 1);
  EXPECT_EQ(count.text(), "1 files");
  EXPECT_EQ(grid.ColWidth(0), 10000);
  EXPECT_EQ(grid.Row(), 0);

  list.AddFileToList(u"C:\\Cards\\b.vcf");
  list.AddFileToList(u"/home/ann/a.vcf");
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(count.text(), "3 files");
  EXPECT_EQ(grid.Row(), 2);  // the new entry is the current cell
  EXPECT_EQ(test_support::AsQt(list.Entries()),
            QStringList({"/home/ann/a.vcf", "C:\\Cards\\b.vcf", "/home/ann/a.vcf"}));
  EXPECT_FALSE(list.IsEmpty());
}

TEST_F(ListFixture, EntriesAreStoredUnchanged) {
  list.AddFileToList(u"  spaced name.VCF  ");
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"  spaced name.VCF  "}));
}

TEST_F(ListFixture, EmptyListReadsAsOneEmptyEntry) {
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({""}));
}

TEST_F(ListFixture, FirstCellEmptyWithMoreRowsCountsAsFilled) {
  grid.SetRows(2);
  list.AddFileToList(u"x.vcf");
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"", "", "x.vcf"}));
}

TEST_F(ListFixture, ClearOnEmptyListAsksNothing) {
  grid.SetRows(1);
  ConfirmAndClear(list, dialogs);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(count.text(), "0 files");
}

TEST_F(ListFixture, ClearAnsweredNoKeepsEverything) {
  list.AddFileToList(u"a.vcf");
  list.AddFileToList(u"b.vcf");
  dialogs.answers = {MsgAnswer::No};
  ConfirmAndClear(list, dialogs);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Do you want to clear all the files in the list\r\n Proceed?");
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
  EXPECT_EQ(dialogs.messages[0].caption, "Marlix Quillonet Pro");
  EXPECT_EQ(grid.Row(), 0);  // the question moved the current cell to the top
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"a.vcf", "b.vcf"}));
  EXPECT_EQ(count.text(), "2 files");
}

TEST_F(ListFixture, ClearAnsweredYesEmptiesAndNextAddGoesToRowZero) {
  list.AddFileToList(u"a.vcf");
  list.AddFileToList(u"b.vcf");
  grid.SetColWidth(0, 50000);
  dialogs.answers = {MsgAnswer::Yes};
  ConfirmAndClear(list, dialogs);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(count.text(), "0 files");
  list.AddFileToList(u"c.vcf");
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"c.vcf"}));
  EXPECT_EQ(grid.ColWidth(0), 10000);
  EXPECT_EQ(count.text(), "1 files");
}

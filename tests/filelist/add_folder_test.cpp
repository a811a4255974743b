// Tests of adding a folder of vCard files: the message, the Import button rule, the pointer and the yields.
#include "filelist/add_folder.h"
#include "filelist/caption_label.h"
#include "filelist/file_grid.h"
#include "tests/filelist/scripted_dialogs.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::ScriptedDialogs;
using quillonet::test_support::TestTree;

namespace {
struct FolderFixture : ::testing::Test, test_support::WithApp {
  FileGrid grid;
  CaptionLabel count{"0 files"};
  FileList list{grid, count};
  ScriptedDialogs dialogs;
  int importState = -1;
  int yields = 0;
  int busyYields = 0;
  void Click() {
    AddFolderOfCards(
        list, dialogs, [this](bool on) { importState = on ? 1 : 0; },
        [this] {
          ++yields;
          if (dialogs.busyDepth > 0) ++busyYields;
        });
  }
};
}  // namespace

TEST_F(FolderFixture, CancelDoesNothing) {
  dialogs.folders = {""};
  Click();
  EXPECT_EQ(dialogs.folderTitles, QStringList({"Choose Source Folder..."}));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(importState, -1);
  EXPECT_TRUE(list.IsEmpty());
}

TEST_F(FolderFixture, AddsCardsOfEveryLevelAndReports) {
  TestTree t;
  t.File("a.vcf");
  t.File("B.VCF");
  t.File(" spaced.vcf ");
  t.File("c.vcf.bak");
  t.File("d.vcfx");
  t.Folder("x/y");
  t.File("x/y/deep.vcf");
  dialogs.folders = {t.QRoot()};
  Click();
  const QString r = t.QRoot() + "/";
  EXPECT_EQ(test_support::AsQt(list.Entries()),
            QStringList({r + " spaced.vcf ", r + "B.VCF", r + "a.vcf", r + "x/y/deep.vcf"}));
  EXPECT_EQ(importState, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "4 Files Added to List.");
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
  EXPECT_EQ(dialogs.messages[0].caption, "Marlix Quillonet Pro");
  // Once before each of the 6 names and again before each of the 4 appends,
  // all with the busy pointer; it is gone afterwards.
  EXPECT_EQ(yields, 10);
  EXPECT_EQ(busyYields, 10);
  EXPECT_EQ(dialogs.busyDepth, 0);
}

TEST_F(FolderFixture, FolderWithTrailingSeparatorGivesNoDoubledSeparator) {
  TestTree t;
  t.File("a.vcf");
  dialogs.folders = {t.QRoot() + "/"};
  Click();
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({t.QRoot() + "/a.vcf"}));
}

TEST_F(FolderFixture, SecondAdditionListsAgainAndNothingFoundDisablesImport) {
  TestTree cards;
  cards.File("a.vcf");
  cards.File("b.vcf");
  TestTree none;
  none.File("notes.txt");
  dialogs.folders = {cards.QRoot(), cards.QRoot(), none.QRoot()};
  Click();
  Click();
  EXPECT_EQ(grid.Rows(), 4);
  EXPECT_EQ(dialogs.messages.back().text, "2 Files Added to List.");
  Click();
  EXPECT_EQ(dialogs.messages.back().text, "0 Files Added to List.");
  EXPECT_EQ(importState, 0);  // disabled although four files are listed
  EXPECT_EQ(count.text(), "4 files");
}

TEST_F(FolderFixture, UnreadableFoldersAreNamedAfterTheCount) {
  TestTree t;
  t.File("a.vcf");
  t.Folder("locked");
  t.File("locked/b.vcf");
  ASSERT_EQ(::chmod(t.Path("locked").c_str(), 0), 0);
  dialogs.folders = {t.QRoot()};
  {
    AsUnprivilegedUser nobody;
    Click();
  }
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({t.QRoot() + "/a.vcf"}));
  EXPECT_EQ(importState, 1);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, "1 Files Added to List.");
  EXPECT_TRUE(dialogs.messages[1].text.contains(t.QRoot() + "/locked/"));
  EXPECT_EQ(dialogs.messages[1].icon, MsgIcon::Exclamation);
  EXPECT_EQ(dialogs.busyDepth, 0);
}

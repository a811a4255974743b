// The list logic on its own, over a grid and dialogs of plain C++: what both
// windows run, with no widget toolkit linked.
#include "filelist/add_files.h"
#include "filelist/file_list.h"
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillonet;

namespace {

// The flex grid's model in memory: one column is all the list uses.
class MemoryGrid : public FlexGrid {
 public:
  int Rows() const override { return static_cast<int>(cells_.size()); }
  void SetRows(int rows) override {
    if (rows < 1 || rows <= fixed_) throw std::out_of_range("Rows");
    cells_.resize(static_cast<std::size_t>(rows));
    if (row_ >= rows) row_ = rows - 1;
  }
  int Cols() const override { return 1; }
  void SetCols(int cols) override {
    if (cols != 1) throw std::out_of_range("Cols");
  }
  int FixedRows() const override { return fixed_; }
  void SetFixedRows(int fixedRows) override { fixed_ = fixedRows; }
  int Row() const override { return row_; }
  void SetRow(int row) override {
    if (row < 0 || row >= Rows()) throw std::out_of_range("Row");
    row_ = row;
  }
  int Col() const override { return 0; }
  void SetCol(int col) override {
    if (col != 0) throw std::out_of_range("Col");
  }
  std::u16string Text() const override { return cells_[static_cast<std::size_t>(row_)]; }
  void SetText(const std::u16string& text) override { cells_[static_cast<std::size_t>(row_)] = text; }
  int ColWidth(int) const override { return width_; }
  void SetColWidth(int, int twips) override { width_ = twips; }
  void Clear() override {
    for (auto& cell : cells_) cell.clear();
  }

 private:
  std::vector<std::u16string> cells_{std::u16string()};
  int fixed_ = 0;
  int row_ = 0;
  int width_ = 50000;
};

struct MemoryLabel : TextLabel {
  std::u16string caption = u"0 files";
  void SetCaption(const std::u16string& c) override { caption = c; }
};

struct Answers : UserDialogs {
  std::deque<MsgAnswer> answers;
  std::vector<std::u16string> chosen;
  std::vector<std::u16string> shown;
  MsgAnswer MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon, const std::u16string&,
                   const std::u16string&) override {
    shown.push_back(text);
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    const MsgAnswer a = answers.at(0);
    answers.pop_front();
    return a;
  }
  std::vector<std::u16string> ShowOpen(const OpenFileRequest&) override { return chosen; }
  std::u16string BrowseForFolder(const std::u16string&) override { return {}; }
  void SetBusyPointer(bool) override {}
};

struct Logic : ::testing::Test {
  MemoryGrid grid;
  MemoryLabel count;
  FileList list{grid, count};
  Answers dialogs;
  CommonDialog cdlgFile{dialogs};
  int importEnabled = -1;
  void AddByDialog() {
    AddFilesByDialog(list, cdlgFile, dialogs, [this](bool on) { importEnabled = on ? 1 : 0; });
  }
  static std::u16string In(const std::u16string& folder, const std::u16string& name) {
    return folder + platform::kSeparator + name;
  }
};

}  // namespace

TEST_F(Logic, AddClearAndCountWithoutAnyWidget) {
  list.AddFileToList(u"a.vcf");
  EXPECT_EQ(grid.Rows(), 1);  // the first entry takes the empty row
  EXPECT_EQ(grid.ColWidth(0), 10000);
  list.AddFileToList(u"a.vcf");
  EXPECT_EQ(list.Entries(), (std::vector<std::u16string>{u"a.vcf", u"a.vcf"}));
  EXPECT_EQ(count.caption, u"2 files");

  dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
  ConfirmAndClear(list, dialogs);
  EXPECT_EQ(list.Entries().size(), 2u);
  ConfirmAndClear(list, dialogs);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(count.caption, u"0 files");
  ConfirmAndClear(list, dialogs);  // empty: no question
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(Logic, DialogResultIsSplitWithTheSystemsSeparatorAndLimited) {
  const std::u16string folder = In(u"", u"cards");
  dialogs.chosen = {In(folder, u"x.vcf"), In(folder, u"y.vcf")};
  AddByDialog();
  EXPECT_EQ(list.Entries(), (std::vector<std::u16string>{In(folder, u"x.vcf"), In(folder, u"y.vcf")}));
  EXPECT_EQ(importEnabled, 1);

  // 6 + 1, then 96 + 1 per name, and a last NUL: 10 names fit 1000, 11 do not.
  dialogs.chosen.clear();
  for (char16_t c = u'a'; c < u'a' + 12; ++c) dialogs.chosen.push_back(In(folder, std::u16string(92, c) + u".vcf"));
  AddByDialog();
  EXPECT_EQ(list.Entries().size(), 2u);
  EXPECT_EQ(dialogs.shown.back(), u"Please select only 10 files at a time");
}

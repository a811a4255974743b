// FileList: appending, emptying and reading the grid's rows.
#include "filelist/file_list.h"

#include "util/text.h"

namespace quillonet {
namespace {
constexpr int kListColTwips = 10000;
}

void FileList::AddFileToList(const std::u16string& path) {
  bool firstRowFree = false;
  if (grid_.Rows() == 1) {
    grid_.SetRow(0);
    grid_.SetCol(0);
    if (grid_.Text().empty()) {
      grid_.SetRows(1);
      grid_.SetCols(1);
      grid_.SetFixedRows(0);
      grid_.SetRow(0);
      grid_.SetColWidth(0, kListColTwips);
      grid_.SetCol(0);
      firstRowFree = true;
    }
  }
  if (!firstRowFree) grid_.SetRows(grid_.Rows() + 1);
  grid_.SetRow(grid_.Rows() - 1);
  grid_.SetCol(0);
  grid_.SetText(path);
  count_.SetCaption(text::Number(grid_.Rows()) + u" files");
}

void FileList::ClearFileList() {
  grid_.SetRows(1);
  grid_.Clear();
  count_.SetCaption(u"0 files");
}

std::vector<std::u16string> FileList::Entries() {
  std::vector<std::u16string> entries;
  entries.reserve(static_cast<std::size_t>(grid_.Rows()));
  for (int r = 0; r < grid_.Rows(); ++r) {
    grid_.SetRow(r);
    grid_.SetCol(0);
    entries.push_back(grid_.Text());
  }
  return entries;
}

bool FileList::IsEmpty() {
  if (grid_.Rows() != 1) return false;
  grid_.SetRow(0);
  grid_.SetCol(0);
  return grid_.Text().empty();
}

void ConfirmAndClear(FileList& list, UserDialogs& dialogs) {
  FlexGrid& grid = list.Grid();
  grid.SetRow(0);
  grid.SetCol(0);
  if (grid.Text().empty()) return;
  if (dialogs.MsgBox(u"Do you want to clear all the files in the list\r\n Proceed?", MsgButtons::YesNo,
                     MsgIcon::Question) == MsgAnswer::Yes)
    list.ClearFileList();
}

}  // namespace quillonet

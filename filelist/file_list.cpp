// FileList: appending, emptying and reading the grid's rows.
#include "filelist/file_list.h"

namespace quillonet {
namespace {
constexpr int kListColTwips = 10000;
}

void FileList::AddFileToList(const QString& path) {
  bool firstRowFree = false;
  if (grid_.Rows() == 1) {
    grid_.SetRow(0);
    grid_.SetCol(0);
    if (grid_.Text().isEmpty()) {
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
  count_.setText(QString::number(grid_.Rows()) + QStringLiteral(" files"));
}

void FileList::ClearFileList() {
  grid_.SetRows(1);
  grid_.Clear();
  count_.setText(QStringLiteral("0 files"));
}

QStringList FileList::Entries() {
  QStringList entries;
  for (int r = 0; r < grid_.Rows(); ++r) {
    grid_.SetRow(r);
    grid_.SetCol(0);
    entries << grid_.Text();
  }
  return entries;
}

bool FileList::IsEmpty() {
  if (grid_.Rows() != 1) return false;
  grid_.SetRow(0);
  grid_.SetCol(0);
  return grid_.Text().isEmpty();
}

void ConfirmAndClear(FileList& list, UserDialogs& dialogs) {
  FileGrid& grid = list.Grid();
  grid.SetRow(0);
  grid.SetCol(0);
  if (grid.Text().isEmpty()) return;
  const QString question = QStringLiteral("Do you want to clear all the files in the list\r\n Proceed?");
  if (dialogs.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes) list.ClearFileList();
}

}  // namespace quillonet

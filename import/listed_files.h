// A file list held in memory, for running the import without a window.
#pragma once

#include <QStringList>

#include "import/import_view.h"

namespace quillonet {

class ListedFiles : public FileListSource {
 public:
  explicit ListedFiles(QStringList paths) : rows_(paths.isEmpty() ? QStringList{QString()} : std::move(paths)) {}

  int Rows() override { return static_cast<int>(rows_.size()); }
  void setCurrentCell(int row, int) override { row_ = row; }
  QString Text() override { return rows_.value(row_); }

 private:
  QStringList rows_;  // the empty list is one empty row, as in the window
  int row_ = 0;
};

}  // namespace quillonet

// CaptionLabel: a QLabel whose text the file list sets as its count label.
#pragma once

#include "filelist/flex_grid.h"

#include <QLabel>

namespace quillonet {

class CaptionLabel : public QLabel, public TextLabel {
 public:
  using QLabel::QLabel;
  void SetCaption(const std::u16string& caption) override { setText(QString::fromStdU16String(caption)); }
};

}  // namespace quillonet

// ProgressBar: QProgressBar with single-precision Min, Max and Value.
#pragma once

#include "util/progress_scale.h"

#include <QProgressBar>

namespace quillonet {

// Value is kept as given (clamped into Min..Max); the bar shows it in fine
// internal steps, so 100/3 is not drawn as 33.
class ProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  static constexpr int kSteps = ProgressScale::kSteps;

  explicit ProgressBar(QWidget* parent = nullptr);

  float Min() const { return scale_.Min(); }
  void SetMin(float min);
  float Max() const { return scale_.Max(); }
  void SetMax(float max);
  float Value() const { return scale_.Value(); }
  void SetValue(float value);

 private:
  void Show() { setValue(scale_.Steps()); }

  ProgressScale scale_;
};

}  // namespace quillonet

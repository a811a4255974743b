// ProgressBar: single-precision values over an integer bar.
#include "app/progress_bar.h"

#include <algorithm>
#include <cmath>

namespace quillonet {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, kSteps);
  setTextVisible(false);
  setFocusPolicy(Qt::NoFocus);
  Show();
}

void ProgressBar::SetMin(float min) {
  min_ = min;
  if (max_ < min_) max_ = min_;
  value_ = std::clamp(value_, min_, max_);
  Show();
}

void ProgressBar::SetMax(float max) {
  max_ = max;
  if (min_ > max_) min_ = max_;
  value_ = std::clamp(value_, min_, max_);
  Show();
}

void ProgressBar::SetValue(float value) {
  value_ = std::isnan(value) ? min_ : std::clamp(value, min_, max_);
  Show();
}

void ProgressBar::Show() {
  const double span = static_cast<double>(max_) - min_;
  const double part = span > 0 ? (static_cast<double>(value_) - min_) / span : 0.0;
  setValue(static_cast<int>(std::lround(part * kSteps)));
}

}  // namespace quillonet

// ProgressScale: clamping and the fine-step position.
#include "util/progress_scale.h"

#include <algorithm>
#include <cmath>

namespace quillonet {

void ProgressScale::SetMin(float min) {
  min_ = min;
  if (max_ < min_) max_ = min_;
  value_ = std::clamp(value_, min_, max_);
}

void ProgressScale::SetMax(float max) {
  max_ = max;
  if (min_ > max_) min_ = max_;
  value_ = std::clamp(value_, min_, max_);
}

void ProgressScale::SetValue(float value) { value_ = std::isnan(value) ? min_ : std::clamp(value, min_, max_); }

int ProgressScale::Steps() const {
  const double span = static_cast<double>(max_) - min_;
  const double part = span > 0 ? (static_cast<double>(value_) - min_) / span : 0.0;
  return static_cast<int>(std::lround(part * kSteps));
}

}  // namespace quillonet

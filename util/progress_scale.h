// ProgressScale: a progress bar's single-precision Min, Max and Value, and
// the position they give on a bar of many fine integer steps.
#pragma once

namespace quillonet {

// Value is kept as given (clamped into Min..Max; NaN is Min). Both windows
// draw their bars through Steps, so 100/3 is not drawn as 33.
class ProgressScale {
 public:
  static constexpr int kSteps = 100000;

  float Min() const { return min_; }
  void SetMin(float min);
  float Max() const { return max_; }
  void SetMax(float max);
  float Value() const { return value_; }
  void SetValue(float value);

  // The position on a bar of kSteps steps; 0 when Min equals Max.
  int Steps() const;

 private:
  float min_ = 0.0f;
  float max_ = 100.0f;
  float value_ = 0.0f;
};

}  // namespace quillonet

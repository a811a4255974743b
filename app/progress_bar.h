// ProgressBar: QProgressBar with single-precision Min, Max and Value.
#pragma once

#include <QProgressBar>

namespace quillonet {

// Value is kept as given (clamped into Min..Max); the bar shows it in fine
// internal steps, so 100/3 is not drawn as 33.
class ProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  static constexpr int kSteps = 100000;

  explicit ProgressBar(QWidget* parent = nullptr);

  float Min() const { return min_; }
  void SetMin(float min);
  float Max() const { return max_; }
  void SetMax(float max);
  float Value() const { return value_; }
  void SetValue(float value);

 private:
  void Show();

  float min_ = 0.0f;
  float max_ = 100.0f;
  float value_ = 0.0f;
};

}  // namespace quillonet

// ProgressBar: single-precision values over an integer bar.
#include "app/progress_bar.h"

namespace quillonet {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, kSteps);
  setTextVisible(false);
  setFocusPolicy(Qt::NoFocus);
  Show();
}

void ProgressBar::SetMin(float min) {
  scale_.SetMin(min);
  Show();
}

void ProgressBar::SetMax(float max) {
  scale_.SetMax(max);
  Show();
}

void ProgressBar::SetValue(float value) {
  scale_.SetValue(value);
  Show();
}

}  // namespace quillonet

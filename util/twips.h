// Twips (1/1440 inch) to pixels; on Linux at a widget's logical DPI.
#pragma once

#include <cmath>

class QWidget;

namespace quillonet {

// 15 twips are one pixel at 96 dpi; rounded to the nearest pixel.
inline int TwipsToPixels(int twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

// The logical DPI of the screen the widget is on (96 when there is none).
double LogicalDpi(const QWidget* widget);

}  // namespace quillonet

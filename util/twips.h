// Twips (1/1440 inch) to pixels at a widget's logical DPI.
#pragma once

class QWidget;

namespace quillonet {

// 15 twips are one pixel at 96 dpi; rounded to the nearest pixel.
int TwipsToPixels(int twips, double dpi);

// The logical DPI of the screen the widget is on (96 when there is none).
double LogicalDpi(const QWidget* widget);

}  // namespace quillonet

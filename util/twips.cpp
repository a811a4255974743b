// The logical DPI of a widget's screen.
#include "util/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillonet {

double LogicalDpi(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace quillonet

// Shape: filled rectangle.
#include "app/shape.h"

#include <QPainter>

namespace quillonet {

Shape::Shape(QWidget* parent, QColor fill, QColor border) : QWidget(parent), fill_(fill), border_(border) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void Shape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), fill_);
  painter.setPen(border_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace quillonet

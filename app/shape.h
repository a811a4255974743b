// Shape: a filled rectangle with a one-pixel border, drawn behind the other controls.
#pragma once

#include <QColor>
#include <QWidget>

namespace quillonet {

class Shape : public QWidget {
  Q_OBJECT

 public:
  Shape(QWidget* parent, QColor fill, QColor border);

  QColor Fill() const { return fill_; }
  QColor Border() const { return border_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
  QColor border_;
};

}  // namespace quillonet

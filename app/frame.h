// Frame: a group box drawn as the classic frame: caption on the top border at the left, interrupting it.
#pragma once

#include <QGroupBox>

namespace quillonet {

// Children are placed by the window at fixed positions (no layout), so the
// frame's drawing must not depend on the style's own group-box metrics,
// which put the caption above the box and the top border lower down,
// through the first row of children. Here the top border runs through the
// middle of the caption's line and everything below that line is inside.
//
// The caption is kept here rather than as the group box's title: setting
// that repaints the whole box with every control in it, and a run changes
// the caption after every card.
class Frame : public QGroupBox {
  Q_OBJECT

 public:
  explicit Frame(QWidget* parent = nullptr);

  const QString& Caption() const { return caption_; }
  // Repaints only the caption's line, not the controls below it.
  void SetCaption(const QString& caption);

  // Where the caption is drawn, and the rectangle of the border line, in
  // the frame's own coordinates.
  QRect CaptionRect() const;
  QRect BorderRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

}  // namespace quillonet

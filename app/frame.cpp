// Frame: border and caption drawn in the frame's own geometry.
#include "app/frame.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

#include <algorithm>

namespace quillonet {
namespace {
// As on the classic frame: the caption's gap in the border starts about
// two thirds of a text line in from the left edge, and the text keeps a
// small space from the border on either side.
int CaptionIndent(const QFontMetrics& fm) { return fm.height() * 2 / 3; }
int CaptionGap(const QFontMetrics& fm) { return std::max(2, fm.height() / 6); }
}  // namespace

Frame::Frame(QWidget* parent) : QGroupBox(parent) {}

void Frame::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  setAccessibleName(caption_);
  // The caption's line across the whole frame: no control reaches into it,
  // and it holds the old caption and the new one without measuring either.
  update(0, 0, width(), fontMetrics().height());
}

QRect Frame::BorderRect() const {
  // The top of the etched border runs through the middle of the caption's line.
  const int top = fontMetrics().height() / 2;
  return QRect(0, top, width(), height() - top);
}

QRect Frame::CaptionRect() const {
  const QFontMetrics fm = fontMetrics();
  const int indent = CaptionIndent(fm);
  const int textWidth = fm.size(Qt::TextShowMnemonic | Qt::TextSingleLine, caption_).width();
  const int widthLeft = std::max(0, width() - 2 * indent);
  return QRect(indent, 0, std::min(textWidth + 2 * CaptionGap(fm), widthLeft), fm.height());
}

void Frame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect caption = CaptionRect();
  const bool hasCaption = !caption_.isEmpty();
  painter.save();
  if (hasCaption) painter.setClipRegion(QRegion(rect()).subtracted(QRegion(caption)));
  qDrawShadeRect(&painter, BorderRect(), palette(), true, 1, 0);
  painter.restore();
  if (hasCaption) {
    const int gap = CaptionGap(fontMetrics());
    style()->drawItemText(&painter, caption.adjusted(gap, 0, -gap, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, palette(),
                          isEnabled(), caption_, QPalette::WindowText);
  }
}

}  // namespace quillonet

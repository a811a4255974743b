// CardSplitter: card boundaries and line folding.
#include "import/card_splitter.h"

#include "import/text_lines.h"

namespace quillonet {

namespace {
const QString kBegin = QStringLiteral("BEGIN:VCARD");
const QString kEnd = QStringLiteral("END:VCARD");

bool IsContinuation(const QString& line) {
  return !line.isEmpty() && (line[0] == QLatin1Char(' ') || line[0] == QLatin1Char('\t'));
}
}  // namespace

bool CardSplitter::addLine(const QString& line) {
  const QString trimmed = TrimSpaces(line);
  if (trimmed == kBegin) inCard_ = true;
  const bool cardEnded = trimmed == kEnd;

  if (inCard_) {
    QString piece;
    if (trimmed == kBegin || trimmed == kEnd) {
      piece = trimmed;
      pendingSpaces_.clear();
    } else {
      qsizetype end = line.size();
      while (end > 0 && line[end - 1] == QLatin1Char(' ')) --end;
      if (IsContinuation(line)) {
        cardText_ += pendingSpaces_;
        piece = line.left(end);
      } else {
        piece = trimmed;
      }
      pendingSpaces_ = line.mid(end);
    }
    if (cardText_.isEmpty()) {
      cardText_ = piece;
    } else {
      cardText_ += QLatin1String("\r\n");
      cardText_ += piece;
    }
  }

  if (!cardEnded) return false;
  card_ = TrimSpaces(cardText_);
  cardText_.clear();
  pendingSpaces_.clear();
  inCard_ = false;
  return true;
}

}  // namespace quillonet

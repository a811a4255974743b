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
  using Role = vcard::CardBounds::Role;
  const vcard::CardBounds::Step step = bounds_.take(Units(line));
  if (step.role == Role::Outside) return false;
  bool completed = false;
  if (step.role == Role::Begin && step.cardEnded) {
    // The open card lacks its END line: it ends here as it stands.
    completed = step.isCard;
    if (completed) complete();
    cardText_.clear();
    pendingSpaces_.clear();
  }
  if (collect_) append(line, step.role);
  if (step.role == Role::End) {
    completed = step.isCard;
    if (completed) complete();
    cardText_.clear();
    pendingSpaces_.clear();
  }
  return completed;
}

bool CardSplitter::finish() {
  const bool completed = bounds_.finish();
  if (completed) complete();
  cardText_.clear();
  pendingSpaces_.clear();
  return completed;
}

void CardSplitter::complete() { card_ = collect_ ? TrimSpaces(cardText_) : QString(); }

void CardSplitter::append(const QString& line, vcard::CardBounds::Role role) {
  using Role = vcard::CardBounds::Role;
  QString piece;
  if (role == Role::Begin || role == Role::AgentBegin) {
    piece = kBegin;
    pendingSpaces_.clear();
  } else if (role == Role::End || role == Role::AgentEnd) {
    piece = kEnd;
    pendingSpaces_.clear();
  } else {
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == QLatin1Char(' ')) --end;
    if (IsContinuation(line)) {
      cardText_ += pendingSpaces_;
      piece = line.left(end);
    } else {
      piece = TrimSpaces(line);
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

}  // namespace quillonet

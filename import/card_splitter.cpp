// CardSplitter: card boundaries and line folding.
#include "import/card_splitter.h"

namespace quillonet {

namespace {
constexpr std::u16string_view kBegin = u"BEGIN:VCARD";
constexpr std::u16string_view kEnd = u"END:VCARD";

bool IsContinuation(std::u16string_view line) { return !line.empty() && (line[0] == u' ' || line[0] == u'\t'); }

// The text without spaces (code 32) at either end.
std::u16string_view WithoutSpaces(std::u16string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  return text.substr(begin, end - begin);
}
}  // namespace

bool CardSplitter::addLine(std::u16string_view line) {
  using Role = vcard::CardBounds::Role;
  const vcard::CardBounds::Step step = bounds_.take(line);
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

void CardSplitter::complete() {
  if (collect_) {
    card_.assign(WithoutSpaces(cardText_));
  } else {
    card_.clear();
  }
}

void CardSplitter::append(std::u16string_view line, vcard::CardBounds::Role role) {
  using Role = vcard::CardBounds::Role;
  std::u16string_view piece;
  if (role == Role::Begin || role == Role::AgentBegin) {
    piece = kBegin;
    pendingSpaces_.clear();
  } else if (role == Role::End || role == Role::AgentEnd) {
    piece = kEnd;
    pendingSpaces_.clear();
  } else {
    std::size_t end = line.size();
    while (end > 0 && line[end - 1] == u' ') --end;
    if (IsContinuation(line)) {
      cardText_ += pendingSpaces_;
      piece = line.substr(0, end);
    } else {
      piece = WithoutSpaces(line);
    }
    pendingSpaces_.assign(line.substr(end));
  }
  if (!cardText_.empty()) cardText_ += u"\r\n";
  cardText_ += piece;
}

}  // namespace quillonet

// CardSplitter: card boundaries and line folding.
#include "import/card_splitter.h"

namespace quillonet {

namespace {
template <class Unit>
constexpr std::basic_string_view<Unit> kBegin;
template <>
constexpr std::u16string_view kBegin<char16_t> = u"BEGIN:VCARD";
template <>
constexpr std::string_view kBegin<char> = "BEGIN:VCARD";
template <class Unit>
constexpr std::basic_string_view<Unit> kEnd;
template <>
constexpr std::u16string_view kEnd<char16_t> = u"END:VCARD";
template <>
constexpr std::string_view kEnd<char> = "END:VCARD";

template <class Unit>
bool IsContinuation(std::basic_string_view<Unit> line) {
  return !line.empty() && (line[0] == Unit(' ') || line[0] == Unit('\t'));
}

// The text without spaces (code 32) at either end.
template <class Unit>
std::basic_string_view<Unit> WithoutSpaces(std::basic_string_view<Unit> text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == Unit(' ')) ++begin;
  while (end > begin && text[end - 1] == Unit(' ')) --end;
  return text.substr(begin, end - begin);
}
}  // namespace

template <class Unit>
bool BasicCardSplitter<Unit>::addLine(View line) {
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

template <class Unit>
bool BasicCardSplitter<Unit>::finish() {
  const bool completed = bounds_.finish();
  if (completed) complete();
  cardText_.clear();
  pendingSpaces_.clear();
  return completed;
}

template <class Unit>
void BasicCardSplitter<Unit>::complete() {
  if (collect_) {
    card_.assign(WithoutSpaces(View(cardText_)));
  } else {
    card_.clear();
  }
}

template <class Unit>
void BasicCardSplitter<Unit>::append(View line, vcard::CardBounds::Role role) {
  using Role = vcard::CardBounds::Role;
  View piece;
  if (role == Role::Begin || role == Role::AgentBegin) {
    piece = kBegin<Unit>;
    pendingSpaces_.clear();
  } else if (role == Role::End || role == Role::AgentEnd) {
    piece = kEnd<Unit>;
    pendingSpaces_.clear();
  } else {
    std::size_t end = line.size();
    while (end > 0 && line[end - 1] == Unit(' ')) --end;
    if (IsContinuation(line)) {
      cardText_ += pendingSpaces_;
      piece = line.substr(0, end);
    } else {
      piece = WithoutSpaces(line);
    }
    pendingSpaces_.assign(line.substr(end));
  }
  if (!cardText_.empty()) {
    cardText_ += Unit('\r');
    cardText_ += Unit('\n');
  }
  cardText_ += piece;
}

template class BasicCardSplitter<char16_t>;
template class BasicCardSplitter<char>;

}  // namespace quillonet

// CardBounds and markerOf, for 8-bit and UTF-16 lines alike.
#include "vcard/card_bounds.h"

namespace vcard {

namespace {

template <class Unit>
bool isBlank(Unit c) {
  return c == Unit(' ') || c == Unit('\t') || c == Unit('\0');
}

template <class Unit>
std::basic_string_view<Unit> trimmed(std::basic_string_view<Unit> s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Case-insensitive comparison with an upper-case ASCII word.
template <class Unit>
bool isWord(std::basic_string_view<Unit> text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    Unit c = text[i];
    if (c >= Unit('a') && c <= Unit('z')) c = static_cast<Unit>(c - 32);
    if (c != static_cast<Unit>(upper[i])) return false;
  }
  return true;
}

// The property name of a header (what precedes the colon): without its
// group and parameters.
template <class Unit>
std::basic_string_view<Unit> nameOf(std::basic_string_view<Unit> header) {
  header = header.substr(0, header.find(Unit(';')));
  if (const std::size_t dot = header.rfind(Unit('.')); dot != header.npos) header.remove_prefix(dot + 1);
  return trimmed(header);
}

enum class LineKind { EmptyAgent, InlineAgent, Other };

// An AGENT property without a value, an AGENT whose value opens its card, or
// any other line. line starts with its first character that is not blank.
template <class Unit>
LineKind kindOf(std::basic_string_view<Unit> line) {
  // The name (after a group) runs to the first ';' or ':'; most names are
  // short and not "AGENT", so most lines are told apart right there.
  std::size_t end = 0;
  while (end < line.size() && line[end] != Unit(';') && line[end] != Unit(':')) ++end;
  if (end == line.size()) return LineKind::Other;
  std::basic_string_view<Unit> name = line.substr(0, end);
  if (const std::size_t dot = name.rfind(Unit('.')); dot != name.npos) name.remove_prefix(dot + 1);
  if (!isWord(trimmed(name), "AGENT")) return LineKind::Other;
  const std::size_t colon = line.find(Unit(':'), end);
  if (colon == line.npos) return LineKind::Other;
  const std::basic_string_view<Unit> value = trimmed(line.substr(colon + 1));
  if (value.empty()) return LineKind::EmptyAgent;
  return isWord(value, "BEGIN:VCARD") ? LineKind::InlineAgent : LineKind::Other;
}

}  // namespace

template <class Unit>
Marker markerOf(std::basic_string_view<Unit> line) {
  line = trimmed(line);
  // Nearly every line fails here: a marker ends in "VCARD".
  if (line.size() < 9 || !isWord(line.substr(line.size() - 5), "VCARD")) return Marker::None;
  const std::size_t colon = line.find(Unit(':'));
  if (colon == line.npos || !isWord(trimmed(line.substr(colon + 1)), "VCARD")) return Marker::None;
  const std::basic_string_view<Unit> name = nameOf(line.substr(0, colon));
  if (isWord(name, "BEGIN")) return Marker::Begin;
  if (isWord(name, "END")) return Marker::End;
  return Marker::None;
}

template <class Unit>
CardBounds::Step CardBounds::take(std::basic_string_view<Unit> line) {
  Step step;
  const Marker marker = markerOf(line);
  if (marker == Marker::None) {
    if (depth_ > 0) takeLine(line, step);
    return step;
  }
  continuable_ = false;
  agentPending_ = agentPending_ && marker == Marker::Begin;
  if (marker == Marker::Begin) {
    if (depth_ > 0 && agentPending_ && depth_ < kMaxCardDepth) {
      ++depth_;
      agentPending_ = false;
      step.role = Role::AgentBegin;
      return step;
    }
    if (depth_ > 0) {
      step.cardEnded = true;
      step.isCard = content_;
    }
    depth_ = 1;
    agentPending_ = false;
    content_ = false;
    step.role = Role::Begin;
    return step;
  }
  if (depth_ == 0) return step;  // an END outside a card
  if (--depth_ > 0) {
    step.role = Role::AgentEnd;
    return step;
  }
  step.role = Role::End;
  step.cardEnded = true;
  step.isCard = content_;
  return step;
}

template <class Unit>
void CardBounds::takeLine(std::basic_string_view<Unit> line, Step& step) {
  step.role = Role::Line;
  // A line led by white space continues the line before it when that one
  // can be continued: the reader joins the two into one line.
  const bool joined = continuable_ && !line.empty() && (line.front() == Unit(' ') || line.front() == Unit('\t'));
  std::size_t first = 0;
  while (first < line.size() && isBlank(line[first])) ++first;
  if (first == line.size()) {
    continuable_ = joined || (continuable_ && !line.empty());
    return;
  }
  continuable_ = true;
  content_ = true;
  if (joined) {
    agentPending_ = false;  // an AGENT it continues has a value now
    return;
  }
  const LineKind kind = kindOf(line.substr(first));
  agentPending_ = kind == LineKind::EmptyAgent;
  if (kind == LineKind::InlineAgent && depth_ < kMaxCardDepth) {
    ++depth_;
    step.role = Role::InlineAgent;
  }
}

bool CardBounds::finish() {
  const bool card = depth_ > 0 && content_;
  depth_ = 0;
  agentPending_ = false;
  content_ = false;
  continuable_ = false;
  return card;
}

template Marker markerOf<char>(std::string_view);
template Marker markerOf<char16_t>(std::u16string_view);
template CardBounds::Step CardBounds::take<char>(std::string_view);
template CardBounds::Step CardBounds::take<char16_t>(std::u16string_view);

}  // namespace vcard

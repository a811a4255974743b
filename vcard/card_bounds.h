// Where cards begin and end among a vCard file's lines. The vCard reader, the
// card count and the splitter follow this one rule, so they always agree on
// which cards a file holds.
#pragma once
#include <string_view>

namespace vcard {

enum class Marker { None, Begin, End };

// "BEGIN:VCARD" or "END:VCARD" in any case, with spaces and tabs around the
// line, the name and the value; a group or parameters on the name are
// allowed. Units are bytes, or UTF-16 code units (Latin-1 characters for
// 8-bit text).
template <class Unit>
Marker markerOf(std::basic_string_view<Unit> line);

// Agents' cards nested deeper than this are read as cards of their own.
inline constexpr int kMaxCardDepth = 8;

// Takes a file's lines in order and says what each one is. Physical lines
// and logical lines (folds joined) give the same cards, since a marker line
// is never a continuation.
//
// A card runs from BEGIN:VCARD to its END:VCARD. A BEGIN:VCARD right after an
// "AGENT:" line without a value, or "AGENT:BEGIN:VCARD" on one line, opens
// the agent's card inside the open card (vCard 2.1). Any other BEGIN:VCARD in
// a card ends the open card, whose END line is missing, and begins the next.
// A card still open at the end of the input ends there. A card with no line
// besides its markers is no card; an END:VCARD outside a card is ignored.
class CardBounds {
 public:
  enum class Role {
    Outside,      // not in a card
    Begin,        // the BEGIN:VCARD of a card
    Line,         // a line of the open card (blank ones and the agent's card's too)
    AgentBegin,   // the BEGIN:VCARD of an agent's card
    InlineAgent,  // "AGENT:BEGIN:VCARD", which opens the agent's card
    AgentEnd,     // the END:VCARD of an agent's card
    End,          // the END:VCARD of the card
  };
  struct Step {
    Role role = Role::Outside;
    // A card ended with this line (End) or just before it (a Begin that
    // ends an unterminated card) ...
    bool cardEnded = false;
    // ... and it is a card: it holds a line besides its markers.
    bool isCard = false;
  };

  template <class Unit>
  Step take(std::basic_string_view<Unit> line);
  // The end of the input: ends an open card; true when that is a card.
  bool finish();
  bool inCard() const { return depth_ > 0; }

 private:
  template <class Unit>
  void takeLine(std::basic_string_view<Unit> line, Step& step);

  int depth_ = 0;               // cards open, the agents' cards included
  bool agentPending_ = false;   // the last line was an AGENT without a value
  bool content_ = false;        // the open card holds a line besides its markers
  bool continuable_ = false;    // a folded line after the last one would continue it
};

}  // namespace vcard

// Cuts the lines of a multi-card vCard file into single cards.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "vcard/card_bounds.h"

namespace quillonet {

// Takes a file's lines one by one and finds its cards where the vCard reader
// finds them (vcard::CardBounds): a card runs from a BEGIN:VCARD line to its
// END:VCARD line, both recognised in any case with spaces and tabs around
// them; an agent's card nested in a card stays in it; a BEGIN:VCARD inside a
// card ends the open card as it stands (its END line is missing); a card
// still open at the end of the file is a card too. Lines outside cards, and
// cards with nothing between their markers, are ignored.
//
// The card's lines are joined by CR LF with trailing spaces removed, except
// that a folded continuation line (one that begins with a space or a tab)
// keeps its leading white space, and the line it continues keeps its
// trailing spaces: both are part of the unfolded value. Marker lines are
// written as the bare upper-case markers.
template <class Unit>
class BasicCardSplitter {
 public:
  using Text = std::basic_string<Unit>;
  using View = std::basic_string_view<Unit>;

  // collect false: only finds the cards (the card count), keeps no text.
  explicit BasicCardSplitter(bool collect = true) : collect_(collect) {}

  // Returns true when a card is complete: this line ended it, or this line
  // began the next card while it was still open. card() then holds its text.
  bool addLine(View line);
  // The end of the file: returns true when a card was still open, which is
  // then complete in card().
  bool finish();
  const Text& card() const { return card_; }
  // A card has begun and not yet ended.
  bool inCard() const { return bounds_.inCard(); }
  // Characters of the card begun so far.
  std::size_t cardSize() const { return cardText_.size(); }

 private:
  void append(View line, vcard::CardBounds::Role role);
  void complete();

  bool collect_;
  vcard::CardBounds bounds_;
  Text cardText_;
  Text pendingSpaces_;  // trailing spaces cut from the last line added
  Text card_;
};

// Lines of UTF-16 text, or of 8-bit text as its bytes (the same cards as its
// Latin-1 characters give).
using CardSplitter = BasicCardSplitter<char16_t>;
using ByteCardSplitter = BasicCardSplitter<char>;

}  // namespace quillonet

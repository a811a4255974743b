// Cuts the lines of a multi-card vCard file into single cards.
#pragma once

#include <QString>

namespace quillonet {

// Takes a file's lines one by one. A card runs from a line reading
// "BEGIN:VCARD" to the next line reading "END:VCARD" (both compared with
// surrounding spaces removed, case-sensitive); lines outside cards are
// ignored, and a "BEGIN:VCARD" inside a card starts nothing new. The card's
// lines are joined by CR LF with trailing spaces removed, except that a
// folded continuation line (one that begins with a space or a tab) keeps its
// leading white space, and the line it continues keeps its trailing spaces:
// both are part of the unfolded value. The marker lines are written as the
// bare markers.
class CardSplitter {
 public:
  // Returns true when this line ended a card; card() then holds its text,
  // which is empty for an "END:VCARD" line outside any card.
  bool addLine(const QString& line);
  const QString& card() const { return card_; }
  // A card has begun and not yet ended.
  bool inCard() const { return inCard_; }
  // Characters of the card begun so far.
  qsizetype cardSize() const { return cardText_.size(); }

 private:
  QString cardText_;
  QString pendingSpaces_;  // trailing spaces cut from the last line added
  QString card_;
  bool inCard_ = false;
};

}  // namespace quillonet

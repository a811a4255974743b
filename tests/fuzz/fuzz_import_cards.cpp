// Fuzzes the line reader and card splitter: any bytes give lines without
// line ends; the card count finds as many cards as the splitter; every card
// begins with "BEGIN:VCARD", and cut again it is one card; 8-bit text cut as
// bytes gives the same cards, byte for byte.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/card_splitter.h"
#include "import/text_lines.h"
#include "util/text.h"

namespace {

std::vector<std::u16string> Cut(const std::vector<std::u16string>& lines) {
  quillonet::CardSplitter splitter;
  std::vector<std::u16string> cards;
  for (const std::u16string& line : lines) {
    if (splitter.addLine(line)) cards.push_back(splitter.card());
  }
  if (splitter.finish()) cards.push_back(splitter.card());
  return cards;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t at = 0;
  const quillonet::ByteSource source = [&](char* out, std::size_t room) {
    const std::size_t n = std::min(room, size - at);
    if (n > 0) std::memcpy(out, data + at, n);
    at += n;
    return n;
  };
  // A small chunk size puts line ends and byte-order marks across refills.
  quillonet::LineReader reader(source, u"fuzz", 1 + (size % 7));
  std::vector<std::u16string> lines;
  while (!reader.atEnd()) {
    std::u16string line = reader.readLine();
    if (line.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
    lines.push_back(std::move(line));
  }
  quillonet::CardSplitter counter(/*collect=*/false);
  std::size_t counted = 0;
  for (const std::u16string& line : lines) {
    if (counter.addLine(line)) ++counted;
  }
  if (counter.finish()) ++counted;
  const std::vector<std::u16string> cards = Cut(lines);
  if (counted != cards.size()) std::abort();
  if (reader.eightBit()) {
    at = 0;
    quillonet::LineReader bytes(source, u"fuzz", 1 + (size % 5));
    quillonet::ByteCardSplitter splitter;
    std::vector<std::string> byteCards;
    std::string line;
    while (!bytes.atEnd()) {
      bytes.readLine(line);
      if (splitter.addLine(line)) byteCards.push_back(splitter.card());
    }
    if (splitter.finish()) byteCards.push_back(splitter.card());
    if (byteCards.size() != cards.size()) std::abort();
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (quillonet::EncodeText(cards[i], quillonet::TextEncoding::Bytes) != byteCards[i]) std::abort();
    }
  }
  for (const std::u16string& card : cards) {
    if (!card.starts_with(u"BEGIN:VCARD")) std::abort();
    // The card file gives back the card's characters, and holds one card.
    const std::string encoded = quillonet::EncodeText(card, reader.encoding());
    if (reader.encoding() == quillonet::TextEncoding::Bytes && encoded.size() != card.size()) std::abort();
    if (Cut(quillonet::text::Split(card, u"\r\n")).size() != 1) std::abort();
  }
  return 0;
}

// Fuzzes the line reader and card splitter: any bytes give lines without
// line ends; the card count finds as many cards as the splitter; every card
// begins with "BEGIN:VCARD", and cut again it is one card.
#include <QBuffer>

#include <cstdint>
#include <cstdlib>

#include "import/card_splitter.h"
#include "import/text_lines.h"

namespace {

QStringList Cut(const QStringList& lines) {
  quillonet::CardSplitter splitter;
  QStringList cards;
  for (const QString& line : lines) {
    if (splitter.addLine(line)) cards << splitter.card();
  }
  if (splitter.finish()) cards << splitter.card();
  return cards;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  // A small chunk size puts line ends and byte-order marks across refills.
  quillonet::LineReader reader(buffer, QStringLiteral("fuzz"), 1 + (size % 7));
  QStringList lines;
  while (!reader.atEnd()) {
    const QString line = reader.readLine();
    if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) std::abort();
    lines << line;
  }
  quillonet::CardSplitter counter(/*collect=*/false);
  qsizetype counted = 0;
  for (const QString& line : lines) {
    if (counter.addLine(line)) ++counted;
  }
  if (counter.finish()) ++counted;
  const QStringList cards = Cut(lines);
  if (counted != cards.size()) std::abort();
  for (const QString& card : cards) {
    if (!card.startsWith(QLatin1String("BEGIN:VCARD"))) std::abort();
    // The card file gives back the card's characters, and holds one card.
    const QByteArray encoded = quillonet::EncodeText(card, reader.encoding());
    if (reader.encoding() == quillonet::TextEncoding::Bytes && encoded.size() != card.size()) std::abort();
    if (Cut(card.split(QLatin1String("\r\n"))).size() != 1) std::abort();
  }
  return 0;
}

// Fuzzes the line reader and card splitter: any bytes give lines without
// line ends, and exactly one card per "END:VCARD" line, each card either
// empty or running from "BEGIN:VCARD" to "END:VCARD".
#include <QBuffer>

#include <cstdint>
#include <cstdlib>

#include "import/card_splitter.h"
#include "import/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  // A small chunk size puts line ends and byte-order marks across refills.
  quillonet::LineReader reader(buffer, QStringLiteral("fuzz"), 1 + (size % 7));
  quillonet::CardSplitter splitter;
  std::size_t endLines = 0;
  std::size_t cards = 0;
  while (!reader.atEnd()) {
    const QString line = reader.readLine();
    if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) std::abort();
    if (quillonet::TrimSpaces(line) == QLatin1String("END:VCARD")) ++endLines;
    if (splitter.addLine(line)) {
      ++cards;
      const QString& card = splitter.card();
      const bool wellFormed = card.startsWith(QLatin1String("BEGIN:VCARD")) && card.endsWith(QLatin1String("END:VCARD"));
      if (!card.isEmpty() && !wellFormed) std::abort();
      // The card file gives back the card's characters.
      const QByteArray encoded = quillonet::EncodeText(card, reader.encoding());
      if (reader.encoding() == quillonet::TextEncoding::Bytes && encoded.size() != card.size()) std::abort();
    }
  }
  if (cards != endLines) std::abort();
  return 0;
}

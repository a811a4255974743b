// Line reading (line ends, encodings, byte-order marks, chunk edges) and card
// cutting, which must find the cards the vCard reader finds.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>

#include "import/card_splitter.h"
#include "import/text_lines.h"
#include "vcard/reader.h"

namespace quillonet {
namespace {

QStringList ReadAll(const QByteArray& bytes, qsizetype chunk = 64 * 1024, TextEncoding* encoding = nullptr) {
  qsizetype at = 0;
  const ByteSource source = [&](char* data, std::size_t size) {
    const std::size_t n = std::min(size, static_cast<std::size_t>(bytes.size() - at));
    std::memcpy(data, bytes.constData() + at, n);
    at += static_cast<qsizetype>(n);
    return n;
  };
  LineReader reader(source, u"test", static_cast<std::size_t>(chunk));
  QStringList lines;
  while (!reader.atEnd()) lines << QString::fromStdU16String(reader.readLine());
  if (encoding) *encoding = reader.encoding();
  return lines;
}

QByteArray Encode(const QString& text, TextEncoding encoding) {
  const std::string bytes = EncodeText(text.toStdU16String(), encoding);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

TEST(ImportLineReader, EndsLinesAtCrCrLfAndLf) {
  // CR CR LF is one end, as the vCard reader takes it.
  const QByteArray text("a\r\nb\rc\nd\r\n\r\ne\r\r\nf");
  const QStringList expected{"a", "b", "c", "d", "", "e", "f"};
  EXPECT_EQ(ReadAll(text), expected);
  // The same with every chunk boundary, including one between CR and LF.
  for (qsizetype chunk = 1; chunk <= text.size(); ++chunk) EXPECT_EQ(ReadAll(text, chunk), expected) << chunk;
}

TEST(ImportLineReader, LastLineEndIsNotAnEmptyLine) {
  EXPECT_EQ(ReadAll("a\r\n"), QStringList{"a"});
  EXPECT_EQ(ReadAll("a\r"), QStringList{"a"});
  EXPECT_EQ(ReadAll("a\n\n"), (QStringList{"a", ""}));
  EXPECT_TRUE(ReadAll("").isEmpty());
  EXPECT_EQ(ReadAll("\n\r"), (QStringList{"", ""}));  // LF then CR: two ends
}

TEST(ImportLineReader, BytesRoundTripUnchanged) {
  QByteArray all;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r' && b != '\n') all.append(static_cast<char>(b));
  }
  TextEncoding encoding{};
  const QStringList lines = ReadAll(all + "\r\n" + all, 7, &encoding);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(encoding, TextEncoding::Bytes);
  EXPECT_EQ(Encode(lines[0], encoding), all);
  // 8-bit text cannot hold a character beyond U+00FF: it becomes '?'.
  EXPECT_EQ(Encode(QString(20, 'a') + QChar(0x4E2D) + QString(20, 'b'), TextEncoding::Bytes),
            QByteArray(20, 'a') + '?' + QByteArray(20, 'b'));
  // NULs are dropped, as the vCard reader drops them.
  EXPECT_EQ(ReadAll(QByteArray("BEG\0IN:VCARD\0\r\nx", 16), 3), (QStringList{"BEGIN:VCARD", "x"}));
}

TEST(ImportLineReader, ByteOrderMarks) {
  TextEncoding encoding{};
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF" "BEGIN:VCARD\r\nx", 2, &encoding), (QStringList{"BEGIN:VCARD", "x"}));
  EXPECT_EQ(encoding, TextEncoding::Utf8Bom);

  const QString text = QStringLiteral("END:VCARD\r\n\u00e9\u4e2d\nz");
  QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
  for (const QChar c : text) {
    le.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
    be.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
  }
  const QStringList expected{"END:VCARD", QStringLiteral("\u00e9\u4e2d"), "z"};
  EXPECT_EQ(ReadAll(le, 3, &encoding), expected);
  EXPECT_EQ(encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(Encode(QStringLiteral("END:VCARD"), encoding), le.left(2 + 18));
  EXPECT_EQ(ReadAll(be, 5, &encoding), expected);
  EXPECT_EQ(encoding, TextEncoding::Utf16BE);
  // An odd last byte is kept, not dropped.
  EXPECT_EQ(ReadAll(le + "A", 4).last(), "zA");
}

QByteArray Utf16LE(const QByteArray& latin1, bool mark) {
  QByteArray bytes = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
  for (const char c : latin1) bytes.append(c).append('\0');
  return bytes;
}

TEST(ImportLineReader, EncodingAsTheReaderDecidesItAndAMarkOnAnyLine) {
  TextEncoding encoding{};
  const QByteArray text = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n";
  const QStringList lines{"BEGIN:VCARD", "FN:A", "END:VCARD"};
  EXPECT_EQ(ReadAll(Utf16LE(text, false), 3, &encoding), lines);
  EXPECT_EQ(encoding, TextEncoding::Utf16LE);
  QByteArray be;
  for (const char c : text) be.append('\0').append(c);
  EXPECT_EQ(ReadAll(be, 5, &encoding), lines);
  EXPECT_EQ(encoding, TextEncoding::Utf16BE);
  // Parts joined into one file, each with its mark.
  EXPECT_EQ(ReadAll(Utf16LE(text, true) + Utf16LE(text, true), 7, &encoding), lines + lines);
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + text + "\xEF\xBB\xBF" + text, 4, &encoding), lines + lines);
  EXPECT_EQ(encoding, TextEncoding::Utf8Bom);
  EXPECT_EQ(ReadAll(text + "\xEF\xBB\xBF" + text, 4, &encoding), lines + lines);
  EXPECT_EQ(encoding, TextEncoding::Bytes);
}

TEST(ImportTrimSpaces, OnlySpaces) {
  EXPECT_EQ(TrimSpaces(u"  END:VCARD  "), u"END:VCARD");
  EXPECT_EQ(TrimSpaces(u"\tEND:VCARD\t"), u"\tEND:VCARD\t");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
}

// Feeds lines and returns the cards cut from them.
QStringList Split(const QStringList& lines) {
  CardSplitter splitter;
  CardSplitter counter(/*collect=*/false);
  QStringList cards;
  qsizetype counted = 0;
  for (const QString& line : lines) {
    if (splitter.addLine(line.toStdU16String())) cards << QString::fromStdU16String(splitter.card());
    if (counter.addLine(line.toStdU16String())) ++counted;
  }
  if (splitter.finish()) cards << QString::fromStdU16String(splitter.card());
  if (counter.finish()) ++counted;
  EXPECT_EQ(counted, cards.size()) << "the count and the splitter disagree";
  return cards;
}

TEST(ImportCardSplitter, CutsCardsAndIgnoresLinesOutside) {
  const QStringList cards = Split({"junk", "BEGIN:VCARD", "FN:A", "END:VCARD", "between", "  BEGIN:VCARD  ",
                                   "FN:B  ", "", "  END:VCARD", "END:VCARD", "BEGIN:VCARD", "FN:open at the end"});
  EXPECT_EQ(cards, (QStringList{"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD", "BEGIN:VCARD\r\nFN:B\r\n\r\nEND:VCARD",
                                "BEGIN:VCARD\r\nFN:open at the end"}));
}

TEST(ImportCardSplitter, BoundariesInAnyCaseWithTabsAndWithoutEnd) {
  EXPECT_EQ(Split({"\tbegin:vCard ", "FN:A", "End:VCard\t"}), QStringList{"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD"});
  EXPECT_EQ(Split({"BEGIN:VCARD", "FN:A", "END:VCARD;"}), QStringList{"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD;"});
  // A card whose END is missing ends where the next begins.
  EXPECT_EQ(Split({"BEGIN:VCARD", "FN:A", "BEGIN:VCARD", "FN:B", "END:VCARD"}),
            (QStringList{"BEGIN:VCARD\r\nFN:A", "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD"}));
  // Markers with nothing between them make no card.
  EXPECT_EQ(Split({"BEGIN:VCARD", "END:VCARD", "BEGIN:VCARD", " ", "BEGIN:VCARD", "FN:C", "END:VCARD", "BEGIN:VCARD"}),
            QStringList{"BEGIN:VCARD\r\nFN:C\r\nEND:VCARD"});
}

TEST(ImportCardSplitter, AgentCardStaysInItsCard) {
  EXPECT_EQ(Split({"BEGIN:VCARD", "VERSION:2.1", "AGENT:", "begin:vcard", "FN:Fred", "end:vcard", "EMAIL:b@x",
                   "END:VCARD", "BEGIN:VCARD", "FN:Next", "END:VCARD"}),
            (QStringList{"BEGIN:VCARD\r\nVERSION:2.1\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Fred\r\nEND:VCARD\r\n"
                         "EMAIL:b@x\r\nEND:VCARD",
                         "BEGIN:VCARD\r\nFN:Next\r\nEND:VCARD"}));
  // An AGENT line with a value, folded or not, opens no card: the next
  // BEGIN:VCARD is the next card.
  EXPECT_EQ(Split({"BEGIN:VCARD", "AGENT:", " CID:x", "BEGIN:VCARD", "FN:B", "END:VCARD"}).size(), 2);
  EXPECT_EQ(Split({"BEGIN:VCARD", "AGENT;VALUE=uri:x", "BEGIN:VCARD", "FN:B", "END:VCARD"}).size(), 2);
}

// The splitter and the vCard reader find the same cards, and the reader
// finds exactly one card in each card the splitter cuts.
TEST(ImportCardSplitter, FindsTheCardsTheReaderFinds) {
  const std::vector<QByteArray> files = {
      "BEGIN:vCard\r\nFN:A\r\nEND:vCard\r\nbegin:vcard\r\nFN:B\r\nend:vcard\r\n",
      "BEGIN:VCARD\nFN:A\nEND:VCARD\t\n\tBEGIN:VCARD\nFN:B\n  END:VCARD\n",
      "BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\nEND:VCARD\nBEGIN:VCARD\nFN:C\n",
      "BEGIN:VCARD\nVERSION:2.1\nAGENT:\n\nBEGIN:VCARD\nFN:F\nEND:VCARD\nEMAIL:e\nEND:VCARD\n"
      "BEGIN:VCARD\nFN:N\nEND:VCARD\n",
      "BEGIN:VCARD\nFN:A\nAGENT:BEGIN:VCARD\nFN:S\nEND:VCARD\nBEGIN:VCARD\nFN:N\nEND:VCARD\n",
      "BEGIN:VCARD\nNOTE:x\n AGENT:\nBEGIN:VCARD\nFN:B\nEND:VCARD\n",
      "BEGIN:VCARD\nNOTE:x\n \n\n AGENT:\nBEGIN:VCARD\nFN:B\nEND:VCARD\n",
      "BEGIN:VCARD\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\nEND:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\n",
      "\xEF\xBB\xBF" "BEGIN:VCARD\nFN:A\nEND:VCARD\n\xEF\xBB\xBF" "BEGIN:VCARD\nFN:B\nEND:VCARD\n",
      "BEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:B\r\n",
      "BEGIN:VCARD\r\r\nNOTE:x\r\r\n AGENT:\r\r\nBEGIN:VCARD\r\r\nFN:B\r\r\nEND:VCARD\r\r\n",
      QByteArray("BEGIN:VCARD\nFN:A\nEND:VC\0ARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\n", 55),
  };
  for (const QByteArray& file : files) {
    SCOPED_TRACE(file.toStdString());
    for (const QByteArray& bytes : {file, Utf16LE(file, false)}) {
      const std::vector<vcard::Card> read = vcard::parseCards(
          {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
      TextEncoding encoding{};
      const QStringList cards = Split(ReadAll(bytes, 64 * 1024, &encoding));
      ASSERT_EQ(static_cast<std::size_t>(cards.size()), read.size());
      if (encoding == TextEncoding::Bytes || encoding == TextEncoding::Utf8Bom) {
        // Cut as bytes, 8-bit text gives the same cards.
        std::size_t at = 0;
        LineReader reader(
            [&](char* out, std::size_t room) {
              const std::size_t n = std::min(room, static_cast<std::size_t>(bytes.size()) - at);
              std::memcpy(out, bytes.constData() + at, n);
              at += n;
              return n;
            },
            u"bytes", 5);
        ByteCardSplitter splitter;
        QStringList byteCards;
        std::string line;
        while (!reader.atEnd()) {
          reader.readLine(line);
          if (splitter.addLine(line)) byteCards << QString::fromLatin1(splitter.card());
        }
        if (splitter.finish()) byteCards << QString::fromLatin1(splitter.card());
        EXPECT_EQ(byteCards, cards);
      }
      for (const QString& card : cards) {
        const QByteArray cardFile = Encode(card + "\r\n", encoding);
        EXPECT_EQ(vcard::parseCards({reinterpret_cast<const std::uint8_t*>(cardFile.constData()),
                                     static_cast<std::size_t>(cardFile.size())})
                      .size(),
                  1u)
            << card.toStdString();
      }
    }
  }
}

TEST(ImportCardSplitter, FoldedLinesKeepTheirWhiteSpace) {
  // "NOTE:one two three" folded after "two " and with a tab: unfolding must
  // give the value back unchanged.
  EXPECT_EQ(Split({"BEGIN:VCARD", "NOTE:one two ", " three", "\tfour  ", "PHOTO;ENCODING=b:AAAA", "  BBBB",
                   "END:VCARD"}),
            QStringList{"BEGIN:VCARD\r\nNOTE:one two \r\n three\r\n\tfour\r\nPHOTO;ENCODING=b:AAAA\r\n  BBBB\r\nEND:VCARD"});
}

}  // namespace
}  // namespace quillonet

// Line reading (line ends, byte-order marks, chunk edges) and card cutting.
#include <gtest/gtest.h>

#include <QBuffer>

#include "import/card_splitter.h"
#include "import/text_lines.h"

namespace quillonet {
namespace {

QStringList ReadAll(const QByteArray& bytes, qsizetype chunk = 64 * 1024, TextEncoding* encoding = nullptr) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  LineReader reader(buffer, QStringLiteral("test"), chunk);
  QStringList lines;
  while (!reader.atEnd()) lines << reader.readLine();
  if (encoding) *encoding = reader.encoding();
  return lines;
}

TEST(ImportLineReader, EndsLinesAtCrCrLfAndLf) {
  const QByteArray text("a\r\nb\rc\nd\r\n\r\ne");
  const QStringList expected{"a", "b", "c", "d", "", "e"};
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
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') all.append(static_cast<char>(b));
  }
  TextEncoding encoding{};
  const QStringList lines = ReadAll(all + "\r\n" + all, 7, &encoding);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(encoding, TextEncoding::Bytes);
  EXPECT_EQ(EncodeText(lines[0], encoding), all);
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
  EXPECT_EQ(EncodeText(QStringLiteral("END:VCARD"), encoding), le.left(2 + 18));
  EXPECT_EQ(ReadAll(be, 5, &encoding), expected);
  EXPECT_EQ(encoding, TextEncoding::Utf16BE);
  // An odd last byte is kept, not dropped.
  EXPECT_EQ(ReadAll(le + "A", 4).last(), "zA");
}

TEST(ImportTrimSpaces, OnlySpaces) {
  EXPECT_EQ(TrimSpaces("  END:VCARD  "), "END:VCARD");
  EXPECT_EQ(TrimSpaces("\tEND:VCARD\t"), "\tEND:VCARD\t");
  EXPECT_EQ(TrimSpaces("   "), "");
}

// Feeds lines and returns the cards cut from them.
QStringList Split(const QStringList& lines) {
  CardSplitter splitter;
  QStringList cards;
  for (const QString& line : lines) {
    if (splitter.addLine(line)) cards << splitter.card();
  }
  return cards;
}

TEST(ImportCardSplitter, CutsCardsAndIgnoresLinesOutside) {
  const QStringList cards = Split({"junk", "BEGIN:VCARD", "FN:A", "END:VCARD", "between", "  BEGIN:VCARD  ",
                                   "FN:B  ", "", "  END:VCARD", "BEGIN:VCARD", "FN:dropped"});
  EXPECT_EQ(cards, (QStringList{"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD", "BEGIN:VCARD\r\nFN:B\r\n\r\nEND:VCARD"}));
}

TEST(ImportCardSplitter, MarkersAreCaseSensitiveAndMissingEndRunsOn) {
  // A lower-case begin starts nothing; its end closes an empty card.
  EXPECT_EQ(Split({"begin:vcard", "FN:A", "END:VCARD"}), QStringList{""});
  EXPECT_EQ(Split({"\tBEGIN:VCARD", "END:VCARD;"}), QStringList{});
  // Without its end a card runs into the next one, second begin included.
  EXPECT_EQ(Split({"BEGIN:VCARD", "FN:A", "BEGIN:VCARD", "FN:B", "END:VCARD"}),
            QStringList{"BEGIN:VCARD\r\nFN:A\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD"});
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

// Reader tests: line ends, unfolding, parameters, encodings, charsets, nesting, junk.
#include <gtest/gtest.h>

#include "helpers.h"

namespace vcard::test {
namespace {

std::string value(const Card& card, std::string_view name) {
  const CardProperty* p = card.find(name);
  return p ? utf8(p->text()) : "<absent>";
}

TEST(Reader, LineEndsCrlfLfAndLoneCrAllReadTheSame) {
  for (std::string_view eol : {"\r\n", "\n", "\r"}) {
    std::string text = "BEGIN:VCARD" + std::string(eol) + "VERSION:3.0" + std::string(eol) + "FN:Ann Lee" +
                       std::string(eol) + "END:VCARD" + std::string(eol);
    const Card card = one(text);
    EXPECT_EQ(card.version, Version::V30);
    EXPECT_EQ(value(card, "FN"), "Ann Lee") << "line end " << (eol == "\r" ? "CR" : eol == "\n" ? "LF" : "CRLF");
  }
}

TEST(Reader, LineEndsMixedInOneFileEachEndOneLine) {
  const Card card = one("BEGIN:VCARD\rVERSION:3.0\nFN:Ann Lee\r\nNOTE:a\r\n b\rTITLE:Boss\nORG:Acme\r"
                        "EMAIL:ann@example.com\r\nEND:VCARD");
  EXPECT_EQ(value(card, "FN"), "Ann Lee");
  EXPECT_EQ(value(card, "NOTE"), "ab");
  EXPECT_EQ(value(card, "TITLE"), "Boss");
  EXPECT_EQ(value(card, "ORG"), "Acme");
  EXPECT_EQ(value(card, "EMAIL"), "ann@example.com");
}

TEST(Reader, Base64SkipsWhiteSpaceAndPaddingWhereverTheyFall) {
  const auto bytes = [](std::string_view text) {
    const std::vector<std::uint8_t> out = detail::decodeBase64(text);
    return std::string(out.begin(), out.end());
  };
  EXPECT_EQ(bytes("QUJDREVGSA=="), "ABCDEFH");
  EXPECT_EQ(bytes("Q UJ\tDREVG\r\nSA=="), "ABCDEFH");
  EXPECT_EQ(bytes("QUJ DREV GSA"), "ABCDEFH");
  EXPECT_EQ(bytes("-_-_"), "\xFB\xFF\xBF");
  EXPECT_EQ(bytes("QUJD!"), "ABC");
  EXPECT_EQ(bytes(""), "");
}

TEST(Reader, UnfoldingDropsOneWhitespaceIn30ButKeepsItIn21) {
  const Card v3 = one("BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:abc\r\n def\r\n\tghi\r\nEND:VCARD\r\n");
  EXPECT_EQ(value(v3, "NOTE"), "abcdefghi");
  // 2.1 folds before existing whitespace, which stays. VERSION comes last here.
  const Card v21 = one("BEGIN:VCARD\r\nNOTE:one\r\n two\r\nVERSION:2.1\r\nEND:VCARD\r\n");
  EXPECT_EQ(v21.version, Version::V21);
  EXPECT_EQ(value(v21, "NOTE"), "one two");
}

TEST(Reader, FoldInsideUtf8SequenceIsJoinedBeforeDecoding) {
  // "é" is C3 A9; the fold splits it.
  const Card card = one("BEGIN:VCARD\nVERSION:4.0\nFN:Ren\xC3\n \xA9\nEND:VCARD\n");
  EXPECT_EQ(value(card, "FN"), "Ren\xC3\xA9");
}

TEST(Reader, GroupsNamesAndParameters) {
  const Card card = one(
      "BEGIN:VCARD\nVERSION:3.0\n"
      "item1.EMAIL;type=INTERNET;type=pref:a@b.c\n"
      "item1.X-ABLabel:_$!<Other>!$_\n"
      "tel;TYPE=work,voice:1\n"
      "ADR;TYPE=\"home,postal\";LABEL=\"1 Main St.; Town: here\":;;1 Main St.;Town;;;\n"
      "END:VCARD\n");
  ASSERT_EQ(card.properties.size(), 5u);
  const CardProperty& email = card.properties[1];
  EXPECT_EQ(email.group, "item1");
  EXPECT_EQ(email.name, "EMAIL");
  EXPECT_EQ(email.types(), (std::vector<std::string>{"INTERNET", "PREF"}));
  EXPECT_EQ(email.prefRank(), 1);
  EXPECT_EQ(card.properties[2].name, "X-ABLABEL");
  EXPECT_EQ(card.properties[3].name, "TEL");
  EXPECT_EQ(card.properties[3].types(), (std::vector<std::string>{"WORK", "VOICE"}));
  const CardProperty& adr = card.properties[4];
  EXPECT_TRUE(adr.hasType("home"));
  EXPECT_TRUE(adr.hasType("POSTAL"));
  EXPECT_EQ(adr.param("LABEL").value_or(""), "1 Main St.; Town: here");
  EXPECT_EQ(utf8(adr.structured().at(2).at(0)), "1 Main St.");
}

TEST(Reader, BareParametersOf21AreClassified) {
  const Card card = one(
      "BEGIN:VCARD\nVERSION:2.1\n"
      "TEL;WORK;FAX;PREF:+1 555\n"
      "PHOTO;JPEG;ENCODING=BASE64:QUJD\n"
      "NOTE;QUOTED-PRINTABLE:a=3Db\n"
      "LOGO;URL:http://x/y.png\n"
      "TEL;X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,=4C=61=62);VOICE:7\n"
      "END:VCARD\n");
  ASSERT_EQ(card.properties.size(), 6u);
  EXPECT_EQ(card.properties[1].types(), (std::vector<std::string>{"WORK", "FAX", "PREF"}));
  EXPECT_EQ(card.properties[2].types(), (std::vector<std::string>{"JPEG"}));
  ASSERT_TRUE(card.properties[2].binary);
  EXPECT_EQ(std::string(card.properties[2].binary->begin(), card.properties[2].binary->end()), "ABC");
  EXPECT_EQ(utf8(card.properties[3].text()), "a=b");
  EXPECT_EQ(card.properties[4].param("VALUE").value_or(""), "URL");
  // The parenthesised Android token is one opaque type; VOICE after it still counts.
  const auto types = card.properties[5].types();
  ASSERT_EQ(types.size(), 2u);
  EXPECT_EQ(types[1], "VOICE");
  EXPECT_EQ(utf8(card.properties[5].text()), "7");
}

TEST(Reader, EscapesDependOnVersion) {
  const Card v3 = one("BEGIN:VCARD\nVERSION:3.0\nNOTE:a\\, b\\; c\\\\d\\ne\\Nf\nEND:VCARD\n");
  EXPECT_EQ(value(v3, "NOTE"), "a, b; c\\d\ne\nf");
  const Card v21 = one("BEGIN:VCARD\nVERSION:2.1\nNOTE:a\\, b\\; c\\\\d\\ne\nEND:VCARD\n");
  EXPECT_EQ(value(v21, "NOTE"), "a\\, b; c\\d\\ne");
  const Card n = one("BEGIN:VCARD\nVERSION:3.0\nN:O\\;Brien;Ann,Marie;;;\nEND:VCARD\n");
  const auto parts = n.find("N")->structured();
  ASSERT_GE(parts.size(), 2u);
  EXPECT_EQ(utf8(parts[0][0]), "O;Brien");
  ASSERT_EQ(parts[1].size(), 2u);
  EXPECT_EQ(utf8(parts[1][1]), "Marie");
}

TEST(Reader, QuotedPrintableSoftBreaksJoinUnindentedLines) {
  const Card card = one(
      "BEGIN:VCARD\r\nVERSION:2.1\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:first line=0D=0Asec=\r\n"
      "ond line=0D=0A=\r\n"
      "third\r\n"
      "TITLE:Boss\r\n"
      "END:VCARD\r\n");
  EXPECT_EQ(value(card, "NOTE"), "first line\r\nsecond line\r\nthird");
  EXPECT_EQ(value(card, "TITLE"), "Boss");
}

TEST(Reader, QuotedPrintableWithCharset) {
  const Card card = one(
      "BEGIN:VCARD\nVERSION:2.1\n"
      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=B8=89;;;\n"
      "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Ren=E9\n"
      "END:VCARD\n");
  EXPECT_EQ(utf8(card.find("N")->structured()[0][0]), "\xE5\xBC\xA0");
  EXPECT_EQ(value(card, "FN"), "Ren\xC3\xA9");
}

TEST(Reader, CharsetsThroughIcu) {
  struct Case {
    const char* charset;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"KOI8-R", "\xE9\xD7\xC1\xCE", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"},            // Иван
      {"Windows-1251", "\xC8\xE2\xE0\xED", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"},      // Иван
      {"Shift_JIS", "\x93\x63\x92\x86", "\xE7\x94\xB0\xE4\xB8\xAD"},                 // 田中
      {"GBK", "\xD5\xC5\xC8\xFD", "\xE5\xBC\xA0\xE4\xB8\x89"},                       // 张三
      {"GB2312", "\xD5\xC5\xC8\xFD", "\xE5\xBC\xA0\xE4\xB8\x89"},                    // 张三
      {"Big5", "\xB1\x69\xA4\x54", "\xE5\xBC\xB5\xE4\xB8\x89"},                      // 張三
      {"ISO-8859-2", "\xA3\xF3\x64\xBC", "\xC5\x81\xC3\xB3\x64\xC5\xBA"},            // Łódź
      {"windows-1252", "Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    const Card card = one("BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=" + std::string(c.charset) + ":" + c.bytes +
                          "\nEND:VCARD\n");
    EXPECT_EQ(value(card, "FN"), c.utf8) << c.charset;
  }
}

TEST(Reader, DefaultCharsetIsUtf8WithWindows1252Fallback) {
  EXPECT_EQ(value(one("BEGIN:VCARD\nVERSION:3.0\nFN:J\xC3\xBCrgen\nEND:VCARD\n"), "FN"), "J\xC3\xBCrgen");
  EXPECT_EQ(value(one("BEGIN:VCARD\nVERSION:2.1\nFN:J\xFCrgen\nEND:VCARD\n"), "FN"), "J\xC3\xBCrgen");
  // An unknown charset name does not lose the text either.
  EXPECT_EQ(value(one("BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=X-NOPE:J\xFCrgen\nEND:VCARD\n"), "FN"),
            "J\xC3\xBCrgen");
}

std::string utf16(std::string_view ascii, bool bigEndian, bool bom) {
  std::string out;
  if (bom) out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    if (bigEndian) out += '\0', out += c;
    else out += c, out += '\0';
  }
  return out;
}

TEST(Reader, Utf16WithAndWithoutBom) {
  const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEND:VCARD\r\n";
  for (bool be : {false, true})
    for (bool bom : {true, false}) {
      const auto cards = parse(utf16(card, be, bom));
      ASSERT_EQ(cards.size(), 1u) << "big endian " << be << " bom " << bom;
      EXPECT_EQ(value(cards[0], "FN"), "Ann");
    }
  // A UTF-8 BOM is skipped.
  EXPECT_EQ(value(one("\xEF\xBB\xBF" "BEGIN:VCARD\nFN:Bo\nEND:VCARD\n"), "FN"), "Bo");
}

TEST(Reader, Base64BlocksOf21AndDataUris) {
  // 2.1: continuation lines without indentation, ended by a blank line.
  const Card v21 = one(
      "BEGIN:VCARD\r\nVERSION:2.1\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
      "/9j/4AAQ\r\nSkZJRgAB\r\n  AQ\r\n\r\nFN:X\r\nEND:VCARD\r\n");
  ASSERT_TRUE(v21.find("PHOTO")->binary);
  const std::vector<std::uint8_t> expected = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46,
                                              0x49, 0x46, 0x00, 0x01, 0x01};
  EXPECT_EQ(*v21.find("PHOTO")->binary, expected);
  EXPECT_EQ(value(v21, "FN"), "X");

  const Card v4 = one("BEGIN:VCARD\nVERSION:4.0\nPHOTO:data:image/png;base64,iVBORw0KGgo=\n"
                      "KEY:data:application/pkix-cert,%30%82\nEND:VCARD\n");
  ASSERT_TRUE(v4.find("PHOTO")->binary);
  EXPECT_EQ(v4.find("PHOTO")->mediaType, "image/png");
  EXPECT_EQ(v4.find("PHOTO")->binary->size(), 8u);
  EXPECT_EQ(*v4.find("KEY")->binary, (std::vector<std::uint8_t>{0x30, 0x82}));
  // A remote photo stays a text value.
  const Card url = one("BEGIN:VCARD\nVERSION:3.0\nPHOTO;VALUE=uri:https://x.example/p.jpg\nEND:VCARD\n");
  EXPECT_FALSE(url.find("PHOTO")->binary);
  EXPECT_EQ(value(url, "PHOTO"), "https://x.example/p.jpg");
}

TEST(Reader, ManyCardsAndJunkBetweenThem) {
  const auto cards = parse(
      "garbage before\nBEGIN:VCARD\nFN:A\nEND:VCARD\n\nnoise: here\n"
      "BEGIN:VCALENDAR\nEND:VCALENDAR\n"
      "begin:vcard\nfn:B\nend:vcard\n");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(value(cards[0], "FN"), "A");
  EXPECT_EQ(value(cards[1], "FN"), "B");
}

TEST(Reader, UnclosedCardEndsAtNextBeginOrEndOfInput) {
  const auto cards = parse("BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\n");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(value(cards[0], "FN"), "A");
  EXPECT_EQ(value(cards[1], "FN"), "B");
}

TEST(Reader, EmptyCardsAndNulsGiveNothing) {
  // A stray BEGIN before a card, and one at the end, hold nothing.
  const auto cards = parse("BEGIN:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\nEND:VCARD\nBEGIN:VCARD\n");
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(value(cards[0], "FN"), "B");
  EXPECT_TRUE(parse("BEGIN:VCARD\r\n").empty());
  EXPECT_EQ(value(one(std::string("BEGIN:VCARD\nFN:Fi\0rst\0\nEND:VCARD\n", 33)), "FN"), "First");
}

TEST(Reader, GarbageLinesInsideACardAreSkipped) {
  const Card card = one(
      "BEGIN:VCARD\nVERSION:3.0\nthis line has no colon\n:no name\n;;;:x\nFN:Kept\n"
      "TEL;TYPE=\"unclosed:123\nX-CUSTOM-THING;X-P=1:kept too\nEND:VCARD\n");
  EXPECT_EQ(value(card, "FN"), "Kept");
  EXPECT_EQ(value(card, "X-CUSTOM-THING"), "kept too");
  // The unbalanced quote is read as plain text rather than dropping the line.
  ASSERT_NE(card.find("TEL"), nullptr);
  EXPECT_EQ(value(card, "TEL"), "123");
}

TEST(Reader, NestedAgent21And30) {
  const Card v21 = one(
      "BEGIN:VCARD\nVERSION:2.1\nFN:Boss\nAGENT:\nBEGIN:VCARD\nVERSION:2.1\nFN:Helper\n"
      "TEL:555\nEND:VCARD\nTITLE:CEO\nEND:VCARD\n");
  EXPECT_EQ(value(v21, "FN"), "Boss");
  EXPECT_EQ(value(v21, "TITLE"), "CEO");
  ASSERT_EQ(v21.find("AGENT")->agent.size(), 1u);
  EXPECT_EQ(value(v21.find("AGENT")->agent[0], "FN"), "Helper");

  const Card v30 = one(
      "BEGIN:VCARD\nVERSION:3.0\nFN:Boss\n"
      "AGENT:BEGIN:VCARD\\nVERSION:3.0\\nFN:Helper\\nTEL:555\\nEND:VCARD\\n\nEND:VCARD\n");
  ASSERT_EQ(v30.find("AGENT")->agent.size(), 1u);
  EXPECT_EQ(value(v30.find("AGENT")->agent[0], "FN"), "Helper");
}

TEST(Reader, UnclosedInlineAgentAsReadpstWritesIt) {
  const auto cards = parse(
      "BEGIN:VCARD\nFN:Doe, Jane\nN:Doe;Jane;;;\nAGENT:BEGIN:VCARD\nFN:Sam\nTEL:555 1\n"
      "ORG:Contoso\nNOTE:hi\nVERSION:3.0\nEND:VCARD\n"
      "BEGIN:VCARD\nFN:Next\nVERSION:3.0\nEND:VCARD\n");
  ASSERT_EQ(cards.size(), 2u);
  const Card& first = cards[0];
  EXPECT_EQ(first.version, Version::V30);
  EXPECT_EQ(value(first, "ORG"), "Contoso");
  EXPECT_EQ(value(first, "NOTE"), "hi");
  const Card& agent = first.find("AGENT")->agent.at(0);
  EXPECT_EQ(value(agent, "FN"), "Sam");
  EXPECT_EQ(value(agent, "TEL"), "555 1");
  EXPECT_EQ(agent.find("ORG"), nullptr);
  EXPECT_EQ(value(cards[1], "FN"), "Next");
}

TEST(Reader, DeepAgentNestingIsBounded) {
  std::string text = "BEGIN:VCARD\nFN:0\n";
  for (int i = 0; i < 5000; ++i) text += "AGENT:\nBEGIN:VCARD\n";
  const auto cards = parse(text);
  EXPECT_FALSE(cards.empty());
}

TEST(Reader, DoubledCarriageReturnsDoNotBreakBlocks) {
  // CR CR LF line ends must not end a 2.1 base64 block or a soft line break early.
  const Card card = one(
      "BEGIN:VCARD\r\r\nVERSION:2.1\r\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\r\n  QUJD\r\r\n  REVG\r\r\n\r\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:a=  \r\r\nb\r\r\nEND:VCARD\r\r\n");
  ASSERT_TRUE(card.find("PHOTO") && card.find("PHOTO")->binary);
  EXPECT_EQ(std::string(card.find("PHOTO")->binary->begin(), card.find("PHOTO")->binary->end()), "ABCDEF");
  EXPECT_EQ(value(card, "NOTE"), "ab");  // whitespace after a soft break's '=' is ignored
}

TEST(Reader, HugeLineWithoutColonIsSkippedInOnePass) {
  // Folded continuation of a line that never gets a colon: must not rescan.
  std::string text = "BEGIN:VCARD\nVERSION:3.0\nFN:A\nNOCOLONHERE";
  for (int i = 0; i < 200000; ++i) text += "\n AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
  text += "\nEND:VCARD\n";
  const Card card = one(text);
  EXPECT_EQ(value(card, "FN"), "A");
  EXPECT_EQ(card.properties.size(), 2u);
}

TEST(Reader, NoCardAtAll) {
  EXPECT_TRUE(parse("").empty());
  EXPECT_TRUE(parse("just text\nFN:x\nEND:VCARD\n").empty());
  EXPECT_TRUE(parse(std::string("\0\0\0\xFF", 4)).empty());
}

}  // namespace
}  // namespace vcard::test

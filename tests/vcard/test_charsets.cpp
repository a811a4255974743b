// Charset names as vCard files write them: the platform's converters (ICU on
// Linux, the code page table on Windows) know the same names and agree.
#include <gtest/gtest.h>

#include "platform/charset.h"

namespace {

using quillonet::platform::CharsetDecoder;

std::u16string decoded(const char* name, std::string_view bytes, bool* valid = nullptr) {
  auto decoder = CharsetDecoder::Open(name);
  if (!decoder) return u"(unknown)";
  std::u16string out;
  const bool ok = decoder->Decode(bytes, out);
  if (valid) *valid = ok;
  return out;
}

TEST(Charsets, AliasesInAnyCaseNameTheSameTable) {
  const char* latin1[] = {"ISO-8859-1", "iso_8859-1", "latin1", "ISO8859-1", "l1"};
  for (const char* name : latin1) EXPECT_EQ(decoded(name, "Caf\xE9"), u"Caf\u00E9") << name;
  const char* windows1252[] = {"windows-1252", "WINDOWS-1252", "cp1252"};
  for (const char* name : windows1252) EXPECT_EQ(decoded(name, "\x80\x93"), u"\u20AC\u201C") << name;
  const char* shiftJis[] = {"Shift_JIS", "SHIFT-JIS", "sjis", "MS_Kanji", "windows-31j", "cp932"};
  for (const char* name : shiftJis) EXPECT_EQ(decoded(name, "\x93\x63\x92\x86"), u"\u7530\u4E2D") << name;
  const char* korean[] = {"EUC-KR", "euc-kr", "KS_C_5601-1987", "cp949"};
  for (const char* name : korean) EXPECT_EQ(decoded(name, "\xC7\xD1"), u"\uD55C") << name;
  const char* cyrillic[] = {"KOI8-R", "koi8r", "ISO-8859-5", "IBM866"};
  const char* ivan[] = {"\xE9\xD7\xC1\xCE", "\xE9\xD7\xC1\xCE", "\xB8\xD2\xD0\xDD", "\x88\xA2\xA0\xAD"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(decoded(cyrillic[i], ivan[i]), u"\u0418\u0432\u0430\u043D") << cyrillic[i];
  EXPECT_EQ(decoded("GB18030", "\xD5\xC5"), u"\u5F20");
  EXPECT_EQ(decoded("ISO-8859-15", "\xA4"), u"\u20AC");
  EXPECT_EQ(decoded("X-NOPE", "abc"), u"(unknown)");
}

TEST(Charsets, Utf16ByItsMarkElseLittleEndianAndOddBytesAreFlagged) {
  EXPECT_EQ(decoded("UTF-16", std::string_view("\xFE\xFF\x00\x41\xD8\x3D\xDE\x00", 8)), u"A\U0001F600");
  EXPECT_EQ(decoded("UTF-16", std::string_view("\xFF\xFE\x41\x00", 4)), u"A");
  EXPECT_EQ(decoded("UTF-16", std::string_view("\x41\x00\xFC\x00", 4)), u"A\u00FC");
  EXPECT_EQ(decoded("UTF-16BE", std::string_view("\x00\x41", 2)), u"A");
  bool valid = true;
  EXPECT_EQ(decoded("UTF-16LE", std::string_view("\x41\x00\x42", 3), &valid), u"A\uFFFD");
  EXPECT_FALSE(valid);
  EXPECT_EQ(decoded("UTF-16LE", std::string_view("\x00\xD8\x41\x00", 4), &valid), u"\uFFFDA");
  EXPECT_FALSE(valid);
}

TEST(Charsets, InvalidBytesAreReplacedAndReported) {
  bool valid = true;
  // A lead byte without its trail, at the end and in the middle.
  const std::u16string text = decoded("Shift_JIS", "\x93\x63\x81", &valid);
  EXPECT_FALSE(valid);
  EXPECT_EQ(text.substr(0, 1), u"\u7530");
  EXPECT_GE(text.size(), 2u);  // nothing dropped silently: a substitute stands for the lone byte
  valid = true;
  EXPECT_EQ(decoded("windows-1251", "\xC8\xE2", &valid), u"\u0418\u0432");
  EXPECT_TRUE(valid);
}

}  // namespace

// ISO-2022-JP text is all 7-bit bytes: taking it for ASCII would keep the
// escape sequences and lose the name.
#include "vcard/text.h"

namespace {

TEST(Charsets, SevenBitStatefulTextIsDecodedNotTakenForAscii) {
#ifdef _WIN32
  // Windows decodes it through code page 50220, which Wine lacks.
  if (decoded("ISO-2022-JP", "\x1B$BEDCf\x1B(B") != u"\u7530\u4E2D")
    GTEST_SKIP() << "this system has no ISO-2022-JP code page";
#endif
  vcard::detail::TextDecoder decoder;
  EXPECT_EQ(decoder.decode("\x1B$BEDCf\x1B(B Taro", "ISO-2022-JP"), u"\u7530\u4E2D Taro");
  EXPECT_EQ(decoder.decode("Taro", "ISO-2022-JP"), u"Taro");
  EXPECT_EQ(decoder.decode("Taro", "ISO-8859-1"), u"Taro");
}

}  // namespace

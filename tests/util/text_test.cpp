#include "util/text.h"

#include <gtest/gtest.h>

namespace quillonet::text {
namespace {

TEST(Text, FormatReplacesEachMarkerOnceAndLeavesTheRest) {
  EXPECT_EQ(Format(u"%1 of %2 cards", {u"3", u"10"}), u"3 of 10 cards");
  // An argument holding a marker is not expanded again; an unknown marker stays.
  EXPECT_EQ(Format(u"%1 and %2 %3", {u"%2", u"b"}), u"%2 and b %3");
  EXPECT_EQ(Format(u"100%", {}), u"100%");
}

TEST(Text, Utf8RoundTripKeepsEveryPlaneAndMarksBadInput) {
  const std::u16string text = u"Zoë \u20AC \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  // A stray continuation byte, an overlong form and a truncated sequence.
  EXPECT_EQ(FromUtf8("a\x80" "b\xC0\xAF" "c\xE2\x82"), u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(Text, SplitKeepsEmptyPartsAndJoinUndoesIt) {
  const auto parts = Split(u"a\\\\b\\", u"\\");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[1], u"");
  EXPECT_EQ(Join(parts, u"\\"), u"a\\\\b\\");
  EXPECT_EQ(Trimmed(u" \t x y \r\n"), u"x y");
  EXPECT_TRUE(EqualsAsciiNoCase(u"A.VCF", u"a.vcf"));
}

}  // namespace
}  // namespace quillonet::text

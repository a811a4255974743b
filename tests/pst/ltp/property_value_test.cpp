// Byte forms of property values and the checks that reject malformed ones.
#include <gtest/gtest.h>

#include "pst/error.h"
#include "pst/ltp/property_value.h"

using pst::ltp::PropertyValue;
using pst::ltp::PropType;
using Bytes = std::vector<std::uint8_t>;

TEST(PropertyValue, FixedTypesAreLittleEndianOfTheirSize) {
  EXPECT_EQ(PropertyValue::integer16(-2).data, (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(PropertyValue::integer32(0x01020304).data, (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(PropertyValue::boolean(true).data, (Bytes{1}));
  EXPECT_EQ(PropertyValue::boolean(false).data, (Bytes{0}));
  EXPECT_EQ(PropertyValue::errorCode(0x8004010F).data, (Bytes{0x0F, 0x01, 0x04, 0x80}));
  EXPECT_EQ(PropertyValue::floating32(1.0f).data, (Bytes{0, 0, 0x80, 0x3F}));
  EXPECT_EQ(PropertyValue::floating64(1.0).data, (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(PropertyValue::floatingTime(2.5).data, (Bytes{0, 0, 0, 0, 0, 0, 0x04, 0x40}));
  EXPECT_EQ(PropertyValue::currency(-1).data, Bytes(8, 0xFF));
  EXPECT_EQ(PropertyValue::integer64(0x0102030405060708).data, (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(PropertyValue::time(0x01D0000000000001).data, (Bytes{1, 0, 0, 0, 0, 0, 0xD0, 0x01}));

  const std::pair<PropertyValue, PropType> typed[] = {
      {PropertyValue::integer16(1), PropType::Integer16},   {PropertyValue::integer32(1), PropType::Integer32},
      {PropertyValue::floating32(1), PropType::Floating32}, {PropertyValue::floating64(1), PropType::Floating64},
      {PropertyValue::currency(1), PropType::Currency},     {PropertyValue::floatingTime(1), PropType::FloatingTime},
      {PropertyValue::errorCode(1), PropType::ErrorCode},   {PropertyValue::boolean(1), PropType::Boolean},
      {PropertyValue::integer64(1), PropType::Integer64},   {PropertyValue::time(1), PropType::Time},
  };
  for (const auto& [value, type] : typed) {
    EXPECT_EQ(value.type, type);
    EXPECT_EQ(value.data.size(), pst::ltp::fixedSize(type));
    EXPECT_NO_THROW(value.validate());
  }
}

TEST(PropertyValue, VariableTypesHoldTheirBytesWithoutTerminator) {
  EXPECT_EQ(PropertyValue::string(u"A\u00e9").data, (Bytes{'A', 0, 0xE9, 0}));
  EXPECT_EQ(PropertyValue::string8("ab").data, (Bytes{'a', 'b'}));
  const Bytes bin{0, 1, 2};
  EXPECT_EQ(PropertyValue::binary(bin).data, bin);
  std::array<std::uint8_t, 16> g{};
  g[0] = 0xAA;
  g[15] = 0x55;
  EXPECT_EQ(PropertyValue::guid(g).data, Bytes(g.begin(), g.end()));
  EXPECT_EQ(PropertyValue::guid(g).type, PropType::Guid);
}

TEST(PropertyValue, Utf8BecomesUtf16WithSurrogatesAndBadInputIsRejected) {
  // "é€𝄞" : 2-, 3- and 4-byte sequences.
  const auto v = PropertyValue::stringFromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
  EXPECT_EQ(v.data, (Bytes{0xE9, 0x00, 0xAC, 0x20, 0x34, 0xD8, 0x1E, 0xDD}));
  EXPECT_EQ(v, PropertyValue::string(u"\u00e9\u20ac\U0001D11E"));
  EXPECT_THROW(PropertyValue::stringFromUtf8("a\xC3"), pst::Error);          // truncated
  EXPECT_THROW(PropertyValue::stringFromUtf8("\xC0\x80"), pst::Error);       // overlong
  EXPECT_THROW(PropertyValue::stringFromUtf8("\xED\xA0\x80"), pst::Error);   // surrogate
  EXPECT_THROW(PropertyValue::stringFromUtf8("\xFF"), pst::Error);
}

TEST(PropertyValue, FixedMultiValuesArePlainArrays) {
  const std::int16_t i16[] = {1, -1};
  EXPECT_EQ(PropertyValue::multipleInteger16(i16).data, (Bytes{1, 0, 0xFF, 0xFF}));
  const std::int32_t i32[] = {1, 0x10203040};
  EXPECT_EQ(PropertyValue::multipleInteger32(i32).data, (Bytes{1, 0, 0, 0, 0x40, 0x30, 0x20, 0x10}));
  const std::int64_t i64[] = {2};
  EXPECT_EQ(PropertyValue::multipleInteger64(i64).data, (Bytes{2, 0, 0, 0, 0, 0, 0, 0}));
  const std::uint64_t times[] = {1, 2};
  const auto mt = PropertyValue::multipleTime(times);
  EXPECT_EQ(mt.type, PropType::MultipleTime);
  EXPECT_EQ(mt.data.size(), 16u);
  const std::array<std::uint8_t, 16> guids[] = {{1}, {2}};
  const auto mg = PropertyValue::multipleGuid(guids);
  ASSERT_EQ(mg.data.size(), 32u);
  EXPECT_EQ(mg.data[16], 2);
  ASSERT_EQ(mg.elements().size(), 2u);
  EXPECT_EQ(mg.elements()[1][0], 2);
}

TEST(PropertyValue, VariableMultiValuesCarryCountAndOffsets) {
  const std::u16string strings[] = {u"ab", u"", u"c"};
  const auto ms = PropertyValue::multipleString(strings);
  // ulCount 3, offsets 16, 20, 20, then "ab" "" "c".
  EXPECT_EQ(ms.data, (Bytes{3, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0, 20, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0}));
  const auto parts = ms.elements();
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].size(), 4u);
  EXPECT_EQ(parts[1].size(), 0u);
  EXPECT_EQ(parts[2].size(), 2u);

  const std::vector<std::uint8_t> bins[] = {{1, 2, 3}, {4}};
  const auto mb = PropertyValue::multipleBinary(bins);
  EXPECT_EQ(mb.data, (Bytes{2, 0, 0, 0, 12, 0, 0, 0, 15, 0, 0, 0, 1, 2, 3, 4}));
  const std::string s8[] = {"x"};
  EXPECT_EQ(PropertyValue::multipleString8(s8).data, (Bytes{1, 0, 0, 0, 8, 0, 0, 0, 'x'}));
  EXPECT_EQ(PropertyValue::multipleString({}).data, (Bytes{0, 0, 0, 0}));
}

TEST(PropertyValue, MalformedBytesAreRejected) {
  using pst::ltp::PropType;
  EXPECT_THROW(PropertyValue::fromBytes(PropType::Integer32, {1, 2}), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::Boolean, {1, 0}), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::Guid, Bytes(15)), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::String, {'a'}), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::MultipleInteger32, {1, 2, 3}), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(static_cast<PropType>(0x000D), {}), pst::Error);
  // Count larger than the table, offsets going backwards or past the end.
  EXPECT_THROW(PropertyValue::fromBytes(PropType::MultipleBinary, {5, 0, 0, 0, 8, 0, 0, 0}), pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::MultipleBinary,
                                        {2, 0, 0, 0, 13, 0, 0, 0, 12, 0, 0, 0, 1, 2}),
               pst::Error);
  EXPECT_THROW(PropertyValue::fromBytes(PropType::MultipleBinary, {1, 0, 0, 0, 9, 0, 0, 0}), pst::Error);
  EXPECT_NO_THROW(PropertyValue::fromBytes(PropType::MultipleBinary, {1, 0, 0, 0, 8, 0, 0, 0, 7}));
  EXPECT_NO_THROW(PropertyValue::fromBytes(PropType::Binary, {}));
}

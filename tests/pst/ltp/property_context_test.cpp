// Property contexts: where each value goes (inline, heap, subnode) and that it reads back.
#include <gtest/gtest.h>

#include "ltp_reader.h"
#include "pst/error.h"
#include "pst/ltp/property_context.h"

using namespace pst::ltp;
using ltptest::Bytes;

TEST(PropertyContext, EveryTypeReadsBackWithTheRightPlacement) {
  PropertyContextBuilder pc;
  const std::array<std::uint8_t, 16> guid{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::u16string strings[] = {u"one", u"two"};
  const std::vector<std::uint8_t> bins[] = {{1}, {2, 3}};
  const std::int32_t ints[] = {7, 8, 9};
  std::map<PropId, PropertyValue> values = {
      {0x0001, PropertyValue::integer16(-3)},
      {0x0002, PropertyValue::integer32(0x12345678)},
      {0x0003, PropertyValue::boolean(true)},
      {0x0004, PropertyValue::floating32(2.0f)},
      {0x0005, PropertyValue::errorCode(0x80040102)},
      {0x0006, PropertyValue::floating64(3.5)},
      {0x0007, PropertyValue::currency(12345)},
      {0x0008, PropertyValue::floatingTime(1.25)},
      {0x0009, PropertyValue::integer64(-5)},
      {0x000A, PropertyValue::time(0x01D9000000000000)},
      {0x000B, PropertyValue::string(u"Ann Example")},
      {0x000C, PropertyValue::string8("ansi")},
      {0x000D, PropertyValue::binary(Bytes{0, 1, 2})},
      {0x000E, PropertyValue::guid(guid)},
      {0x000F, PropertyValue::multipleString(strings)},
      {0x0010, PropertyValue::multipleBinary(bins)},
      {0x0011, PropertyValue::multipleInteger32(ints)},
      {0x0012, PropertyValue::string(u"")},
  };
  for (const auto& [id, v] : values) pc.set(id, v);
  const auto node = pc.build();
  EXPECT_EQ(node.blocks.size(), 1u);
  EXPECT_TRUE(node.subnodes.empty());
  const auto read = ltptest::readPc(node);
  ASSERT_EQ(read.size(), values.size());
  for (const auto& [id, v] : values) {
    const auto& e = read.at(id);
    EXPECT_EQ(e.type, static_cast<std::uint16_t>(v.type)) << id;
    EXPECT_EQ(e.value, v.data) << id;
    const std::size_t fixed = fixedSize(v.type);
    if (fixed != 0 && fixed <= 4) {
      EXPECT_EQ(e.value, v.data) << "inline " << id;
    } else if (v.data.empty()) {
      EXPECT_EQ(e.raw, 0u) << "empty value has HNID 0";
    } else {
      EXPECT_EQ(e.raw & 0x1F, 0u) << "heap HID for " << id;
    }
  }
  EXPECT_EQ(read.at(0x0003).raw, 1u);
  EXPECT_EQ(read.at(0x0001).raw, 0xFFFDu);
}

TEST(PropertyContext, LargeValuesGoToSubnodesThatAvoidTheCallersNids) {
  PropertyContextBuilder pc;
  Bytes atLimit(3580, 0xAB), over(3581, 0xCD), photo(5 * 1024 * 1024 + 17);
  for (std::size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<std::uint8_t>(i * 13);
  pc.set(0x1000, PropertyValue::binary(atLimit));
  pc.set(0x1001, PropertyValue::binary(over));
  pc.set(0x1002, PropertyValue::binary(photo));
  std::map<pst::ndb::Nid, pst::ndb::NodeData> extra;
  extra[0x3F] = pst::ndb::NodeData{{Bytes{1}}, {}};  // the first NID_TYPE_LTP index is taken
  extra[0x692] = pst::ndb::NodeData{{Bytes{2}}, {}};
  const auto node = pc.build(extra);
  const auto read = ltptest::readPc(node);
  EXPECT_EQ((read.at(0x1000).raw & 0x1F), 0u);
  EXPECT_EQ(read.at(0x1000).value, atLimit);
  for (PropId id : {0x1001, 0x1002}) {
    const std::uint32_t nid = read.at(id).raw;
    EXPECT_EQ(nid & 0x1F, 0x1Fu) << id;
    EXPECT_FALSE(extra.contains(nid));
  }
  EXPECT_EQ(read.at(0x1001).value, over);
  EXPECT_EQ(read.at(0x1002).value, photo);  // reader insists on 8176-byte non-last blocks
  EXPECT_EQ(node.subnodes.at(read.at(0x1002).raw).blocks.size(), (photo.size() + 8175) / 8176);
  EXPECT_EQ(node.subnodes.at(0x3F).blocks[0], Bytes{1});
  EXPECT_EQ(node.subnodes.at(0x692).blocks[0], Bytes{2});
  EXPECT_EQ(node.subnodes.size(), 4u);
}

TEST(PropertyContext, ManyPropertiesNeedSeveralPagesAndBthLevels) {
  PropertyContextBuilder pc;
  // 600 strings of 100 bytes: more than one page of values and more than
  // 447 records for one leaf.
  for (PropId id = 1; id <= 600; ++id) pc.set(id, PropertyValue::string(std::u16string(50, u'a' + id % 26)));
  const auto node = pc.build();
  EXPECT_GT(node.blocks.size(), 5u);
  const auto heap = ltptest::readHeap(node);
  EXPECT_EQ(ltptest::readBth(heap, heap.userRoot).levels, 1);
  const auto read = ltptest::readPc(node);
  ASSERT_EQ(read.size(), 600u);
  EXPECT_EQ(read.at(27).value, PropertyValue::string(std::u16string(50, u'b')).data);
}

TEST(PropertyContext, SetReplacesRemoveDeletesAndBadValuesChangeNothing) {
  PropertyContextBuilder pc;
  pc.set(0x3001, PropertyValue::string(u"old"));
  pc.set(0x3001, PropertyValue::integer32(5));
  ASSERT_NE(pc.find(0x3001), nullptr);
  EXPECT_EQ(pc.find(0x3001)->type, PropType::Integer32);
  EXPECT_THROW(pc.set(0x3001, PropertyValue{PropType::Integer32, {1}}), pst::Error);
  EXPECT_EQ(*pc.find(0x3001), PropertyValue::integer32(5));
  pc.remove(0x3001);
  EXPECT_EQ(pc.find(0x3001), nullptr);
  const auto read = ltptest::readPc(pc.build());
  EXPECT_TRUE(read.empty());
}

TEST(PropertyContext, SetAllKeepsTheLastValueOfAnIdAndChecksAllFirst) {
  PropertyContextBuilder pc;
  pc.setAll({{0x8003, PropertyValue::integer32(1)},
             {0x3001, PropertyValue::string(u"first")},
             {0x8001, PropertyValue::boolean(true)},
             {0x3001, PropertyValue::string(u"second")},
             {0x8003, PropertyValue::integer32(3)}});
  ASSERT_EQ(pc.properties().size(), 3u);
  EXPECT_EQ(pc.properties()[0].first, 0x3001);
  EXPECT_EQ(pc.properties()[1].first, 0x8001);
  EXPECT_EQ(pc.properties()[2].first, 0x8003);
  EXPECT_EQ(*pc.find(0x3001), PropertyValue::string(u"second"));
  EXPECT_EQ(*pc.find(0x8003), PropertyValue::integer32(3));
  // On a builder that holds values already, as set() one by one.
  pc.setAll({{0x0E07, PropertyValue::integer32(1)}, {0x8001, PropertyValue::boolean(false)}});
  EXPECT_EQ(pc.properties().size(), 4u);
  EXPECT_EQ(*pc.find(0x8001), PropertyValue::boolean(false));
  // A bad value anywhere in the batch changes nothing.
  EXPECT_THROW(pc.setAll({{0x3002, PropertyValue::integer32(2)}, {0x3003, PropertyValue{PropType::Integer32, {1}}}}),
               pst::Error);
  EXPECT_EQ(pc.find(0x3002), nullptr);
  PropertyContextBuilder fresh;
  EXPECT_THROW(fresh.setAll({{0x3002, PropertyValue::integer32(2)}, {0x3003, PropertyValue{PropType::String, {1}}}}),
               pst::Error);
  EXPECT_TRUE(fresh.properties().empty());
  EXPECT_EQ(ltptest::readPc(pc.build()).size(), 4u);
}

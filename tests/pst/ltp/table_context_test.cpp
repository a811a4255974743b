// Table contexts: column layout, template layouts, rows in the heap and in a
// subnode, row index levels, replacing and removing rows.
#include <gtest/gtest.h>

#include "ltp_reader.h"
#include "pst/error.h"
#include "pst/ltp/table_context.h"
#include "pst/ltp/table_templates.h"

using namespace pst::ltp;
using ltptest::Bytes;

namespace {

constexpr PropTag kDisplayName = 0x3001001F;
constexpr PropTag kContentCount = 0x36020003;
constexpr PropTag kSubfolders = 0x360A000B;
constexpr PropTag kChangenum = 0x0E330014;
constexpr PropTag kMessageClass = 0x001A001F;
constexpr PropTag kSubject = 0x0037001F;
constexpr PropTag kMessageSize = 0x0E080003;
constexpr PropTag kMessageToMe = 0x0057000B;
constexpr PropTag kModified = 0x30080040;

std::map<PropTag, PropertyValue> contactRow(std::uint32_t i) {
  return {
      {kMessageClass, PropertyValue::string(u"IPM.Contact")},
      {kSubject, PropertyValue::stringFromUtf8("Contact number " + std::to_string(i))},
      {kMessageSize, PropertyValue::integer32(static_cast<std::int32_t>(700 + i % 100))},
      {kMessageToMe, PropertyValue::boolean(i % 2 == 0)},
      {kModified, PropertyValue::time(0x01D9000000000000 + i)},
  };
}

}  // namespace

TEST(TableContext, LayoutRulesPlaceRowIdRowVerThenCellsBySize) {
  TableContextBuilder tc({kSubfolders, kDisplayName, kChangenum, 0x00010002, kContentCount});
  const auto& cols = tc.columns();
  ASSERT_EQ(cols.size(), 7u);
  std::map<PropTag, ColumnDesc> byTag;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    byTag[cols[i].tag] = cols[i];
    if (i > 0) {
      EXPECT_LT(cols[i - 1].tag, cols[i].tag);
    }
  }
  EXPECT_EQ(byTag[kPidTagLtpRowId].ibData, 0);
  EXPECT_EQ(byTag[kPidTagLtpRowId].iBit, 0);
  EXPECT_EQ(byTag[kPidTagLtpRowVer].ibData, 4);
  EXPECT_EQ(byTag[kPidTagLtpRowVer].iBit, 1);
  EXPECT_EQ(byTag[kChangenum].ibData, 8);  // 8-byte cells first
  EXPECT_EQ(byTag[kChangenum].cbData, 8);
  EXPECT_EQ(byTag[kDisplayName].ibData, 16);  // then 4-byte ones (the string is an HNID)
  EXPECT_EQ(byTag[kContentCount].ibData, 20);
  EXPECT_EQ(byTag[0x00010002].ibData, 24);  // Integer16
  EXPECT_EQ(byTag[kSubfolders].ibData, 26);  // Boolean
  EXPECT_EQ(tc.rowSize(), 27u + 1);

  const auto t = ltptest::readTc(tc.build());
  EXPECT_EQ(t.rgib[0], 24);
  EXPECT_EQ(t.rgib[1], 26);
  EXPECT_EQ(t.rgib[2], 27);
  EXPECT_EQ(t.rgib[3], 28);
  EXPECT_EQ(t.hnidRows, 0u);
  EXPECT_TRUE(t.rows.empty());
}

TEST(TableContext, TemplatesReproduceOutlooksLayouts) {
  struct Expect {
    std::vector<ColumnDesc> cols;
    std::size_t count;
    std::uint16_t rgib[4];
  };
  const Expect expected[] = {
      {templates::hierarchyTable(), 13, {52, 52, 53, 55}},
      {templates::contentsTable(), 28, {120, 120, 122, 126}},
      {templates::faiContentsTable(), 15, {56, 56, 57, 59}},
      {templates::searchContentsTable(), 19, {72, 72, 75, 78}},
      {templates::attachmentTable(), 6, {24, 24, 24, 25}},
      {templates::recipientTable(), 14, {48, 48, 50, 52}},
  };
  for (const auto& e : expected) {
    const auto tc = TableContextBuilder::withLayout(e.cols);
    const auto t = ltptest::readTc(tc.build());
    ASSERT_EQ(t.columns.size(), e.count);
    for (std::size_t i = 0; i < e.cols.size(); ++i) {
      EXPECT_EQ(t.columns[i].tag, e.cols[i].tag);  // templates are listed sorted by tag
      EXPECT_EQ(t.columns[i].ibData, e.cols[i].ibData);
      EXPECT_EQ(t.columns[i].cbData, e.cols[i].cbData);
      EXPECT_EQ(t.columns[i].iBit, e.cols[i].iBit);
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t.rgib[i], e.rgib[i]) << e.count << " columns, rgib " << i;
  }
}

TEST(TableContext, EmptyContentsTemplateMatchesOutlooksHeapBytes) {
  // TCINFO of Outlook's empty contents table template (node 0x60E of a new store).
  const auto node = TableContextBuilder::withLayout(templates::contentsTable()).build();
  ASSERT_EQ(node.blocks.size(), 1u);
  const auto heap = ltptest::readHeap(node);
  const Bytes info = heap.get(heap.userRoot);
  const Bytes start{0x7c, 0x1c, 0x78, 0x00, 0x78, 0x00, 0x7a, 0x00, 0x7e, 0x00, 0x20, 0x00,
                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00,
                    0x17, 0x00, 0x14, 0x00, 0x04, 0x05, 0x1f, 0x00, 0x1a, 0x00, 0x0c, 0x00};
  EXPECT_EQ(Bytes(info.begin(), info.begin() + start.size()), start);
  EXPECT_EQ(heap.get(0x20), (Bytes{0xB5, 4, 4, 0, 0, 0, 0, 0}));
  EXPECT_EQ(node.blocks[0].size(), 276u);  // same length as Outlook's block
}

TEST(TableContext, BadLayoutsAreRejected) {
  auto cols = templates::hierarchyTable();
  cols[4].ibData = 12;  // DisplayName over ContentCount
  EXPECT_THROW(TableContextBuilder::withLayout(cols), pst::Error);
  cols = templates::hierarchyTable();
  cols[0].iBit = 7;  // iBit used twice
  EXPECT_THROW(TableContextBuilder::withLayout(cols), pst::Error);
  cols = templates::hierarchyTable();
  cols[1].cbData = 4;  // Integer64 in 4 bytes
  EXPECT_THROW(TableContextBuilder::withLayout(cols), pst::Error);
  cols = templates::hierarchyTable();
  cols.pop_back();  // no RowVer
  EXPECT_THROW(TableContextBuilder::withLayout(cols), pst::Error);
  EXPECT_THROW(TableContextBuilder({kDisplayName, kDisplayName}), pst::Error);
  EXPECT_THROW(TableContextBuilder({0x0001000D}), pst::Error);  // PtypObject cannot be a column
}

TEST(TableContext, OneRowInTheHeapWithCellsAndCebMsbFirst) {
  auto tc = TableContextBuilder::withLayout(templates::hierarchyTable());
  tc.setRow(0x8022, {{kDisplayName, PropertyValue::string(u"Contacts")},
                     {kContentCount, PropertyValue::integer32(3)},
                     {kSubfolders, PropertyValue::boolean(true)},
                     {0x12340003, PropertyValue::integer32(1)}});  // not a column: ignored
  const auto node = tc.build();
  EXPECT_TRUE(node.subnodes.empty());
  const auto t = ltptest::readTc(node);
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.rowIds[0], 0x8022u);
  EXPECT_EQ(t.hnidRows & 0x1F, 0u);
  const auto& row = t.rows[0];
  EXPECT_EQ(row.size(), 5u);
  EXPECT_EQ(row.at(kDisplayName), PropertyValue::string(u"Contacts").data);
  EXPECT_EQ(row.at(kContentCount), (Bytes{3, 0, 0, 0}));
  EXPECT_EQ(row.at(kSubfolders), Bytes{1});
  EXPECT_EQ(row.at(kPidTagLtpRowId), (Bytes{0x22, 0x80, 0, 0}));
  EXPECT_TRUE(row.contains(kPidTagLtpRowVer));
  // iBits 0,1,2,3,5 set: CEB bytes 0b11110100, 0.
  EXPECT_EQ(t.rawRows[0][53], 0xF4);
  EXPECT_EQ(t.rawRows[0][54], 0x00);
}

TEST(TableContext, ValuesOfTheWrongTypeChangeNothing) {
  auto tc = TableContextBuilder::withLayout(templates::hierarchyTable());
  tc.setRow(1, {{kContentCount, PropertyValue::integer32(1)}});
  EXPECT_THROW(tc.setRow(1, {{kContentCount, PropertyValue::string(u"x")}}), pst::Error);
  EXPECT_THROW(tc.setRow(2, {{kContentCount, PropertyValue{PropType::Integer32, {1}}}}), pst::Error);
  EXPECT_EQ(tc.rowCount(), 1u);
  const auto t = ltptest::readTc(tc.build());
  EXPECT_EQ(t.rows[0].at(kContentCount), (Bytes{1, 0, 0, 0}));
}

TEST(TableContext, ReplaceAndRemoveKeepIndexAndMatrixInStep) {
  TableContextBuilder tc({kDisplayName, kContentCount});
  for (std::uint32_t id : {50u, 10u, 30u, 20u, 40u}) {
    tc.setRow(id, {{kDisplayName, PropertyValue::stringFromUtf8("row " + std::to_string(id))}});
  }
  tc.setRow(30, {{kDisplayName, PropertyValue::string(u"replaced")}, {kContentCount, PropertyValue::integer32(9)}});
  EXPECT_TRUE(tc.hasRow(10));
  EXPECT_TRUE(tc.removeRow(10));
  EXPECT_FALSE(tc.removeRow(10));
  EXPECT_FALSE(tc.hasRow(10));
  EXPECT_TRUE(tc.hasRow(50));
  EXPECT_EQ(tc.rowCount(), 4u);
  const auto copy = tc;  // copies do not share later changes
  EXPECT_TRUE(tc.removeRow(50));
  const auto t = ltptest::readTc(tc.build());
  EXPECT_EQ(t.rowIds, (std::vector<std::uint32_t>{20, 30, 40}));
  EXPECT_EQ(t.rows[1].at(kDisplayName), PropertyValue::string(u"replaced").data);
  EXPECT_EQ(t.rows[1].at(kContentCount), (Bytes{9, 0, 0, 0}));
  EXPECT_EQ(t.rows[2].at(kDisplayName), PropertyValue::string(u"row 40").data);
  EXPECT_FALSE(t.rows[0].contains(kContentCount));
  EXPECT_EQ(ltptest::readTc(copy.build()).rowIds, (std::vector<std::uint32_t>{20, 30, 40, 50}));
}

TEST(TableContext, LargeTableUsesSubnodeMatrixAndMultiLevelIndex) {
  auto tc = TableContextBuilder::withLayout(templates::contentsTable());
  constexpr std::uint32_t kRows = 70000;
  for (std::uint32_t i = 0; i < kRows; ++i) tc.setRow((i + 1) << 5 | 4, contactRow(i));
  const auto node = tc.build();
  const auto t = ltptest::readTc(node);  // checks whole rows per 8176-byte block
  ASSERT_EQ(t.rows.size(), kRows);
  EXPECT_EQ(t.hnidRows & 0x1F, 0x1Fu);
  EXPECT_EQ(t.indexLevels, 1);
  const auto& matrix = node.subnodes.at(t.hnidRows).blocks;
  EXPECT_EQ(matrix.size(), (kRows + 63) / 64);  // 64 rows of 126 bytes per block
  EXPECT_GT(node.blocks.size(), 137u);           // heap pages past the second bitmap page
  for (std::uint32_t i : {0u, 1u, 63u, 64u, 12345u, kRows - 1}) {
    const auto& row = t.rows[i];
    EXPECT_EQ(t.rowIds[i], (i + 1) << 5 | 4);
    for (const auto& [tag, value] : contactRow(i)) EXPECT_EQ(row.at(tag), value.data) << i << " " << tag;
  }
}

TEST(TableContext, CellsOver3580BytesGoToSubnodes) {
  TableContextBuilder tc({0x00710102});
  Bytes big(5000, 0x5A);
  tc.setRow(7, {{0x00710102, PropertyValue::binary(big)}});
  tc.setRow(8, {{0x00710102, PropertyValue::binary(Bytes{})}});
  const auto node = tc.build();
  const auto t = ltptest::readTc(node);
  EXPECT_EQ(t.rows[0].at(0x00710102), big);
  EXPECT_TRUE(t.rows[1].at(0x00710102).empty());
  EXPECT_EQ(node.subnodes.size(), 1u);
}

TEST(TableContext, AppendingRowsLeavesEarlierBlocksUnchanged) {
  auto tc = TableContextBuilder::withLayout(templates::contentsTable());
  for (std::uint32_t i = 0; i < 5000; ++i) tc.setRow((i + 1) << 5 | 4, contactRow(i));
  const auto before = tc.build();
  for (std::uint32_t i = 5000; i < 10000; ++i) tc.setRow((i + 1) << 5 | 4, contactRow(i));
  const auto after = tc.build();
  ASSERT_EQ(ltptest::readTc(after).rows.size(), 10000u);
  // Whole row-matrix blocks and the heap pages holding only earlier cells
  // come out byte for byte as before, so a writer can keep them.
  const auto& m0 = before.subnodes.begin()->second.blocks;
  const auto& m1 = after.subnodes.begin()->second.blocks;
  for (std::size_t b = 0; b + 1 < m0.size(); ++b) EXPECT_EQ(m0[b], m1[b]) << "matrix block " << b;
  std::size_t samePages = 0;
  for (std::size_t p = 1; p < before.blocks.size() && p < after.blocks.size(); ++p) {
    if (p % 128 != 8 && before.blocks[p] == after.blocks[p]) ++samePages;
  }
  EXPECT_GT(samePages, before.blocks.size() * 3 / 4);
}

TEST(TableContext, ReplacedCellsLeaveNoGarbageInTheHeap) {
  TableContextBuilder tc({kSubject});
  const auto fresh = [&] {
    TableContextBuilder t({kSubject});
    for (std::uint32_t id = 1; id <= 300; ++id) t.setRow(id, {{kSubject, PropertyValue::string(u"final value")}});
    return t.build();
  }();
  for (int round = 0; round < 20; ++round) {
    for (std::uint32_t id = 1; id <= 300; ++id) {
      tc.setRow(id, {{kSubject, PropertyValue::string(std::u16string(100 + round, u'x'))}});
    }
  }
  for (std::uint32_t id = 1; id <= 300; ++id) tc.setRow(id, {{kSubject, PropertyValue::string(u"final value")}});
  tc.removeRow(77);
  tc.setRow(77, {{kSubject, PropertyValue::string(u"final value")}});
  const auto node = tc.build();
  const auto t = ltptest::readTc(node);
  ASSERT_EQ(t.rows.size(), 300u);
  for (const auto& row : t.rows) EXPECT_EQ(row.at(kSubject), PropertyValue::string(u"final value").data);
  std::size_t bytes = 0, freshBytes = 0;
  for (const auto& b : node.blocks) bytes += b.size();
  for (const auto& b : fresh.blocks) freshBytes += b.size();
  EXPECT_EQ(bytes, freshBytes);
}

// A writer keeps what it stored of each build; the empty blocks of later
// builds stand for those, and the table read back through them holds every
// row, its row index spread over leaves written at different times.
TEST(TableContext, DroppedBlocksComeOutEmptyAndTheStoredTableReadsWhole) {
  auto tc = TableContextBuilder::withLayout(templates::contentsTable());
  pst::ndb::NodeData stored;
  auto keep = [&stored](pst::ndb::NodeData next) {
    std::size_t empty = 0;
    auto fill = [&empty](std::vector<Bytes>& blocks, const std::vector<Bytes>& old) {
      for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (!blocks[i].empty()) continue;
        ++empty;
        EXPECT_LT(i + 1, blocks.size()) << "the last block is never left out";
        if (i < old.size()) blocks[i] = old[i];
      }
    };
    fill(next.blocks, stored.blocks);
    for (auto& [nid, sub] : next.subnodes) {
      auto old = stored.subnodes.find(nid);
      fill(sub.blocks, old == stored.subnodes.end() ? std::vector<Bytes>{} : old->second.blocks);
    }
    stored = std::move(next);
    return empty;
  };
  std::uint32_t rows = 0;
  std::size_t empty = 0;
  for (int batch = 0; batch < 6; ++batch) {
    for (int i = 0; i < 3000; ++i, ++rows) tc.setRow((rows + 1) << 5 | 4, contactRow(rows));
    empty = keep(tc.build());
    tc.dropWrittenBlocks();
    const auto t = ltptest::readTc(stored);
    ASSERT_EQ(t.rows.size(), rows);
    for (std::uint32_t r : {0u, rows / 2, rows - 1}) {
      EXPECT_EQ(t.rowIds[r], (r + 1) << 5 | 4);
      for (const auto& [tag, value] : contactRow(r)) EXPECT_EQ(t.rows[r].at(tag), value.data) << r;
    }
  }
  std::size_t blocks = stored.blocks.size();
  for (const auto& [nid, sub] : stored.subnodes) blocks += sub.blocks.size();
  EXPECT_GT(empty, blocks * 3 / 4);  // most of the table is no longer in memory

  // From now on only new rows with higher RowIds; a refused one changes nothing.
  EXPECT_THROW(tc.setRow(1 << 5 | 4, contactRow(0)), pst::Error);
  EXPECT_THROW(tc.setRow(2, contactRow(0)), pst::Error);
  EXPECT_THROW(tc.removeRow(rows << 5 | 4), pst::Error);
  tc.setRow((rows + 1) << 5 | 4, contactRow(rows));
  keep(tc.build());
  EXPECT_EQ(ltptest::readTc(stored).rows.size(), rows + 1);
}

TEST(TableContext, BlocksAreDroppedOnlyAsTheLastBuildHadThem) {
  TableContextBuilder tc({kSubject});
  EXPECT_THROW(tc.dropWrittenBlocks(), pst::Error);  // never built
  tc.setRow(1, {{kSubject, PropertyValue::string(u"first")}});
  (void)tc.build();
  tc.setRow(1, {{kSubject, PropertyValue::string(u"changed in place")}});
  EXPECT_THROW(tc.dropWrittenBlocks(), pst::Error);
  (void)tc.build();
  EXPECT_NO_THROW(tc.dropWrittenBlocks());
}

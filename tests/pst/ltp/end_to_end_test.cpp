// Property and table contexts written through the node database into a real
// PST file, then read back by the strict checker (heaps, BTHs, tables).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "pst/ltp/property_context.h"
#include "pst/ltp/table_context.h"
#include "pst/ltp/table_templates.h"
#include "pst/ndb/node_database.h"
#include "tests/support/pst_checks.h"
#include "tests/support/temp_dir.h"

using namespace pst::ltp;
namespace ndb = pst::ndb;

namespace {

using quillonet::test_support::TempDir;

std::map<PropTag, PropertyValue> contactRow(std::uint32_t i) {
  return {
      {0x001A001F, PropertyValue::string(u"IPM.Contact")},
      {0x0037001F, PropertyValue::stringFromUtf8("Contact " + std::to_string(i))},
      {0x0E080003, PropertyValue::integer32(static_cast<std::int32_t>(i))},
      {0x0057000B, PropertyValue::boolean(true)},
      {0x30080040, PropertyValue::time(0x01D9000000000000 + i)},
  };
}

}  // namespace

TEST(EndToEnd, ContextsPassTheStrictChecker) {
  TempDir dir;
  const auto path = dir / "ltp.pst";
  auto db = ndb::NodeDatabase::create(path);

  PropertyContextBuilder pc;
  const std::u16string names[] = {u"Ann", u"B\u00e9a"};
  const std::int32_t ints[] = {1, 2, 3};
  pc.set(0x3001, PropertyValue::string(u"Ann Example"));
  pc.set(0x0E08, PropertyValue::integer32(1234));
  pc.set(0x0E1B, PropertyValue::boolean(true));
  pc.set(0x3007, PropertyValue::time(0x01D9000000000000));
  pc.set(0x0FF9, PropertyValue::binary(std::vector<std::uint8_t>(16, 7)));
  pc.set(0x8001, PropertyValue::multipleString(names));
  pc.set(0x8002, PropertyValue::multipleInteger32(ints));
  pc.set(0x8003, PropertyValue::binary(std::vector<std::uint8_t>(100000, 0x42)));  // subnode + XBLOCK
  pc.set(0x1000, PropertyValue::string(std::u16string(2500, u'x')));              // subnode, one block
  const ndb::Nid message = ndb::makeNid(ndb::NID_TYPE_NORMAL_MESSAGE, 0x10000);
  db->putNode(message, 0, pc.build());

  const ndb::Nid emptyTable = ndb::makeNid(ndb::NID_TYPE_CONTENTS_TABLE, 0x400);
  db->putNode(emptyTable, 0, TableContextBuilder::withLayout(templates::contentsTable()).build());

  auto hierarchy = TableContextBuilder::withLayout(templates::hierarchyTable());
  hierarchy.setRow(0x8062, {{0x3001001F, PropertyValue::string(u"Contacts")},
                            {0x3613001F, PropertyValue::string(u"IPF.Contact")},
                            {0x36020003, PropertyValue::integer32(70000)},
                            {0x360A000B, PropertyValue::boolean(false)}});
  db->putNode(ndb::makeNid(ndb::NID_TYPE_HIERARCHY_TABLE, 0x401), 0, hierarchy.build());

  auto contents = TableContextBuilder::withLayout(templates::contentsTable());
  for (std::uint32_t i = 0; i < 70000; ++i) contents.setRow((0x10001 + i) << 5 | 4, contactRow(i));
  db->putNode(ndb::makeNid(ndb::NID_TYPE_CONTENTS_TABLE, 0x402), 0, contents.build());
  db->close();

  // The tables list rows for messages the file does not hold: no store rules.
  const auto read = quillonet::test_support::strictRead(path, {.storeRules = false});
  EXPECT_EQ(read.problems, "");
  const auto& nodes = read.contents.nodes;
  ASSERT_TRUE(nodes.count(message));
  EXPECT_EQ(nodes.at(message).properties.at(0x3001001F), "Ann Example");
  EXPECT_EQ(nodes.at(message).properties.at(0x0E080003), "0x4d2");
  EXPECT_NE(nodes.at(ndb::makeNid(ndb::NID_TYPE_HIERARCHY_TABLE, 0x401)).rowWith(0x3613001F, "IPF.Contact"), nullptr);
  const auto& contentRows = nodes.at(ndb::makeNid(ndb::NID_TYPE_CONTENTS_TABLE, 0x402));
  EXPECT_EQ(contentRows.rows.size(), 70000u);
  EXPECT_NE(contentRows.rowWith(0x0037001F, "Contact 19"), nullptr);
  EXPECT_NE(contentRows.rowWith(0x0037001F, "Contact 69999"), nullptr);
}

// Property and table contexts written through the node database into a real
// PST file, then checked by the shared strict checker (heaps, BTHs, tables).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pst/ltp/property_context.h"
#include "pst/ltp/table_context.h"
#include "pst/ltp/table_templates.h"
#include "pst/verify/verify.h"
#include "pst/ndb/node_database.h"

using namespace pst::ltp;
namespace ndb = pst::ndb;

namespace {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ltptest.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct Checked {
  int exitCode = -1;
  std::string output;
};

Checked runPstStrict(const std::filesystem::path& file, bool dump) {
  const std::string cmd = std::string("'") + QUILLONET_SHARED_TOOLS + "/pststrict' " + (dump ? "--dump '" : "'") +
                          file.string() + "' 2>&1";
  Checked r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 65536> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
  const int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // Our own checker must agree that the file is sound; the tables here list
  // rows for messages the file does not hold, so no store rules.
  const auto own = pst::verify::checkFile(file, {.storeRules = false});
  if (!own.clean()) {
    if (r.exitCode == 0) r.exitCode = 1;
    r.output += "quillonet-pstverify:\n" + own.text();
  }
  return r;
}

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

  const auto check = runPstStrict(path, false);
  EXPECT_EQ(check.exitCode, 0) << check.output;
  EXPECT_NE(check.output.find(" 0 problems"), std::string::npos) << check.output;

  const auto dump = runPstStrict(path, true);
  ASSERT_EQ(dump.exitCode, 0);
  EXPECT_NE(dump.output.find("3001001f = 'Ann Example'"), std::string::npos);
  EXPECT_NE(dump.output.find("0e080003 = 0x4d2"), std::string::npos);
  EXPECT_NE(dump.output.find("'3613001f': \"'IPF.Contact'\""), std::string::npos);
  // The dump lists the first 20 rows of a table; the checker read all of them.
  EXPECT_NE(dump.output.find("'0037001f': \"'Contact 19'\""), std::string::npos);
}

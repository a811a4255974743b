// Name-to-id map: ids, and the streams and buckets against Outlook's own map.
#include "pst/messaging/name_to_id_map.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "pst/error.h"
#include "test_support.h"

namespace pst {
namespace {

using ltp::PropId;

std::vector<std::uint8_t> fromHex(const std::string& s) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoul(s.substr(i, 2), nullptr, 16)));
  return out;
}

std::uint32_t u32(const std::vector<std::uint8_t>& d, std::size_t o) {
  return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | static_cast<std::uint32_t>(d[o + 3]) << 24;
}

TEST(NameToIdMap, OneIdPerNameInFirstUseOrder) {
  NameToIdMap map;
  const NamedId email{PSETID_Address, 0x8083};
  const NamedString keywords{PS_PUBLIC_STRINGS, u"Keywords"};
  EXPECT_EQ(map.idFor(email), 0x8000);
  EXPECT_EQ(map.idFor(keywords), 0x8001);
  EXPECT_EQ(map.idFor(NamedId{PSETID_Address, 0x8005}), 0x8002);
  EXPECT_EQ(map.idFor(email), 0x8000);
  EXPECT_EQ(map.idFor(keywords), 0x8001);
  // Same set, a LID and a name, or the same name in another set: different properties.
  EXPECT_EQ(map.idFor(NamedString{PSETID_Address, u"Keywords"}), 0x8003);
  EXPECT_EQ(map.idFor(NamedString{PS_PUBLIC_STRINGS, u"keywords"}), 0x8004);
  EXPECT_EQ(map.size(), 5u);
  EXPECT_EQ(map.find(email), std::optional<PropId>(0x8000));
  EXPECT_FALSE(map.find(NamedId{PSETID_Common, 0x8083}).has_value());
}

TEST(NameToIdMap, MapiNumericNamesAreTaggedPropertiesAndEmptyNamesFail) {
  NameToIdMap map;
  EXPECT_EQ(map.idFor(NamedId{PS_MAPI, 0x3001}), 0x3001);
  EXPECT_EQ(map.size(), 0u);
  EXPECT_THROW(map.idFor(NamedString{PS_PUBLIC_STRINGS, u""}), Error);
  EXPECT_EQ(map.size(), 0u);
}

TEST(NameToIdMap, RunsOutOfIdsWithAClearError) {
  NameToIdMap map;
  for (std::uint32_t lid = 0; lid < 0xFFFF - 0x8000; ++lid) map.idFor(NamedId{PSETID_Common, lid});
  EXPECT_EQ(map.find(NamedId{PSETID_Common, 0x7FFE}), std::optional<PropId>(0xFFFE));
  EXPECT_THROW(map.idFor(NamedId{PSETID_Common, 0x10000}), Error);
}

// Rebuilds the map of Outlook's empty store from its names and compares
// every stream and bucket byte for byte.
TEST(NameToIdMap, MatchesOutlooksMapOfAnEmptyStore) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the sample's map with libpff's Python module, a Linux program";
#endif
  auto dump = test::run({"python3", quillonet::test_support::readbackScript().string(), "name-map",
                         test::samplePath("outlook-empty.pst").string()});
  ASSERT_EQ(dump.exitCode, 0) << dump.output;
  std::map<std::uint32_t, std::vector<std::uint8_t>> reference;
  std::istringstream lines(dump.output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto space = line.find(' ');
    reference[static_cast<std::uint32_t>(std::stoul(line.substr(0, space), nullptr, 16))] =
        fromHex(line.substr(space + 1));
  }
  const auto& guids = reference.at(0x00020102);
  const auto& entries = reference.at(0x00030102);
  auto strings = reference.at(0x00040102);
  ASSERT_EQ(entries.size() % 8, 0u);

  NameToIdMap map;
  for (std::size_t k = 0; k < entries.size() / 8; ++k) {
    const std::uint32_t ident = u32(entries, 8 * k);
    const unsigned kind = entries[8 * k + 4] | entries[8 * k + 5] << 8;
    ASSERT_EQ(entries[8 * k + 6] | entries[8 * k + 7] << 8, static_cast<int>(k));
    Guid set{};
    const unsigned guidIndex = kind >> 1;
    if (guidIndex == 1) {
      set = PS_MAPI;
    } else if (guidIndex == 2) {
      set = PS_PUBLIC_STRINGS;
    } else {
      std::copy_n(guids.begin() + 16 * (guidIndex - 3), 16, set.begin());
    }
    PropId id;
    if (kind & 1) {
      const std::uint32_t length = u32(strings, ident);
      std::u16string name;
      for (std::uint32_t i = 0; i < length; i += 2) name += static_cast<char16_t>(strings[ident + 4 + i] | strings[ident + 5 + i] << 8);
      id = map.idFor(NamedString{set, name});
      // Outlook leaves junk in the padding after a name; ours is zero.
      for (std::uint32_t p = ident + 4 + length; p % 4 != 0; ++p) strings[p] = 0;
    } else {
      id = map.idFor(NamedId{set, ident});
    }
    EXPECT_EQ(id, 0x8000 + k);
  }

  const auto pc = map.build();
  std::map<std::uint32_t, std::vector<std::uint8_t>> ours;
  for (const auto& [pid, value] : pc.properties()) ours[ltp::makeTag(pid, value.type)] = value.data;
  reference[0x00040102] = strings;
  ASSERT_EQ(ours.size(), reference.size());
  for (const auto& [t, bytes] : reference) {
    ASSERT_TRUE(ours.count(t)) << std::hex << t;
    EXPECT_EQ(test::hex(ours[t]), test::hex(bytes)) << "property " << std::hex << t;
  }
}

}  // namespace
}  // namespace pst

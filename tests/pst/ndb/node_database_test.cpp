// Writes node databases to files and has the strict checker verify them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "mini_reader.h"
#include "ndb_test_support.h"
#include "pst/error.h"
#include "pst/ndb/node_database.h"

namespace pst::ndb {
namespace {

using test::pattern;
using test::strictCheck;
using test::streamNode;
using test::TempDir;

TEST(NodeDatabase, FewNodesPassStrictCheck) {
  TempDir dir;
  auto path = dir / "few.pst";
  auto db = NodeDatabase::create(path);
  Nid folder = db->allocateNid(NID_TYPE_NORMAL_FOLDER);
  db->putNode(folder, folder, streamNode(100, 1));
  Nid msg = db->allocateNid(NID_TYPE_NORMAL_MESSAGE);
  NodeData m = streamNode(3000, 2);
  m.subnodes[0x692] = streamNode(200, 3);
  m.subnodes[0x671] = streamNode(20000, 4);
  m.subnodes[0x671].subnodes[0x25] = streamNode(50, 5);
  db->putNode(msg, folder, m);
  db->putNode(makeNid(NID_TYPE_INTERNAL, 0x10), 0, NodeData{});
  db->close();
  auto r = strictCheck(path);
  EXPECT_EQ(r.problems, "");
  ASSERT_TRUE(r.contents.nodes.count(0x200024));
  EXPECT_EQ(r.contents.nodes.at(0x200024).parent, 0x8022u);
}

// Many nodes over several intervals and commits, with replacements and
// removals: deep B-trees, XXBLOCKs, SIBLOCKs, freed space reused.
TEST(NodeDatabase, ManyNodesAcrossIntervalsAndCommits) {
  TempDir dir;
  auto path = dir / "many.pst";
  auto db = NodeDatabase::create(path, {.cryptMethod = 0});
  Nid folder = db->allocateNid(NID_TYPE_NORMAL_FOLDER);
  db->putNode(folder, folder, streamNode(10, 1));
  std::vector<Nid> msgs;
  for (int i = 0; i < 3000; ++i) {
    Nid m = db->allocateNid(NID_TYPE_NORMAL_MESSAGE);
    NodeData d = streamNode(100 + (i * 37) % 900, i);
    d.subnodes[0x692] = streamNode(60, i + 7);
    db->putNode(m, folder, d);
    msgs.push_back(m);
    if (i % 700 == 0) {
      // A table that grows at every commit, replaced each time.
      db->putNode(folder | 0x0E, 0, streamNode(8176 * 3 + 1000 * i, i));
      db->commit();
    }
  }
  for (std::size_t i = 0; i < msgs.size(); i += 3) db->removeNode(msgs[i]);
  NodeData big = streamNode(1030 * 8176 + 5, 99);  // needs an XXBLOCK
  for (Nid s = 1; s <= 400; ++s) big.subnodes[(s << 5) | NID_TYPE_LTP] = streamNode(16, s);  // needs an SIBLOCK
  db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x7FFFF), folder, big);
  db->commit();
  db->putNode(folder | 0x0E, 0, streamNode(500, 5));
  db->close();
  EXPECT_GT(std::filesystem::file_size(path), 8 * 0x3E000u);
  auto r = strictCheck(path);
  EXPECT_EQ(r.problems, "");
  // 1 folder, 2000 messages left, the table and the big node.
  EXPECT_EQ(r.contents.nodes.size(), 2003u);
}

// Past 128 intervals (about 31 MB) the file needs its first FMap page.
TEST(NodeDatabase, GrowsPastTheFirstFMap) {
  TempDir dir;
  auto path = dir / "fmap.pst";
  auto db = NodeDatabase::create(path);
  for (std::uint32_t i = 0; i < 5; ++i)
    db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + i), 0x8022, streamNode(1000 * 8176, i));
  db->close();
  EXPECT_GT(std::filesystem::file_size(path), 0x4400u + 129 * 0x3E000u);
  EXPECT_EQ(strictCheck(path).problems, "");
}

// A node's data stream as the file holds it (no encoding; XBLOCK or one block).
std::vector<std::uint8_t> readStream(const std::vector<std::uint8_t>& f, const test::ParsedFile& p, std::uint64_t bid) {
  const auto& b = p.blocks.at(bid);
  std::vector<std::uint8_t> bytes(f.begin() + b.ib, f.begin() + b.ib + b.cb);
  if ((bid & 2) == 0) return bytes;
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < le::get<std::uint16_t>(bytes, 2); ++i) {
    auto part = readStream(f, p, le::get<std::uint64_t>(bytes, 8 + 8 * i));
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

std::vector<std::uint8_t> joined(const NodeData& d) {
  std::vector<std::uint8_t> out;
  for (const auto& b : d.blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// A large node put again with empty blocks keeps its earlier blocks there:
// the same blocks on disk, now referenced by the new stream.
TEST(NodeDatabase, EmptyBlocksKeepTheBlocksOfTheLastPut) {
  TempDir dir;
  auto path = dir / "kept.pst";
  auto db = NodeDatabase::create(path, {.cryptMethod = 0});
  const Nid table = makeNid(NID_TYPE_CONTENTS_TABLE, 0x401);
  const Nid matrix = makeNid(NID_TYPE_LTP, 1);
  NodeData first = streamNode(3 * kMaxBlockData + 100, 1);
  first.subnodes[matrix] = streamNode(2 * kMaxBlockData + 50, 2);
  db->putNode(table, 0, first);
  db->commit();

  NodeData expected = first;
  expected.blocks[3] = pattern(kMaxBlockData, 3);  // the end changed and grew
  expected.blocks.push_back(pattern(900, 4));
  expected.subnodes[matrix].blocks[2] = pattern(kMaxBlockData, 5);
  expected.subnodes[matrix].blocks.push_back(pattern(300, 6));
  NodeData next = expected;
  for (std::size_t i : {0, 1, 2}) next.blocks[i].clear();
  next.subnodes[matrix].blocks[0].clear();
  next.subnodes[matrix].blocks[1].clear();
  db->putNode(table, 0, next);

  // An empty block with nothing to keep is refused and changes nothing: in a
  // one-block stream, past the last put's blocks, or in a new node.
  NodeData single;
  single.blocks.emplace_back();
  EXPECT_THROW(db->putNode(table, 0, single), Error);
  NodeData beyond = expected;
  beyond.blocks.emplace_back();
  EXPECT_THROW(db->putNode(table, 0, beyond), Error);
  NodeData fresh = next;
  EXPECT_THROW(db->putNode(makeNid(NID_TYPE_CONTENTS_TABLE, 0x402), 0, fresh), Error);
  EXPECT_FALSE(db->contains(makeNid(NID_TYPE_CONTENTS_TABLE, 0x402)));
  db->close();

  EXPECT_EQ(strictCheck(path).problems, "");
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto parsed = test::parseFile(f);
  const auto& node = parsed.nodes.at(table);
  EXPECT_EQ(readStream(f, parsed, node.data), joined(expected));
  const auto& sl = parsed.blocks.at(node.sub);
  const std::vector<std::uint8_t> slBytes(f.begin() + sl.ib, f.begin() + sl.ib + sl.cb);
  ASSERT_EQ(le::get<std::uint64_t>(slBytes, 8), matrix);
  EXPECT_EQ(readStream(f, parsed, le::get<std::uint64_t>(slBytes, 16)), joined(expected.subnodes[matrix]));
}

// Commits grow the file ahead of the next batch; closing gives back what no
// batch used, and the file still ends with a whole interval its maps describe.
TEST(NodeDatabase, CloseGivesBackTheRoomGrownAhead) {
  TempDir dir;
  auto path = dir / "ahead.pst";
  auto db = NodeDatabase::create(path);
  for (std::uint32_t round = 0; round < 3; ++round) {
    for (std::uint32_t i = 0; i < 40; ++i) {
      const Nid m = db->allocateNid(NID_TYPE_NORMAL_MESSAGE);
      db->putNode(m, 0x8022, streamNode(4 * kMaxBlockData, m));
    }
    db->commit();
  }
  const auto grown = std::filesystem::file_size(path);
  db->close();
  const auto closed = std::filesystem::file_size(path);
  EXPECT_LT(closed + 0x3E000, grown);
  EXPECT_EQ(strictCheck(path).problems, "");
}

}  // namespace
}  // namespace pst::ndb

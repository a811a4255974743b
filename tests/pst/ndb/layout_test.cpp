// Byte-level layout of written files: what a lenient reader would not notice.
#include <gtest/gtest.h>

#include <fstream>

#include "fault_file.h"
#include "mini_reader.h"
#include "ndb_test_support.h"
#include "pst/error.h"
#include "pst/ndb/crc.h"
#include "pst/ndb/crypt.h"
#include "pst/ndb/layout.h"
#include "pst/ndb/node_database.h"

namespace pst::ndb {
namespace {

using test::MemoryDisk;
using test::FaultFile;
using test::parseFile;
using test::pattern;
using test::streamNode;

struct Written {
  std::shared_ptr<MemoryDisk> disk = std::make_shared<MemoryDisk>();
  std::unique_ptr<NodeDatabase> db;
  explicit Written(std::uint8_t crypt = 1) { db = NodeDatabase::create(std::make_unique<FaultFile>(disk), {crypt}); }
  std::vector<std::uint8_t> image() const { return disk->image(); }
};

std::span<const std::uint8_t> at(const std::vector<std::uint8_t>& f, std::uint64_t off, std::size_t n) {
  return {f.data() + off, n};
}

TEST(Layout, HeaderAndFixedPagesOfANewFile) {
  Written w;
  Nid folder = w.db->allocateNid(NID_TYPE_NORMAL_FOLDER);
  EXPECT_EQ(folder, 0x8022u);
  EXPECT_EQ(w.db->allocateNid(NID_TYPE_NORMAL_MESSAGE), 0x200024u);
  w.db->putNode(folder, folder, streamNode(100, 1));
  w.db->commit();
  auto f = w.image();
  auto h = at(f, 0, 0x234);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "!BDN");
  EXPECT_EQ(f[8], 'S');
  EXPECT_EQ(f[9], 'M');
  EXPECT_EQ(le::get<std::uint16_t>(h, 0x0A), 23);
  EXPECT_EQ(le::get<std::uint16_t>(h, 0x0C), 19);
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x04), computeCrc(h.subspan(8, 471)));
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x20C), computeCrc(h.subspan(8, 516)));
  EXPECT_EQ(f[0x200], 0x80);
  EXPECT_EQ(f[0x201], 1);
  for (std::size_t i = 0x100; i < 0x200; ++i) ASSERT_EQ(f[i], 0xFF) << "rgbFM/rgbFP at " << i;
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x2C + 4 * 2), 0x401u);    // the folder allocated
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x2C + 4 * 3), 0x4000u);   // search folders
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x2C + 4 * 4), 0x10001u);  // one message allocated
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x2C + 4 * 8), 0x8000u);   // associated messages
  EXPECT_EQ(le::get<std::uint32_t>(h, 0x2C + 4 * 0x1F), 0x400u);

  auto p = parseFile(f);
  EXPECT_EQ(p.ibFileEof, f.size());
  EXPECT_EQ(p.ibFileEof, 0x4400u + 0x3E000u);
  EXPECT_EQ(p.ibAMapLast, 0x4400u);
  EXPECT_EQ(p.fAMapValid, 2);
  EXPECT_GE(p.dwUnique, 2u);

  // Density list: empty body, page trailer with a signature.
  auto dl = at(f, 0x4200, 512);
  EXPECT_EQ(dl[0x1F0], 0x86);
  EXPECT_EQ(dl[0x1F1], 0x86);
  EXPECT_EQ(le::get<std::uint16_t>(dl, 0x1F2), computeSig(0x4200, le::get<std::uint64_t>(dl, 0x1F8)));
  EXPECT_LT(le::get<std::uint64_t>(dl, 0x1F8), p.bidNextP);
  // AMap maps itself and the PMap; the PMap is all 0xFF; both carry their own offset as BID.
  auto am = at(f, 0x4400, 512);
  EXPECT_EQ(am[0], 0xFF);
  EXPECT_EQ(am[1], 0xFF);
  EXPECT_EQ(am[0x1F0], 0x84);
  EXPECT_EQ(le::get<std::uint16_t>(am, 0x1F2), 0);
  EXPECT_EQ(le::get<std::uint32_t>(am, 0x1F4), computeCrc(am.first(496)));
  EXPECT_EQ(le::get<std::uint64_t>(am, 0x1F8), 0x4400u);
  auto pm = at(f, 0x4600, 512);
  EXPECT_EQ(pm[0x1F0], 0x83);
  for (int i = 0; i < 496; ++i) ASSERT_EQ(pm[i], 0xFF);
  EXPECT_EQ(le::get<std::uint64_t>(pm, 0x1F8), 0x4600u);
  // Free bytes = zero bits of the AMap.
  std::uint64_t freeBits = 0;
  for (int i = 0; i < 496; ++i) freeBits += 8 - std::popcount(am[i]);
  EXPECT_EQ(p.cbAMapFree, freeBits * 64);
}

TEST(Layout, DataBlockTrailerPaddingAndEncoding) {
  for (std::uint8_t crypt : {0, 1}) {
    Written w(crypt);
    auto data = pattern(100, 9);
    w.db->putNode(0x8022, 0x8022, NodeData{{data}, {}});
    w.db->commit();
    auto f = w.image();
    auto p = parseFile(f);
    EXPECT_EQ(p.cryptMethod, crypt);
    std::uint64_t bid = p.nodes.at(0x8022).data;
    EXPECT_EQ(bid & 3, 0u) << "an external block";
    auto b = p.blocks.at(bid);
    EXPECT_EQ(b.cb, 100);
    EXPECT_EQ(b.cRef, 2);
    EXPECT_EQ(b.ib % 64, 0u);
    auto blk = at(f, b.ib, 128);  // 100 + 16 rounds up to 128
    std::vector<std::uint8_t> stored(blk.begin(), blk.begin() + 100);
    if (crypt == 1) permuteDecode(stored);
    EXPECT_EQ(stored, data);
    if (crypt == 1) {
      EXPECT_NE(std::vector<std::uint8_t>(blk.begin(), blk.begin() + 100), data);
    }
    for (int i = 100; i < 112; ++i) EXPECT_EQ(blk[i], 0) << "padding";
    EXPECT_EQ(le::get<std::uint16_t>(blk, 112), 100);
    EXPECT_EQ(le::get<std::uint16_t>(blk, 114), computeSig(b.ib, bid));
    EXPECT_EQ(le::get<std::uint32_t>(blk, 116), computeCrc(blk.first(100)));
    EXPECT_EQ(le::get<std::uint64_t>(blk, 120), bid);
    // The block's two units are allocated in the AMap.
    std::uint64_t unit = (b.ib - 0x4400) / 64;
    EXPECT_TRUE(f[0x4400 + unit / 8] & (0x80 >> (unit % 8)));
    EXPECT_TRUE(f[0x4400 + (unit + 1) / 8] & (0x80 >> ((unit + 1) % 8)));
    EXPECT_GT(p.bidNextB, bid);
  }
}

TEST(Layout, XBlockAndSIBlock) {
  Written w;
  NodeData d = streamNode(3 * 8176 - 10, 3);
  for (Nid s = 1; s <= 341; ++s) d.subnodes[(s << 5) | NID_TYPE_LTP] = streamNode(8, s);
  w.db->putNode(0x200024, 0x8022, d);
  w.db->commit();
  auto f = w.image();
  auto p = parseFile(f);
  const auto& node = p.nodes.at(0x200024);
  ASSERT_EQ(node.data & 2, 2u) << "an internal block";
  auto x = p.blocks.at(node.data);
  auto xb = at(f, x.ib, x.cb);
  EXPECT_EQ(xb[0], 0x01);
  EXPECT_EQ(xb[1], 0x01);
  EXPECT_EQ(le::get<std::uint16_t>(xb, 2), 3);
  EXPECT_EQ(le::get<std::uint32_t>(xb, 4), 3u * 8176 - 10);
  EXPECT_EQ(p.blocks.at(le::get<std::uint64_t>(xb, 8)).cb, 8176);
  EXPECT_EQ(p.blocks.at(le::get<std::uint64_t>(xb, 24)).cb, 8176 - 10);
  // 341 subnodes: an SIBLOCK over two SLBLOCKs of 340 and 1.
  auto si = p.blocks.at(node.sub);
  auto sb = at(f, si.ib, si.cb);
  EXPECT_EQ(sb[0], 0x02);
  EXPECT_EQ(sb[1], 0x01);
  EXPECT_EQ(le::get<std::uint16_t>(sb, 2), 2);
  EXPECT_EQ(le::get<std::uint64_t>(sb, 8), (1u << 5) | NID_TYPE_LTP);
  EXPECT_EQ(le::get<std::uint64_t>(sb, 24), (341u << 5) | NID_TYPE_LTP);
  auto sl = p.blocks.at(le::get<std::uint64_t>(sb, 32));
  EXPECT_EQ(le::get<std::uint16_t>(at(f, sl.ib, 8), 2), 1);
}

// The heart of crash safety: between two commits, no write touches a page
// or block of the last committed state, other than the header and AMaps.
TEST(Layout, CommittedDataIsNeverOverwritten) {
  Written w;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> live;  // [begin, end) of the committed state
  std::size_t logFrom = 0;
  auto checkAndSnapshot = [&] {
    const auto& log = w.disk->log;
    for (std::size_t k = logFrom; k < log.size(); ++k) {
      auto [off, size] = log[k];
      bool header = off == 0 && size <= 0x4200;
      bool amap = off >= 0x4400 && (off - 0x4400) % 0x3E000 == 0 && size == 512;
      if (header || amap) continue;
      for (auto [b, e] : live) ASSERT_FALSE(off < e && b < off + size) << "write at " << off << " hits committed data";
    }
    logFrom = log.size();
    auto f = w.image();
    auto p = parseFile(f);
    live.clear();
    for (auto ib : p.pages) live.emplace_back(ib, ib + 512);
    for (auto& [bid, b] : p.blocks) live.emplace_back(b.ib, b.ib + blockSizeOnDisk(b.cb));
  };
  checkAndSnapshot();
  Nid folder = 0x8022;
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 200; ++i) {
      NodeData d = streamNode(300 + i, round * 1000 + i);
      d.subnodes[0x692] = streamNode(40, i);
      w.db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + round * 200 + i), folder, d);
    }
    w.db->putNode(folder | 0x0E, 0, streamNode(20000 * (round + 1), round));
    if (round % 2) w.db->removeNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + round * 100));
    w.db->commit();
    checkAndSnapshot();
  }
}

TEST(Layout, FreedSpaceIsReusedAfterTheCommitThatFreedIt) {
  Written w;
  auto sizeAfter = [&](std::uint32_t seed) {
    w.db->putNode(0x802E, 0, streamNode(600000, seed));
    w.db->commit();
    return w.image().size();
  };
  sizeAfter(1);
  std::uint64_t second = sizeAfter(2);  // the first copy is still committed while this one is written
  std::uint64_t third = sizeAfter(3);
  std::uint64_t fourth = sizeAfter(4);
  EXPECT_EQ(third, second);
  EXPECT_EQ(fourth, second);
  auto p = parseFile(w.image());
  EXPECT_EQ(p.nodes.size(), 1u);
  EXPECT_EQ(p.blocks.size(), 75u);  // 74 data blocks and their XBLOCK: nothing left behind
}

TEST(Layout, BTreesGrowSeveralLevels) {
  Written w;
  for (std::uint32_t i = 0; i < 5000; ++i)
    w.db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + i), 0x8022, NodeData{{pattern(8, i)}, {}});
  w.db->commit();
  auto p = parseFile(w.image());
  EXPECT_EQ(p.nodes.size(), 5000u);
  EXPECT_EQ(p.blocks.size(), 5000u);
  EXPECT_EQ(p.nbtLevels, 3);  // 334 leaves of 15 under 17 pages under the root
  EXPECT_EQ(p.bbtLevels, 3);
}

TEST(NodeDatabaseApi, BadInputIsRefusedAndLosesNothing) {
  Written w;
  w.db->putNode(0x8022, 0x8022, streamNode(10, 1));
  EXPECT_THROW(w.db->putNode(0x8042, 0x8042, NodeData{{{}}, {}}), Error);
  EXPECT_THROW(w.db->putNode(0x8042, 0x8042, NodeData{{std::vector<std::uint8_t>(8177, 1)}, {}}), Error);
  NodeData badSub;
  badSub.subnodes[0] = streamNode(5, 1);
  EXPECT_THROW(w.db->putNode(0x8042, 0x8042, badSub), Error);
  EXPECT_THROW(w.db->putNode(0, 0, streamNode(5, 1)), Error);
  EXPECT_THROW(w.db->removeNode(0x8062), Error);
  EXPECT_FALSE(w.db->contains(0x8042));
  w.db->putNode(0x8042, 0x8042, streamNode(20, 2));
  w.db->close();
  auto p = parseFile(w.image());
  EXPECT_EQ(p.nodes.size(), 2u);
  EXPECT_EQ(p.blocks.size(), 2u);
}

TEST(NodeDatabaseApi, NidAllocationAndReservation) {
  Written w;
  w.db->reserveNid(makeNid(NID_TYPE_NORMAL_FOLDER, 0x404));
  EXPECT_EQ(w.db->allocateNid(NID_TYPE_NORMAL_FOLDER), makeNid(NID_TYPE_NORMAL_FOLDER, 0x405));
  w.db->reserveNid(makeNid(NID_TYPE_NORMAL_FOLDER, 0x402));  // lower: no effect
  EXPECT_EQ(w.db->allocateNid(NID_TYPE_NORMAL_FOLDER), makeNid(NID_TYPE_NORMAL_FOLDER, 0x406));
  // Putting a node keeps its type's counter above it.
  w.db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x20000), 0x8022, streamNode(4, 4));
  EXPECT_EQ(w.db->allocateNid(NID_TYPE_NORMAL_MESSAGE), makeNid(NID_TYPE_NORMAL_MESSAGE, 0x20001));
  EXPECT_TRUE(w.db->contains(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x20000)));
}

TEST(NodeDatabaseApi, CloseCommitsAndFurtherUseFails) {
  Written w;
  w.db->putNode(0x8022, 0x8022, streamNode(10, 1));
  w.db->close();
  EXPECT_NO_THROW(w.db->close());
  EXPECT_THROW(w.db->putNode(0x8042, 0x8042, streamNode(10, 1)), Error);
  EXPECT_THROW(w.db->commit(), Error);
  EXPECT_EQ(parseFile(w.image()).nodes.size(), 1u);
}

TEST(NodeDatabaseApi, AFailedWriteLeavesTheDatabaseRefusingWork) {
  Written w;
  w.db->putNode(0x8022, 0x8022, streamNode(10, 1));
  w.db->commit();
  const std::size_t committed = w.image().size();
  w.disk->budget = 100;
  EXPECT_THROW(w.db->putNode(0x8042, 0x8042, streamNode(9000000, 2)), Error);
  w.disk->budget = UINT64_MAX;
  w.disk->crashed = false;
  EXPECT_THROW(w.db->commit(), Error);
  EXPECT_THROW(w.db->close(), Error);
  // The close ended the file at the last commit: no tail of the failed write.
  EXPECT_LE(w.image().size(), committed);
  EXPECT_EQ(parseFile(w.image()).nodes.size(), 1u);
}

TEST(NodeDatabaseApi, NeverOpensAnExistingFile) {
  test::TempDir dir;
  auto path = dir / "existing.pst";
  std::ofstream(path) << "precious";
  EXPECT_THROW(NodeDatabase::create(path), Error);
  std::ifstream in(path);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "precious");
  EXPECT_THROW(NodeDatabase::create(dir / "no-such-dir" / "x.pst"), Error);
}

}  // namespace
}  // namespace pst::ndb

namespace pst::ndb {
namespace {

std::vector<std::uint64_t> xblockChildren(const std::vector<std::uint8_t>& f, const test::ParsedFile& p,
                                          std::uint64_t bid) {
  auto x = p.blocks.at(bid);
  std::span<const std::uint8_t> b(f.data() + x.ib, x.cb);
  std::vector<std::uint64_t> out;
  for (int i = 0; i < le::get<std::uint16_t>(b, 2); ++i) out.push_back(le::get<std::uint64_t>(b, 8 + 8 * i));
  return out;
}

// A table that only grows keeps its unchanged blocks when it is put again.
TEST(Layout, ReplacedNodeKeepsItsUnchangedBlocks) {
  test::TempDir dir;
  auto disk = std::make_shared<test::MemoryDisk>();
  auto db = NodeDatabase::create(std::make_unique<test::FaultFile>(disk));
  auto grow = [](std::size_t n) {
    NodeData d;
    for (std::size_t i = 0; i < n; ++i) d.blocks.push_back(pattern(8176, static_cast<std::uint32_t>(i)));
    NodeData sub = d;
    d.subnodes[0x3F] = std::move(sub);
    return d;
  };
  db->putNode(0x802E, 0, grow(10));
  db->commit();
  auto p1 = parseFile(disk->image());
  auto f1 = disk->image();
  auto before = xblockChildren(f1, p1, p1.nodes.at(0x802E).data);
  std::uint64_t written = disk->written;
  NodeData bigger = grow(12);
  bigger.blocks[3] = pattern(8176, 999);  // one block in the middle changes
  db->putNode(0x802E, 0, bigger);
  db->commit();
  EXPECT_LT(disk->written - written, 8 * 8192u) << "only the new blocks, trees and maps are written";
  auto f2 = disk->image();
  auto p2 = parseFile(f2);
  auto after = xblockChildren(f2, p2, p2.nodes.at(0x802E).data);
  ASSERT_EQ(after.size(), 12u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(after[i] == before[i], i != 3) << "block " << i;
  for (auto& [bid, b] : p2.blocks) EXPECT_EQ(b.cRef, 2) << bid;
  EXPECT_EQ(p2.blocks.size(), 2u * 13 + 1);  // 12 blocks and an XBLOCK for the data and the subnode; the SLBLOCK
  std::ofstream(dir / "grown.pst", std::ios::binary).write(reinterpret_cast<const char*>(f2.data()), f2.size());
  EXPECT_EQ(test::strictCheck(dir / "grown.pst").problems, "");
}

}  // namespace
}  // namespace pst::ndb

namespace pst::ndb {
namespace {

// Equal small blocks are stored once with cRef counting their users, up to
// the 16-bit limit; a block goes when its last user does.
TEST(Layout, EqualSmallBlocksAreSharedWithinTheReferenceLimit) {
  Written w;
  const NodeData same{{{7, 7, 7, 7}}, {}};
  const std::uint32_t n = 70000;
  for (std::uint32_t i = 0; i < n; ++i) {
    NodeData d = same;
    d.subnodes[0x692] = same;
    w.db->putNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + i), 0x8022, d);
  }
  w.db->commit();
  auto p = parseFile(w.image());
  std::map<std::uint64_t, int> refs;
  for (auto& [nid, node] : p.nodes) ++refs[node.data];
  std::uint64_t total = 0;
  for (auto& [bid, b] : p.blocks) {
    if (bid & 2) continue;  // the SLBLOCKs
    ASSERT_LE(b.cRef, 0xFFFF);
    total += b.cRef - 1u;
  }
  EXPECT_EQ(total, 2u * n) << "every use counted once";
  EXPECT_LE(p.blocks.size() - refs.size(), 3u + n) << "a handful of data blocks, one SLBLOCK per node";
  EXPECT_EQ(std::count_if(p.blocks.begin(), p.blocks.end(), [](auto& kv) { return kv.second.cRef == 0xFFFF; }), 2);
  for (std::uint32_t i = 0; i < n; ++i) w.db->removeNode(makeNid(NID_TYPE_NORMAL_MESSAGE, 0x10001 + i));
  w.db->putNode(0x8022, 0x8022, same);
  w.db->commit();
  p = parseFile(w.image());
  ASSERT_EQ(p.blocks.size(), 1u);
  EXPECT_EQ(p.blocks.begin()->second.cRef, 2);
}

}  // namespace
}  // namespace pst::ndb

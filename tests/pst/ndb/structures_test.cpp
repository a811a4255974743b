// The in-memory B-tree and the allocation map against simple models.
#include <gtest/gtest.h>

#include <map>
#include <functional>
#include <random>
#include <set>

#include "pst/ndb/allocation_map.h"
#include "pst/ndb/btree.h"
#include "pst/ndb/btree_entries.h"

namespace pst::ndb {
namespace {

// Random inserts, replacements and erasures against std::map; then every
// page written at a flush is checked for order, fill and first keys.
TEST(PageTree, MatchesAMapThroughInsertsErasesAndFlushes) {
  PageTree<NbtTraits> tree;
  std::map<std::uint32_t, std::uint32_t> model;
  std::mt19937 rng(7);
  std::uint64_t nextPage = 1;
  std::set<std::uint64_t> livePages;
  for (int round = 0; round < 30; ++round) {
    for (int i = 0; i < 800; ++i) {
      // Mostly appends (as NIDs come), some anywhere, some erasures.
      int what = std::uniform_int_distribution<int>(0, 9)(rng);
      std::uint32_t key = what < 5 ? static_cast<std::uint32_t>(model.empty() ? 1 : model.rbegin()->first + 1 + rng() % 3)
                                   : static_cast<std::uint32_t>(rng() % 40000 + 1);
      if (what >= 8) {
        EXPECT_EQ(tree.erase(key), model.erase(key) == 1);
      } else {
        EXPECT_EQ(tree.insertOrAssign({key, key ^ 5u, static_cast<std::uint32_t>(i), 0}), !model.contains(key));
        model[key] = key ^ 5u;
      }
    }
    ASSERT_EQ(tree.size(), model.size());
    for (auto [k, v] : model) {
      auto* e = tree.find(k);
      ASSERT_NE(e, nullptr);
      ASSERT_EQ(e->parent, v);
    }
    ASSERT_EQ(tree.find(0), nullptr);
    ASSERT_EQ(tree.find(50000), nullptr);
    // Flush: every written page is new; pages replaced or dropped come back retired.
    std::map<std::uint64_t, Page> written;
    Bref root = tree.flush([&] { return Bref{nextPage, nextPage++ * 512}; },
                           [&](const Page& p, Bref r) { written[r.ib] = p; });
    for (const Bref& r : tree.takeRetired()) ASSERT_EQ(livePages.erase(r.ib), 1u) << "retired twice or never written";
    for (auto& [ib, p] : written) ASSERT_TRUE(livePages.insert(ib).second);
    // Walk the pages reachable from the root: all live, keys sorted, counts right.
    std::vector<std::uint32_t> keys;
    std::size_t reached = 0;
    std::function<void(std::uint64_t, int)> walk = [&](std::uint64_t ib, int level) {
      ++reached;
      ASSERT_TRUE(livePages.contains(ib));
      static std::map<std::uint64_t, Page> all;
      if (written.contains(ib)) all[ib] = written[ib];
      const Page& p = all.at(ib);
      ASSERT_EQ(p[0x1EB], level);
      ASSERT_GT(p[0x1E8], 0);
      for (int j = 0; j < p[0x1E8]; ++j) {
        if (level == 0) {
          keys.push_back(le::get<std::uint32_t>(p, j * 32));
        } else {
          std::size_t before = keys.size();
          walk(le::get<std::uint64_t>(p, j * 24 + 16), level - 1);
          ASSERT_EQ(keys[before], le::get<std::uint64_t>(p, j * 24)) << "btkey is the child's first key";
        }
      }
    };
    if (!model.empty()) walk(root.ib, tree.depth());
    ASSERT_EQ(reached, livePages.size()) << "a live page is unreachable";
    std::vector<std::uint32_t> want;
    for (auto& [k, v] : model) want.push_back(k);
    ASSERT_EQ(keys, want);
  }
}

TEST(AllocationMap, BlocksStayInOneIntervalAndPagesAreAligned) {
  AllocationMap m;
  m.addInterval(2);
  m.addInterval(1);
  // Fill interval 0 with 8 KB blocks: the last one must not cross into interval 1.
  std::uint64_t last = 0;
  while (auto ib = m.allocate(8192, false)) {
    ASSERT_EQ((*ib - 0x4400) / 0x3E000, (*ib + 8191 - 0x4400) / 0x3E000) << "crosses an interval";
    last = *ib;
  }
  EXPECT_GT(last, 0x4400u + 0x3E000u);
  auto page = m.allocate(512, true);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(*page % 512, 0u);
  // Blocks are placed going forward; gaps left behind are found after a commit.
  EXPECT_FALSE(m.allocate(64, false).has_value());
  m.commitDone();
  auto small = m.allocate(64, false);
  ASSERT_TRUE(small.has_value());
  EXPECT_LT(*small, 0x4400u + 0x3E000u);
}

TEST(AllocationMap, CommittedSpaceIsHeldBackUntilTheNextCommit) {
  AllocationMap m;
  m.addInterval(2);
  const std::uint64_t free0 = m.freeBytes();
  EXPECT_EQ(free0, (3968u - 16) * 64);
  auto a = *m.allocate(1024, false);
  m.commitDone();
  m.release(a, 1024);  // dropped by the state being built, still committed
  EXPECT_EQ(m.freeBytes(), free0);
  EXPECT_EQ(m.committedFreeBytes(), free0 - 1024);
  EXPECT_TRUE(m.isDirty(0));
  auto b = *m.allocate(1024, false);
  EXPECT_NE(b, a) << "committed space reused before the commit";
  m.release(b, 1024);  // never committed
  EXPECT_EQ(m.freeBytes(), free0);
  m.commitDone();
  // After the commit both places are free again and found first.
  EXPECT_EQ(*m.allocate(1024, false), a);
  EXPECT_EQ(*m.allocate(1024, false), b);
}

}  // namespace
}  // namespace pst::ndb

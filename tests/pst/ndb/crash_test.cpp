// Crashes a writer at chosen moments (in-process, through FaultFile) and
// checks that what is left on disk is the last commit, intact.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <sstream>

#include "fault_file.h"
#include "ndb_test_support.h"
#include "pst/error.h"
#include "pst/ndb/node_database.h"
#include "pst/verify/verify.h"

namespace pst::ndb {
namespace {

using test::FaultFile;
using test::MemoryDisk;
using test::streamNode;
using test::TempDir;

// What the checker read of a node: its parent and its data's start.
struct Shown {
  Nid parent;
  std::string stream;
  bool operator==(const Shown&) const = default;
};
void PrintTo(const Shown& s, std::ostream* os) { *os << "parent " << std::hex << s.parent << " " << s.stream; }
using State = std::map<Nid, Shown>;

std::string rawLine(const NodeData& d) {
  std::vector<std::uint8_t> all;
  for (const auto& b : d.blocks) all.insert(all.end(), b.begin(), b.end());
  if (all.empty()) return {};
  std::ostringstream s;
  s << "hex:";
  char h[3];
  for (std::size_t i = 0; i < std::min<std::size_t>(40, all.size()); ++i) {
    std::snprintf(h, sizeof h, "%02x", all[i]);
    s << h;
  }
  if (all.size() > 40) s << "..(" << all.size() << ")";
  return s.str();
}

State stateOf(const verify::Contents& contents) {
  State st;
  for (const auto& [nid, node] : contents.nodes) st[nid] = {node.parent, node.stream};
  return st;
}

// A writer's life: batches of messages with subnodes, a table node replaced
// at every commit, removals, and one node large enough to grow the file by
// several intervals.
class Workload {
 public:
  void run(NodeDatabase& db) {
    Nid folder = makeNid(NID_TYPE_NORMAL_FOLDER, 0x401);
    put(db, folder, folder, streamNode(300, 1));
    for (int batch = 0; batch < 4; ++batch) {
      for (int i = 0; i < 25; ++i) {
        Nid m = db.allocateNid(NID_TYPE_NORMAL_MESSAGE);
        NodeData d = streamNode(200 + 61 * i, m);
        d.subnodes[0x692] = streamNode(90, m + 1);
        if (i % 5 == 0) d.subnodes[0x671] = streamNode(9000, m + 2);
        put(db, m, folder, d);
        messages_.push_back(m);
      }
      put(db, folder | 0x0E, 0, streamNode(6000 + 9000 * batch, batch));
      if (batch == 1) put(db, makeNid(NID_TYPE_LTP, 0x500), 0, streamNode(700000, 77));
      if (batch == 2) {
        put(db, makeNid(NID_TYPE_LTP, 0x500), 0, streamNode(100, 78));
        for (int k = 0; k < 10; ++k) {
          db.removeNode(messages_[k]);
          current_.erase(messages_[k]);
        }
      }
      inFlight = current_;
      db.commit();
      committed.push_back(current_);
      inFlight.reset();
    }
    db.close();
  }
  std::vector<State> committed{State{}};  // the empty store created first
  std::optional<State> inFlight;          // a commit that had begun: it may or may not be on disk

 private:
  void put(NodeDatabase& db, Nid nid, Nid parent, const NodeData& d) {
    db.putNode(nid, parent, d);
    current_[nid] = {parent, rawLine(d)};
  }
  State current_;
  std::vector<Nid> messages_;
};

struct Outcome {
  std::vector<std::uint8_t> image;
  State expected;
  std::optional<State> orNewer;
};

Outcome runUntilCrash(std::uint64_t budget, std::uint64_t syncBudget, bool powerLoss, std::mt19937& rng) {
  auto disk = std::make_shared<MemoryDisk>();
  disk->budget = budget;
  disk->syncBudget = syncBudget;
  Workload w;
  try {
    auto db = NodeDatabase::create(std::make_unique<FaultFile>(disk));
    w.run(*db);
  } catch (const Error&) {
    EXPECT_TRUE(disk->crashed) << "a write failed without the simulated crash";
  }
  return {powerLoss ? disk->powerLossImage(rng) : disk->image(), w.committed.back(), w.inFlight};
}

void checkRecovered(const Outcome& o, const std::filesystem::path& path, const std::string& what) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(o.image.data()), static_cast<std::streamsize>(o.image.size()));
  ASSERT_GE(o.image.size(), 0x4400u) << what;
  // With fAMapValid 0 a reader rebuilds the maps, so the checker leaves them
  // out; a store with no node yet has empty B-tree pages.
  verify::Contents contents;
  const auto own = verify::checkFile(path, {.storeRules = false, .allowInvalidMaps = true}, &contents);
  for (const auto& problem : own.problems) {
    const bool emptyTree = o.expected.empty() && problem.find("cEnt is 0") != std::string::npos;
    EXPECT_TRUE(emptyTree) << what << ": quillonet-pstverify: " << problem;
  }
  State found = stateOf(contents);
  if (o.orNewer && found == *o.orNewer) return;
  EXPECT_EQ(found, o.expected) << what << "\n" << verify::dumpText(contents).substr(0, 2000);
}

TEST(CrashSafety, EveryCrashLeavesTheLastCommit) {
  // A full run tells where the writes go; crashes are then placed in the
  // header writes, the map writes around them, and at random.
  auto disk = std::make_shared<MemoryDisk>();
  {
    Workload w;
    auto db = NodeDatabase::create(std::make_unique<FaultFile>(disk));
    w.run(*db);
    ASSERT_EQ(w.committed.size(), 5u);
  }
  std::vector<std::uint64_t> before{0};
  for (auto& [off, size] : disk->log) before.push_back(before.back() + size);
  std::set<std::uint64_t> budgets;
  std::mt19937 rng(4242);
  for (std::size_t k = 0; k < disk->log.size(); ++k) {
    const auto [off, size] = disk->log[k];
    if (off == 0 || (off - 0x4400) % 0x3E000 == 0) {
      budgets.insert(before[k]);             // just before it
      budgets.insert(before[k] + size / 2);  // torn
    }
  }
  std::vector<std::uint64_t> picked(budgets.begin(), budgets.end());
  std::shuffle(picked.begin(), picked.end(), rng);
  picked.resize(std::min<std::size_t>(picked.size(), 16));
  for (int i = 0; i < 6; ++i) picked.push_back(std::uniform_int_distribution<std::uint64_t>(0, before.back())(rng));

  TempDir dir;
  int n = 0;
  for (std::uint64_t b : picked) {
    auto o = runUntilCrash(b, UINT64_MAX, false, rng);
    if (o.image.size() < 0x4400 || o.image[0] != '!') continue;  // crashed while creating: no file yet
    checkRecovered(o, dir / ("crash" + std::to_string(n++) + ".pst"), "kill after " + std::to_string(b) + " bytes");
  }
  EXPECT_GT(n, 15);
  // A power loss at a sync may drop any write since the previous one: the
  // syncs must be in the right places.
  std::vector<std::uint64_t> syncPoints(disk->syncs);
  std::iota(syncPoints.begin(), syncPoints.end(), 0);
  std::shuffle(syncPoints.begin(), syncPoints.end(), rng);
  syncPoints.resize(std::min<std::size_t>(syncPoints.size(), 10));
  // The close's commit, which cuts the room grown ahead off the file's end.
  for (std::uint64_t last = 1; last <= 3 && last <= disk->syncs; ++last) syncPoints.push_back(disk->syncs - last);
  for (std::uint64_t s : syncPoints) {
    auto o = runUntilCrash(UINT64_MAX, s, true, rng);
    if (o.image.size() < 0x4400 || o.image[0] != '!') continue;
    checkRecovered(o, dir / ("power" + std::to_string(s) + ".pst"), "power loss at sync " + std::to_string(s));
  }
}

}  // namespace
}  // namespace pst::ndb

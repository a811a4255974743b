// Nodes: each NBT entry's data tree (XBLOCK/XXBLOCK, MS-PST 2.2.2.8.3.2) and subnode
// tree (SLBLOCK/SIBLOCK, 2.2.2.8.3.3), counting references, then the heap checks.
#include <set>

#include "pst/verify/ltp.h"

namespace pst::verify {
namespace {

// NID types whose data is always a heap (PC or TC).
bool heapType(std::uint32_t nid) {
  switch (nid & 0x1F) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x07: case 0x08: case 0x0B: case 0x0C:
    case 0x0D: case 0x0E: case 0x0F: case 0x10: case 0x11: case 0x12:
      return true;
  }
  return nid == 0x21 || nid == 0x61;
}

class NodeWalk {
 public:
  explicit NodeWalk(Context& c) : c_(c) {}

  std::size_t junkNids() const { return junkNids_; }

  void node(std::uint32_t nid, std::uint64_t bidData, std::uint64_t bidSub, const std::string& where) {
    Subnodes subs;
    if (bidSub) subs = subnodeTree(bidSub, where, true);
    std::shared_ptr<const DataTree> data;
    if (bidData) data = dataTree(bidData, where, true);
    if (c_.current)
      for (const auto& s : subs) c_.current->subnodes.push_back(s.first);
    if (auto summary = content(nid, bidData, bidSub, data.get(), subs, where, true)) c_.heaps[nid] = summary;
  }

 private:
  void reference(std::uint64_t bid) { ++c_.references[bidKey(bid)]; }

  // A node's data stream. Nothing is cached (a large store's data would not
  // fit in memory twice): a shared tree is read again, its blocks counted once.
  std::shared_ptr<const DataTree> dataTree(std::uint64_t bid, const std::string& where, bool count) {
    if (count) reference(bid);
    auto tree = std::make_shared<DataTree>();
    if (!isInternal(bid)) {
      if (auto d = c_.blockData(bid, where)) {
        tree->size = d->size();
        tree->blocks.push_back(std::move(*d));
      } else {
        tree->ok = false;
      }
    } else {
      const bool first = descended_.insert(bidKey(bid)).second;
      xblock(bid, 0, where, *tree, count && first);
    }
    return tree;
  }

  // An XBLOCK (level 1) or XXBLOCK (level 2); wantLevel 0 accepts either.
  void xblock(std::uint64_t bid, int wantLevel, const std::string& where, DataTree& tree, bool count) {
    const std::string at = where + ": data tree block " + hex(bid);
    auto d = c_.blockData(bid, where);
    if (!d) {
      tree.ok = false;
      return;
    }
    const Bytes x(*d);
    const int btype = u8(x, 0), level = u8(x, 1);
    const std::size_t cEnt = u16(x, 2);
    const std::uint64_t lcbTotal = u32(x, 4);
    if (btype != 1 || (level != 1 && level != 2) || (wantLevel && level != wantLevel)) {
      c_.problem(at + ": btype/cLevel are " + std::to_string(btype) + "/" + std::to_string(level) + ", expected 1/" +
                 (wantLevel ? std::to_string(wantLevel) : std::string("1 or 2")));
      tree.ok = false;
      return;
    }
    if (cEnt == 0 || x.size() < 8 + 8 * cEnt) {
      c_.problem(at + ": cEnt " + std::to_string(cEnt) + " does not fit the block's " + std::to_string(x.size()) + " bytes");
      tree.ok = false;
      return;
    }
    const auto before = tree.size;
    for (std::size_t k = 0; k < cEnt; ++k) {
      const auto child = u64(x, 8 + 8 * k);
      if (count) reference(child);
      if (level == 2) {
        if (!isInternal(child)) {
          c_.problem(at + ": XXBLOCK entry " + std::to_string(k) + " " + hex(child) + " is not an XBLOCK");
          tree.ok = false;
          continue;
        }
        xblock(child, 1, where, tree, count);
      } else if (isInternal(child)) {
        c_.problem(at + ": XBLOCK entry " + std::to_string(k) + " " + hex(child) + " is an internal block");
        tree.ok = false;
      } else if (auto data = c_.blockData(child, where)) {
        tree.size += data->size();
        tree.blocks.push_back(std::move(*data));
      } else {
        tree.ok = false;
      }
    }
    if (tree.ok && tree.size - before != lcbTotal)
      c_.problem(at + ": lcbTotal is " + std::to_string(lcbTotal) + ", its blocks hold " +
                 std::to_string(tree.size - before) + " bytes");
  }

  // A node's subnodes, each checked on the way; a shared tree's blocks are counted once.
  Subnodes subnodeTree(std::uint64_t bid, const std::string& where, bool count) {
    if (count) reference(bid);
    const bool first = descendedSub_.insert(bidKey(bid)).second;
    Subnodes subs;
    std::set<std::uint64_t> seen;
    slblock(bid, where, subs, std::nullopt, std::nullopt, seen, count && first);
    return subs;
  }

  // An SLBLOCK or SIBLOCK; under an SIBLOCK its NIDs start at firstKey and stay below high.
  void slblock(std::uint64_t bid, const std::string& where, Subnodes& subs, std::optional<std::uint32_t> firstKey,
               std::optional<std::uint32_t> high, std::set<std::uint64_t>& seen, bool count) {
    const std::string at = where + ": subnode block " + hex(bid);
    if (!isInternal(bid)) {
      c_.problem(at + " is not an internal block");
      return;
    }
    if (!seen.insert(bidKey(bid)).second || seen.size() > 100000) {
      c_.problem(at + " is reached twice in one subnode tree");
      return;
    }
    auto d = c_.blockData(bid, where);
    if (!d) return;
    const Bytes s(*d);
    const int btype = u8(s, 0), level = u8(s, 1);
    const std::size_t cEnt = u16(s, 2);
    const std::size_t entSize = level == 0 ? 24 : 16;
    if (btype != 2 || level > 1) {
      c_.problem(at + ": btype/cLevel are " + std::to_string(btype) + "/" + std::to_string(level) + ", expected 2/0 or 2/1");
      return;
    }
    if (cEnt == 0 || s.size() < 8 + entSize * cEnt) {
      c_.problem(at + ": cEnt " + std::to_string(cEnt) + " does not fit the block's " + std::to_string(s.size()) + " bytes");
      return;
    }
    std::optional<std::uint32_t> previous;
    for (std::size_t k = 0; k < cEnt; ++k) {
      const Bytes e = s.subspan(8 + entSize * k, entSize);
      // Outlook leaves junk in the upper four bytes of subnode NIDs; only the low 32 bits count.
      const auto nid = u32(e, 0);
      if (previous && nid <= *previous)
        c_.problem(at + ": entry " + std::to_string(k) + " NID " + hex(nid) + " is not above the previous NID " +
                   hex(*previous));
      previous = nid;
      if (k == 0 && firstKey && nid != *firstKey)
        c_.problem(at + ": first NID " + hex(nid) + " differs from its SIBLOCK key " + hex(*firstKey));
      if (high && nid >= *high)
        c_.problem(at + ": NID " + hex(nid) + " is not below the next SIBLOCK key " + hex(*high));
      if (u32(e, 4) != 0) ++junkNids_;
      if (level == 1) {
        const auto child = u64(e, 8);
        if (count) reference(child);
        std::optional<std::uint32_t> next = high;
        if (k + 1 < cEnt) next = u32(s, 8 + entSize * (k + 1));
        slblock(child, where, subs, nid, next, seen, count);
        continue;
      }
      const auto bidData = u64(e, 8), bidSub = u64(e, 16);
      const std::string sub = where + " / subnode " + hex(nid);
      if (subs.count(nid)) c_.problem(at + ": subnode " + hex(nid) + " appears twice");
      auto data = bidData ? dataTree(bidData, sub, count) : nullptr;
      subs[nid] = data;
      Subnodes inner;
      if (bidSub) inner = subnodeTree(bidSub, sub, count);
      content(nid, bidData, bidSub, data.get(), inner, sub, false);
    }
  }

  // The node's data: a heap for PCs and TCs, a plain stream otherwise. What
  // a heap holds, kept only for top-level nodes, or null.
  std::shared_ptr<const HeapSummary> content(std::uint32_t nid, std::uint64_t bidData, std::uint64_t bidSub,
                                             const DataTree* data, const Subnodes& subs, const std::string& where,
                                             bool keep) {
    NodeContents* shown = keep ? c_.current : nullptr;
    if (shown) shown->kind = !data ? "empty" : data->ok && c_.header.cryptMethod != 2 ? "stream" : "unreadable";
    if (!data || !data->ok || c_.header.cryptMethod == 2) return nullptr;
    const auto key = std::make_pair(bidData, bidSub);
    if (auto it = checked_.find(key); it != checked_.end()) {  // a shared node is checked once
      if (auto first = shownFirst_.find(key); shown && first != shownFirst_.end()) {
        const NodeContents& earlier = c_.contents->nodes.at(first->second);
        shown->kind = earlier.kind;
        shown->properties = earlier.properties;
        shown->columns = earlier.columns;
        shown->rows = earlier.rows;
        shown->stream = earlier.stream;
      }
      return it->second;
    }
    auto& summary = checked_[key];
    if (shown) shownFirst_[key] = nid;
    const auto& b = data->blocks;
    const bool looksHeap = !b.empty() && b[0].size() >= 12 && b[0][2] == 0xEC;
    if (looksHeap && (nid & 0x1F) != 0x1F) {
      NodeContents* const outer = c_.current;
      c_.current = shown;  // a subnode's heap is not shown
      auto found = std::make_shared<const HeapSummary>(checkHeap(c_, where, *data, subs));
      c_.current = outer;
      if (keep) summary = found;
      return found;
    }
    if (shown && !b.empty()) shown->stream = streamText(b[0], data->size);
    if (c_.options.storeRules && heapType(nid)) {
      c_.problem(where + ": data is not a heap (bSig " + hex(b.empty() || b[0].size() < 3 ? 0 : b[0][2]) +
                 ", expected 0xec)");
      return nullptr;
    }
    // A plain stream: readers find byte n in block n / 8176.
    for (std::size_t k = 0; k + 1 < b.size(); ++k)
      if (b[k].size() != kMaxBlockData)
        c_.problem(where + ": stream block " + std::to_string(k) + " holds " + std::to_string(b[k].size()) +
                   " bytes; every block but the last must hold 8176");
    return nullptr;
  }

  Context& c_;
  std::set<std::uint64_t> descended_, descendedSub_;  // internal blocks whose children were counted
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::shared_ptr<const HeapSummary>> checked_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t> shownFirst_;  // data and subnodes -> NID shown
  std::size_t junkNids_ = 0;  // subnode entries with non-zero upper NID bytes
};

}  // namespace

void checkNodes(Context& c) {
  std::set<std::uint32_t> nids;
  for (const auto& n : c.nbt) nids.insert(n.nid);
  NodeWalk walk(c);
  for (const auto& n : c.nbt) {
    const std::string where = "node " + hex(n.nid);
    if (c.options.storeRules && n.nidParent && !nids.count(n.nidParent))
      c.problem(where + ": nidParent " + hex(n.nidParent) + " is not in the NBT");
    if (c.contents) {
      NodeContents& shown = c.contents->nodes[n.nid];
      shown.nid = n.nid;
      shown.parent = n.nidParent;
      c.current = &shown;
    }
    walk.node(n.nid, n.bidData, n.bidSub, where);
    c.current = nullptr;
  }
  // Outlook leaves junk there; readers use only the low 32 bits.
  if (walk.junkNids())
    c.note(std::to_string(walk.junkNids()) + " subnode entries carry non-zero upper NID bytes");
}

}  // namespace pst::verify

// The NBT and BBT (MS-PST 2.2.2.7.7): pages, levels, entry sizes, key order and key ranges.
#include <set>

#include "pst/verify/context.h"

namespace pst::verify {
namespace {

constexpr std::uint8_t kPtypeBbt = 0x80;
constexpr std::uint8_t kPtypeNbt = 0x81;

class TreeWalk {
 public:
  TreeWalk(Context& c, bool nbt) : c_(c), nbt_(nbt), name_(nbt ? "NBT" : "BBT") {}

  void run(std::uint64_t bid, std::uint64_t ib) { page(bid, ib, -1, std::nullopt, std::nullopt, 0); }

 private:
  // low: the key of the parent's entry for this page, which its first entry repeats.
  void page(std::uint64_t bid, std::uint64_t ib, int expectLevel, std::optional<std::uint64_t> low,
            std::optional<std::uint64_t> high, int depth) {
    const std::string where = name_ + " page " + hex(bid) + " at " + hex(ib);
    if (depth > 8) {
      c_.problem(where + ": the tree is deeper than 8 levels");
      return;
    }
    if (!visited_.insert(ib).second) {
      c_.problem(where + ": page reached twice (a cycle or a shared child)");
      return;
    }
    if (!checkPageTrailer(c_, ib, nbt_ ? kPtypeNbt : kPtypeBbt, bid, false, name_ + " page")) return;
    c_.extents.push_back({ib, kPageSize, where});
    if (bid > c_.highestPageBid) c_.highestPageBid = bid;

    const Bytes p = c_.file.subspan(ib, kPageSize);
    const int cEnt = u8(p, 0x1E8), cEntMax = u8(p, 0x1E9), cbEnt = u8(p, 0x1EA), cLevel = u8(p, 0x1EB);
    if (expectLevel >= 0 && cLevel != expectLevel) {
      c_.problem(where + ": cLevel is " + std::to_string(cLevel) + ", its parent expects " + std::to_string(expectLevel));
      return;
    }
    const int wantCb = cLevel > 0 ? 24 : (nbt_ ? 32 : 24);
    if (cbEnt != wantCb || cEntMax != 488 / wantCb) {
      c_.problem(where + ": cbEnt/cEntMax are " + std::to_string(cbEnt) + "/" + std::to_string(cEntMax) + ", expected " +
                 std::to_string(wantCb) + "/" + std::to_string(488 / wantCb));
      return;
    }
    if (u32(p, 0x1EC) != 0) c_.problem(where + ": dwPadding is " + hex(u32(p, 0x1EC)) + ", not 0");
    if (cEnt > cEntMax || cEnt == 0) {
      c_.problem(where + ": cEnt is " + std::to_string(cEnt) + " (1.." + std::to_string(cEntMax) + " allowed)");
      if (cEnt == 0) return;
    }
    const int n = std::min(cEnt, cEntMax);
    std::optional<std::uint64_t> previous;
    for (int k = 0; k < n; ++k) {
      const Bytes e = p.subspan(static_cast<std::size_t>(k * cbEnt), static_cast<std::size_t>(cbEnt));
      std::uint64_t key = u64(e, 0);
      if (nbt_ && cLevel == 0 && (key >> 32) != 0) {
        c_.problem(where + ": entry " + std::to_string(k) + " has NID " + hex(key) + " with non-zero upper bytes");
        key &= 0xFFFFFFFF;
      }
      if (previous && key <= *previous)
        c_.problem(where + ": entry " + std::to_string(k) + " key " + hex(key) + " is not above the previous key " +
                   hex(*previous));
      if ((low && key < *low) || (high && key >= *high))
        c_.problem(where + ": entry " + std::to_string(k) + " key " + hex(key) + " lies outside the parent's range " +
                   hex(low.value_or(0)) + ".." + (high ? hex(*high) : std::string("end")));
      else if (k == 0 && low && key != *low)
        c_.problem(where + ": first key " + hex(key) + " differs from the parent entry's key " + hex(*low));
      previous = key;
      if (cLevel > 0) {
        std::optional<std::uint64_t> next = high;
        if (k + 1 < n) next = u64(p, static_cast<std::size_t>((k + 1) * cbEnt));
        page(u64(e, 8), u64(e, 16), cLevel - 1, key, next, depth + 1);
      } else if (nbt_) {
        c_.nbt.push_back({static_cast<std::uint32_t>(key), u64(e, 8), u64(e, 16), u32(e, 24)});
      } else {
        leafBlock(where, k, e);
      }
    }
  }

  void leafBlock(const std::string& where, int k, Bytes e) {
    BbtEntry b;
    b.bid = u64(e, 0);
    b.ib = u64(e, 8);
    b.cb = u16(e, 16);
    b.cRef = u16(e, 18);
    if (b.bid & 1) c_.problem(where + ": entry " + std::to_string(k) + " BID " + hex(b.bid) + " has the reserved bit set");
    if (b.bid == 0) c_.problem(where + ": entry " + std::to_string(k) + " has BID 0");
    if (!c_.bbt.emplace(bidKey(b.bid), b).second)
      c_.problem(where + ": BID " + hex(b.bid) + " appears twice in the BBT");
  }

  Context& c_;
  bool nbt_;
  std::string name_;
  std::set<std::uint64_t> visited_;
};

}  // namespace

void checkBTrees(Context& c) {
  TreeWalk(c, true).run(c.header.nbtBid, c.header.nbtIb);
  TreeWalk(c, false).run(c.header.bbtBid, c.header.bbtIb);
  if (c.header.bidNextP <= c.highestPageBid)
    c.problem("header: bidNextP " + hex(c.header.bidNextP) + " is not above the highest B-tree page BID " +
              hex(c.highestPageBid));
  // rgnid[t] must stay at or above every NID index of type t in use.
  for (const auto& n : c.nbt) {
    const auto type = n.nid & 0x1F, index = n.nid >> 5;
    if (index > c.header.rgnid[type])
      c.problem("header: rgnid[" + hex(type) + "] is " + hex(c.header.rgnid[type]) + ", below the index of NID " +
                hex(n.nid));
  }
}

}  // namespace pst::verify

// Leaf entries of the NBT (NBTENTRY) and BBT (BBTENTRY), packed for memory
// and expanded to their on-disk form (MS-PST 2.2.2.7.7.3, 2.2.2.7.7.4).
#pragma once
#include <cstdint>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/ndb/layout.h"

namespace pst::ndb {

// BIDs have bit 0 clear, so bid >> 1 keeps the internal bit; 32 bits of it
// cover 2^31 blocks, far beyond any PST.
inline std::uint32_t packBid(std::uint64_t bid) {
  if ((bid >> 1) > 0xFFFFFFFFu) throw Error(ErrorKind::BadRequest, "block ID beyond this writer's range");
  return static_cast<std::uint32_t>(bid >> 1);
}
inline std::uint64_t unpackBid(std::uint32_t packed) { return std::uint64_t(packed) << 1; }

struct NbtTraits {
  struct Entry {
    std::uint32_t nid;
    std::uint32_t parent;
    std::uint32_t data;  // packed bidData
    std::uint32_t sub;   // packed bidSub
  };
  static constexpr int kLeafCap = 15;
  static constexpr int kEntrySize = 32;
  static constexpr PageType kPageType = ptypeNBT;
  static std::uint64_t key(const Entry& e) { return e.nid; }
  static void serialize(const Entry& e, std::uint8_t* out) {
    le::put<std::uint64_t>(out, e.nid);
    le::put<std::uint64_t>(out + 8, unpackBid(e.data));
    le::put<std::uint64_t>(out + 16, unpackBid(e.sub));
    le::put<std::uint32_t>(out + 24, e.parent);
    le::put<std::uint32_t>(out + 28, 0);
  }
};

struct BbtTraits {
  struct Entry {
    std::uint32_t bid;     // packed
    std::uint32_t ibUnit;  // file offset / 64
    std::uint16_t cb;
    std::uint16_t cRef;
  };
  static constexpr int kLeafCap = 20;
  static constexpr int kEntrySize = 24;
  static constexpr PageType kPageType = ptypeBBT;
  static std::uint64_t key(const Entry& e) { return unpackBid(e.bid); }
  static void serialize(const Entry& e, std::uint8_t* out) {
    le::put<std::uint64_t>(out, unpackBid(e.bid));
    le::put<std::uint64_t>(out + 8, std::uint64_t(e.ibUnit) * kUnitSize);
    le::put<std::uint16_t>(out + 16, e.cb);
    le::put<std::uint16_t>(out + 18, e.cRef);
    le::put<std::uint32_t>(out + 20, 0);
  }
};

}  // namespace pst::ndb

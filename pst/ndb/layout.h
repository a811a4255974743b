// Fixed geometry of a Unicode PST (MS-PST 2.2.2): map intervals, page and block sizes, signatures.
#pragma once
#include <cstdint>

namespace pst::ndb {

constexpr std::uint64_t kDListOffset = 0x4200;
constexpr std::uint64_t kFirstAMapOffset = 0x4400;
// One AMap covers 496 bytes x 8 bits x 64 bytes of file.
constexpr std::uint64_t kIntervalSize = 0x3E000;
constexpr std::uint64_t kPageSize = 512;
constexpr std::uint64_t kUnitSize = 64;
constexpr std::uint32_t kMapBytes = 496;
constexpr std::uint32_t kUnitsPerInterval = kMapBytes * 8;
constexpr std::size_t kHeaderSize = 0x234;
constexpr std::size_t kBlockTrailerSize = 16;
constexpr std::size_t kMaxBlockSize = 8192;

// Page types (PAGETRAILER.ptype).
enum PageType : std::uint8_t {
  ptypeBBT = 0x80,
  ptypeNBT = 0x81,
  ptypeFMap = 0x82,
  ptypePMap = 0x83,
  ptypeAMap = 0x84,
  ptypeFPMap = 0x85,
  ptypeDL = 0x86,
};

// Block reference: a BID and the file offset of what it names.
struct Bref {
  std::uint64_t bid = 0;
  std::uint64_t ib = 0;
};

// ComputeSig (MS-PST 5.5): the 16-bit signature of a page or block at ib with BID bid.
constexpr std::uint16_t computeSig(std::uint64_t ib, std::uint64_t bid) {
  std::uint32_t x = static_cast<std::uint32_t>(ib ^ bid);
  return static_cast<std::uint16_t>((x >> 16) ^ (x & 0xFFFF));
}

constexpr std::uint64_t intervalOffset(std::uint64_t interval) {
  return kFirstAMapOffset + interval * kIntervalSize;
}

// Bytes a block with cb data bytes takes on disk (data, padding, trailer).
constexpr std::uint32_t blockSizeOnDisk(std::size_t cb) {
  return static_cast<std::uint32_t>((cb + kBlockTrailerSize + kUnitSize - 1) / kUnitSize * kUnitSize);
}

// Map pages at the start of an interval, in file order: AMap always, a PMap
// every 8 intervals, an FMap from interval 128 every 496, an FPMap from 8192
// every 31744. Returns how many and fills types.
inline int mapPagesOfInterval(std::uint64_t i, PageType types[4]) {
  int n = 0;
  types[n++] = ptypeAMap;
  if (i % 8 == 0) types[n++] = ptypePMap;
  if (i >= 128 && (i - 128) % 496 == 0) types[n++] = ptypeFMap;
  if (i >= 8192 && (i - 8192) % 31744 == 0) types[n++] = ptypeFPMap;
  return n;
}

}  // namespace pst::ndb

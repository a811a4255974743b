// Block trailers and the internal blocks, laid out field by field.
#include "pst/ndb/block.h"

#include <cstring>

#include "pst/little_endian.h"
#include "pst/ndb/crc.h"

namespace pst::ndb {
namespace {

// btype, cLevel and cEnt open every internal block; dwPadding (SLBLOCK,
// SIBLOCK) or lcbTotal (XBLOCK, XXBLOCK) fill the header to 8 bytes.
constexpr std::size_t kInternalHeaderSize = 8;

std::vector<std::uint8_t> internalBlock(std::uint8_t btype, std::uint8_t cLevel, std::size_t cEnt,
                                        std::size_t entrySize) {
  std::vector<std::uint8_t> b(kInternalHeaderSize + entrySize * cEnt);
  b[0] = btype;
  b[1] = cLevel;
  le::put<std::uint16_t>(b, 2, static_cast<std::uint16_t>(cEnt));
  return b;
}

}  // namespace

void sealBlock(std::span<std::uint8_t> block, std::size_t cb, std::uint64_t ib, Bid bid) {
  std::uint8_t* trailer = block.data() + block.size() - kBlockTrailerSize;
  std::memset(block.data() + cb, 0, static_cast<std::size_t>(trailer - (block.data() + cb)));
  const BlockTrailer t{static_cast<std::uint16_t>(cb), computeSig(ib, bid), computeCrc(block.first(cb)), bid};
  le::put<std::uint16_t>(trailer, t.cb);
  le::put<std::uint16_t>(trailer + 2, t.wSig);
  le::put<std::uint32_t>(trailer + 4, t.dwCRC);
  le::put<std::uint64_t>(trailer + 8, t.bid);
}

std::vector<std::uint8_t> makeXBlock(std::uint8_t cLevel, std::span<const Bid> rgbid, std::uint32_t lcbTotal) {
  auto b = internalBlock(kBtypeXBlock, cLevel, rgbid.size(), 8);
  le::put<std::uint32_t>(b, 4, lcbTotal);
  for (std::size_t i = 0; i < rgbid.size(); ++i) le::put<std::uint64_t>(b, 8 + 8 * i, rgbid[i]);
  return b;
}

std::vector<std::uint8_t> makeSLBlock(std::span<const SLEntry> rgentries) {
  auto b = internalBlock(kBtypeSubnode, 0, rgentries.size(), 24);
  for (std::size_t i = 0; i < rgentries.size(); ++i) {
    const std::size_t at = kInternalHeaderSize + 24 * i;
    le::put<std::uint64_t>(b, at, rgentries[i].nid);
    le::put<std::uint64_t>(b, at + 8, rgentries[i].bidData);
    le::put<std::uint64_t>(b, at + 16, rgentries[i].bidSub);
  }
  return b;
}

std::vector<std::uint8_t> makeSIBlock(std::span<const SIEntry> rgentries) {
  auto b = internalBlock(kBtypeSubnode, 1, rgentries.size(), 16);
  for (std::size_t i = 0; i < rgentries.size(); ++i) {
    const std::size_t at = kInternalHeaderSize + 16 * i;
    le::put<std::uint64_t>(b, at, rgentries[i].nid);
    le::put<std::uint64_t>(b, at + 8, rgentries[i].bid);
  }
  return b;
}

std::optional<std::vector<Bid>> internalBlockReferences(std::span<const std::uint8_t> data) {
  if (data.size() < kInternalHeaderSize) return std::nullopt;
  const std::uint8_t btype = data[0];
  const std::uint8_t cLevel = data[1];
  const std::size_t cEnt = le::get<std::uint16_t>(data, 2);
  // Entries past the end of data are not read.
  auto fits = [&](std::size_t i, std::size_t entrySize) {
    return kInternalHeaderSize + entrySize * (i + 1) <= data.size();
  };
  std::vector<Bid> out;
  if (btype == kBtypeXBlock) {
    for (std::size_t i = 0; i < cEnt && fits(i, 8); ++i) out.push_back(le::get<std::uint64_t>(data, 8 + 8 * i));
  } else if (btype == kBtypeSubnode && cLevel == 0) {
    for (std::size_t i = 0; i < cEnt && fits(i, 24); ++i) {
      out.push_back(le::get<std::uint64_t>(data, 16 + 24 * i));  // bidData
      out.push_back(le::get<std::uint64_t>(data, 24 + 24 * i));  // bidSub
    }
  } else if (btype == kBtypeSubnode) {
    for (std::size_t i = 0; i < cEnt && fits(i, 16); ++i) out.push_back(le::get<std::uint64_t>(data, 16 + 16 * i));
  } else {
    return std::nullopt;
  }
  return out;
}

}  // namespace pst::ndb

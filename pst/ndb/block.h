// Blocks (MS-PST 2.2.2.8): the BLOCKTRAILER every block ends with, and the
// internal blocks that build trees of blocks: XBLOCK/XXBLOCK over the data
// blocks of one stream, SLBLOCK/SIBLOCK over a node's subnodes.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/layout.h"
#include "pst/ndb/node_data.h"

namespace pst::ndb {

// btype of the internal blocks; cLevel tells the two of each apart.
constexpr std::uint8_t kBtypeXBlock = 0x01;   // XBLOCK (cLevel 1), XXBLOCK (cLevel 2)
constexpr std::uint8_t kBtypeSubnode = 0x02;  // SLBLOCK (cLevel 0), SIBLOCK (cLevel 1)

// Entries one internal block holds after its 8-byte header.
constexpr std::size_t kXBlockMaxEntries = (kMaxBlockData - 8) / 8;    // 1021 BIDs
constexpr std::size_t kSLBlockMaxEntries = (kMaxBlockData - 8) / 24;  // 340 SLENTRYs
constexpr std::size_t kSIBlockMaxEntries = (kMaxBlockData - 8) / 16;  // 510 SIENTRYs

struct BlockTrailer {
  std::uint16_t cb = 0;     // data bytes
  std::uint16_t wSig = 0;   // computeSig(ib, bid)
  std::uint32_t dwCRC = 0;  // of the data as stored (encoded)
  Bid bid = 0;
};

// Completes a block in place: block is the whole block as it goes to disk
// (blockSizeOnDisk(cb) bytes at file offset ib) whose first cb bytes hold its
// data as stored; pads the rest with zeros and ends it with its BLOCKTRAILER.
void sealBlock(std::span<std::uint8_t> block, std::size_t cb, std::uint64_t ib, Bid bid);

// SLENTRY: one subnode, its data tree and its own subnode tree (0: none).
struct SLEntry {
  Nid nid = 0;
  Bid bidData = 0;
  Bid bidSub = 0;
};
// SIENTRY: the first NID of an SLBLOCK and its BID.
struct SIEntry {
  Nid nid = 0;
  Bid bid = 0;
};

// The data of the internal blocks (at most kMaxBlockData bytes for at most
// the entries above), to be stored as an internal block.
// XBLOCK (cLevel 1: rgbid are data blocks) or XXBLOCK (cLevel 2: rgbid are
// XBLOCKs); lcbTotal is the length of the whole stream below.
std::vector<std::uint8_t> makeXBlock(std::uint8_t cLevel, std::span<const Bid> rgbid, std::uint32_t lcbTotal);
std::vector<std::uint8_t> makeSLBlock(std::span<const SLEntry> rgentries);
std::vector<std::uint8_t> makeSIBlock(std::span<const SIEntry> rgentries);

// Every BID an internal block's data refers to: the rgbid of an XBLOCK or
// XXBLOCK, bidData and bidSub of each SLENTRY (0 for none), the bid of each
// SIENTRY. Nothing when data is not one of these blocks.
std::optional<std::vector<Bid>> internalBlockReferences(std::span<const std::uint8_t> data);

}  // namespace pst::ndb

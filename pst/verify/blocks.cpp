// Blocks (MS-PST 2.2.2.8): placement, size and trailer of every BBT entry, then
// the reference counts against the references found from the nodes.
#include "pst/verify/codec.h"
#include "pst/verify/context.h"

namespace pst::verify {

void checkBlocks(Context& c) {
  std::uint64_t highest = 0;
  for (auto& [key, b] : c.bbt) {
    const std::string where = "block " + hex(b.bid) + " at " + hex(b.ib);
    if (key > highest) highest = key;
    if (b.cb > kMaxBlockData) {
      c.problem(where + ": cb " + std::to_string(b.cb) + " is above 8176");
      continue;
    }
    const std::uint64_t size = (b.cb + 16 + 63) / 64 * 64;
    if (b.ib % 64 != 0 || b.ib < kFirstAMap || b.ib > c.file.size() || c.file.size() - b.ib < size) {
      c.problem(where + ": not a 64-byte aligned block of " + std::to_string(size) + " bytes inside the file");
      continue;
    }
    if ((b.ib - kFirstAMap) / kAMapInterval != (b.ib + size - 1 - kFirstAMap) / kAMapInterval)
      c.problem(where + ": crosses the end of its AMap interval");
    c.extents.push_back({b.ib, size, where});
    const Bytes trailer = c.file.subspan(b.ib + size - 16, 16);
    bool ok = true;
    if (u16(trailer, 0) != b.cb) {
      c.problem(where + ": trailer cb is " + std::to_string(u16(trailer, 0)) + ", the BBT says " + std::to_string(b.cb));
      ok = false;
    }
    if (u16(trailer, 2) != pstSig(b.ib, b.bid))
      c.problem(where + ": wSig is " + hex(u16(trailer, 2)) + ", expected " + hex(pstSig(b.ib, b.bid)));
    if (u64(trailer, 8) != b.bid) {
      c.problem(where + ": trailer BID is " + hex(u64(trailer, 8)));
      ok = false;
    }
    const auto crc = pstCrc(c.file.subspan(b.ib, b.cb));
    if (u32(trailer, 4) != crc) {
      c.problem(where + ": block CRC is " + hex(u32(trailer, 4)) + ", the data gives " + hex(crc));
      ok = false;
    }
    b.blockOk = ok;
  }
  if (!c.bbt.empty() && c.header.bidNextB <= highest)
    c.problem("header: bidNextB " + hex(c.header.bidNextB) + " is not above the highest block BID " + hex(highest));
}

void checkReferences(Context& c) {
  for (const auto& [key, b] : c.bbt) {
    const auto it = c.references.find(key);
    const std::uint32_t refs = it == c.references.end() ? 0 : it->second;
    if (refs == 0 && b.cRef == 1) {
      // Outlook 2007 leaves such leaked blocks behind; harmless to a reader.
      c.note("block " + hex(b.bid) + " at " + hex(b.ib) + " has cRef 1 and nothing references it");
    } else if (refs == 0) {
      c.problem("block " + hex(b.bid) + " at " + hex(b.ib) + " has cRef " + std::to_string(b.cRef) +
                " but no node references it");
    } else if (b.cRef != refs + 1) {
      c.problem("block " + hex(b.bid) + " at " + hex(b.ib) + " has cRef " + std::to_string(b.cRef) + ", expected " +
                std::to_string(refs + 1) + " (1 + " + std::to_string(refs) + " references)");
    }
  }
}

}  // namespace pst::verify

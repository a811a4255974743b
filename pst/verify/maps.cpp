// Allocation map pages (MS-PST 2.2.2.7.2-7.4): their places and trailers, then the
// AMap bits and free-space counters against the pages and blocks actually live.
#include <algorithm>

#include "pst/verify/codec.h"
#include "pst/verify/context.h"

namespace pst::verify {
namespace {

constexpr std::uint64_t kUnit = 64;
constexpr std::uint64_t kUnitsPerInterval = kAMapInterval / kUnit;  // 3968

std::uint64_t intervalCount(const Context& c) { return (c.file.size() - kFirstAMap) / kAMapInterval; }
std::uint64_t amapAt(std::uint64_t i) { return kFirstAMap + i * kAMapInterval; }
bool hasPMap(std::uint64_t i) { return i % 8 == 0; }
bool hasFMap(std::uint64_t i) { return i >= 128 && (i - 128) % 496 == 0; }
bool hasFPMap(std::uint64_t i) { return i >= 8192 && (i - 8192) % 31744 == 0; }

bool bitSet(Bytes bits, std::uint64_t n) { return (bits[n >> 3] & (0x80 >> (n & 7))) != 0; }

const char* pageName(std::uint8_t ptype) {
  switch (ptype) {
    case 0x80: return "BBT page";
    case 0x81: return "NBT page";
    case 0x82: return "FMap";
    case 0x83: return "PMap";
    case 0x84: return "AMap";
    case 0x85: return "FPMap";
    case 0x86: return "DList";
  }
  return "page";
}

}  // namespace

bool checkPageTrailer(Context& c, std::uint64_t ib, std::uint8_t ptype, std::uint64_t bid, bool mapPage,
                      const std::string& what) {
  if (ib % kPageSize != 0 || ib + kPageSize > c.file.size()) {
    c.problem(what + " at " + hex(ib) + ": not a 512-byte page inside the file");
    return false;
  }
  const Bytes page = c.file.subspan(ib, kPageSize);
  const auto type = u8(page, 0x1F0), repeat = u8(page, 0x1F1);
  const auto wSig = u16(page, 0x1F2);
  const auto crc = u32(page, 0x1F4);
  const auto storedBid = u64(page, 0x1F8);
  bool ok = true;
  if (type != ptype || repeat != ptype) {
    c.problem(what + " at " + hex(ib) + ": ptype/ptypeRepeat are " + hex(type) + "/" + hex(repeat) + ", expected " +
              hex(ptype) + " (" + pageName(ptype) + ")");
    ok = false;
  }
  const std::uint64_t expectBid = mapPage ? ib : (bid ? bid : storedBid);
  if (storedBid != expectBid) {
    c.problem(what + " at " + hex(ib) + ": trailer BID is " + hex(storedBid) + ", expected " + hex(expectBid));
    ok = false;
  }
  const std::uint16_t expectSig = mapPage ? 0 : pstSig(ib, storedBid);
  if (wSig != expectSig)
    c.problem(what + " at " + hex(ib) + ": wSig is " + hex(wSig) + ", expected " + hex(expectSig));
  const auto actual = pstCrc(page.first(0x1F0));
  if (crc != actual) {
    c.problem(what + " at " + hex(ib) + ": page CRC is " + hex(crc) + ", the bytes give " + hex(actual));
    ok = false;
  }
  return ok;
}

void checkMapPages(Context& c) {
  for (std::uint64_t i = 0; i < intervalCount(c); ++i) {
    const auto amap = amapAt(i);
    checkPageTrailer(c, amap, 0x84, 0, true, "AMap");
    c.extents.push_back({amap, kPageSize, "AMap at " + hex(amap)});
    if (hasPMap(i)) {
      checkPageTrailer(c, amap + 0x200, 0x83, 0, true, "PMap");
      c.extents.push_back({amap + 0x200, kPageSize, "PMap at " + hex(amap + 0x200)});
    }
    if (hasFMap(i)) {
      checkPageTrailer(c, amap + 0x400, 0x82, 0, true, "FMap");
      c.extents.push_back({amap + 0x400, kPageSize, "FMap at " + hex(amap + 0x400)});
    }
    if (hasFPMap(i)) {
      checkPageTrailer(c, amap + 0x600, 0x85, 0, true, "FPMap");
      c.extents.push_back({amap + 0x600, kPageSize, "FPMap at " + hex(amap + 0x600)});
    }
  }
  checkPageTrailer(c, kDListOffset, 0x86, 0, false, "DList");
  const auto entries = u8(c.file, kDListOffset + 1);
  if (entries > 119) c.problem("DList at 0x4200: cEntDList is " + std::to_string(entries) + ", more than 119");
}

void checkAllocation(Context& c) {
  const auto intervals = intervalCount(c);
  const std::uint64_t units = intervals * kUnitsPerInterval;
  // Which live item covers each 64-byte unit (index into extents, or -1).
  std::vector<std::int32_t> owner(units, -1);
  std::sort(c.extents.begin(), c.extents.end(), [](const Extent& a, const Extent& b) { return a.ib < b.ib; });
  const Extent* previous = nullptr;
  for (std::size_t k = 0; k < c.extents.size(); ++k) {
    const auto& e = c.extents[k];
    if (previous && previous->ib + previous->size > e.ib)
      c.problem(e.what + " at " + hex(e.ib) + " overlaps " + previous->what + " at " + hex(previous->ib));
    if (!previous || e.ib + e.size > previous->ib + previous->size) previous = &e;
    if (e.ib < kFirstAMap || e.ib + e.size > kFirstAMap + units * kUnit) continue;  // reported where found
    for (auto u = (e.ib - kFirstAMap) / kUnit; u < (e.ib + e.size - kFirstAMap + kUnit - 1) / kUnit; ++u)
      if (owner[u] < 0) owner[u] = static_cast<std::int32_t>(k);
  }

  std::uint64_t freeUnits = 0, reservedPages = 0;
  for (std::uint64_t i = 0; i < intervals; ++i) {
    const auto amap = amapAt(i);
    const Bytes bits = c.file.subspan(amap, 496);
    const Bytes pmapBits = c.file.subspan(amapAt(i - i % 8) + 0x200, 496);
    int reported = 0;
    for (std::uint64_t u = 0; u < kUnitsPerInterval;) {
      const auto g = i * kUnitsPerInterval + u;
      const bool marked = bitSet(bits, u);
      const bool live = owner[g] >= 0;
      if (!marked) ++freeUnits;
      if (marked == live) {
        ++u;
        continue;
      }
      // Older Outlook keeps free pages in reserve: the AMap marks a whole page,
      // nothing lives there and the PMap bit of the page is 0.
      if (marked && u % 8 == 0) {
        const auto page = (i % 8) * (kUnitsPerInterval / 8) + u / 8;
        bool whole = true;
        for (std::uint64_t k = 0; k < 8; ++k) whole = whole && bitSet(bits, u + k) && owner[g + k] < 0;
        if (whole && !bitSet(pmapBits, page)) {
          ++reservedPages;
          u += 8;
          continue;
        }
      }
      // A run of units with the same mismatch.
      std::uint64_t end = u + 1;
      while (end < kUnitsPerInterval && bitSet(bits, end) == marked && (owner[i * kUnitsPerInterval + end] >= 0) == live)
        ++end;
      for (auto k = u + 1; k < end; ++k)
        if (!marked) ++freeUnits;
      if (reported++ < 8) {
        const auto from = amap + u * kUnit, to = amap + end * kUnit;
        if (marked)
          c.problem("AMap at " + hex(amap) + ": bytes " + hex(from) + ".." + hex(to) +
                    " are marked allocated but no page or block lives there");
        else
          c.problem("AMap at " + hex(amap) + ": bytes " + hex(from) + ".." + hex(to) + " hold " +
                    c.extents[static_cast<std::size_t>(owner[g])].what + " but are marked free");
      }
      u = end;
    }
  }
  if (c.header.cbAMapFree != freeUnits * kUnit)
    c.problem("ROOT: cbAMapFree is " + hex(c.header.cbAMapFree) + ", the AMaps have " + hex(freeUnits * kUnit) +
              " bytes free");
  if (c.header.cbPMapFree != reservedPages * kPageSize)
    c.problem("ROOT: cbPMapFree is " + hex(c.header.cbPMapFree) + ", the PMaps hold " + hex(reservedPages * kPageSize) +
              " bytes of reserved free pages");
}

}  // namespace pst::verify

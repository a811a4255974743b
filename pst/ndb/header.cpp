// Serialises the Unicode HEADER with both CRCs.
#include "pst/ndb/header.h"

#include "pst/little_endian.h"
#include "pst/ndb/crc.h"

namespace pst::ndb {

std::array<std::uint8_t, kHeaderSize> serializeHeader(const HeaderFields& h) {
  std::array<std::uint8_t, kHeaderSize> b{};
  b[0] = '!';
  b[1] = 'B';
  b[2] = 'D';
  b[3] = 'N';
  b[8] = 'S';
  b[9] = 'M';
  le::put<std::uint16_t>(b, 0x0A, 23);  // wVer: Unicode
  le::put<std::uint16_t>(b, 0x0C, 19);  // wVerClient
  b[0x0E] = 1;          // bPlatformCreate
  b[0x0F] = 1;          // bPlatformAccess
  le::put<std::uint64_t>(b, 0x20, h.bidNextP);
  le::put<std::uint32_t>(b, 0x28, h.dwUnique);
  for (std::size_t t = 0; t < 32; ++t) le::put<std::uint32_t>(b, 0x2C + 4 * t, h.rgnid[t]);
  le::put<std::uint64_t>(b, 0xB8, h.ibFileEof);
  le::put<std::uint64_t>(b, 0xC0, h.ibAMapLast);
  le::put<std::uint64_t>(b, 0xC8, h.cbAMapFree);
  le::put<std::uint64_t>(b, 0xD0, h.cbPMapFree);
  le::put<std::uint64_t>(b, 0xD8, h.nbt.bid);
  le::put<std::uint64_t>(b, 0xE0, h.nbt.ib);
  le::put<std::uint64_t>(b, 0xE8, h.bbt.bid);
  le::put<std::uint64_t>(b, 0xF0, h.bbt.ib);
  b[0xF8] = h.fAMapValid;
  // rgbFM and rgbFP are deprecated and filled with 0xFF, as Outlook does.
  for (std::size_t i = 0x100; i < 0x200; ++i) b[i] = 0xFF;
  b[0x200] = 0x80;  // bSentinel
  b[0x201] = h.cryptMethod;
  le::put<std::uint64_t>(b, 0x204, h.bidNextB);
  std::span<const std::uint8_t> all(b);
  le::put<std::uint32_t>(b, 0x04, computeCrc(all.subspan(8, 471)));
  le::put<std::uint32_t>(b, 0x20C, computeCrc(all.subspan(8, 516)));
  return b;
}

std::array<std::uint32_t, 32> initialRgnid() {
  std::array<std::uint32_t, 32> r{};
  r.fill(0x400);
  r[0x03] = 0x4000;   // search folders
  r[0x04] = 0x10000;  // normal messages
  r[0x08] = 0x8000;   // associated messages
  return r;
}

}  // namespace pst::ndb

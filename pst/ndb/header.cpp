// Serialises the Unicode HEADER with both CRCs.
#include "pst/ndb/header.h"

#include "pst/ndb/bytes.h"
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
  putU16(b, 0x0A, 23);  // wVer: Unicode
  putU16(b, 0x0C, 19);  // wVerClient
  b[0x0E] = 1;          // bPlatformCreate
  b[0x0F] = 1;          // bPlatformAccess
  putU64(b, 0x20, h.bidNextP);
  putU32(b, 0x28, h.dwUnique);
  for (std::size_t t = 0; t < 32; ++t) putU32(b, 0x2C + 4 * t, h.rgnid[t]);
  putU64(b, 0xB8, h.ibFileEof);
  putU64(b, 0xC0, h.ibAMapLast);
  putU64(b, 0xC8, h.cbAMapFree);
  putU64(b, 0xD0, h.cbPMapFree);
  putU64(b, 0xD8, h.nbt.bid);
  putU64(b, 0xE0, h.nbt.ib);
  putU64(b, 0xE8, h.bbt.bid);
  putU64(b, 0xF0, h.bbt.ib);
  b[0xF8] = h.fAMapValid;
  // rgbFM and rgbFP are deprecated and filled with 0xFF, as Outlook does.
  for (std::size_t i = 0x100; i < 0x200; ++i) b[i] = 0xFF;
  b[0x200] = 0x80;  // bSentinel
  b[0x201] = h.cryptMethod;
  putU64(b, 0x204, h.bidNextB);
  std::span<const std::uint8_t> all(b);
  putU32(b, 0x04, computeCrc(all.subspan(8, 471)));
  putU32(b, 0x20C, computeCrc(all.subspan(8, 516)));
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

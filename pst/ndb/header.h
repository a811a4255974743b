// The Unicode HEADER and its ROOT (MS-PST 2.2.2.5, 2.2.2.6).
#pragma once
#include <array>
#include <cstdint>

#include "pst/ndb/layout.h"

namespace pst::ndb {

// fAMapValid values.
constexpr std::uint8_t kAMapInvalid = 0x00;
constexpr std::uint8_t kAMapValid2 = 0x02;

struct HeaderFields {
  std::uint64_t bidNextP = 0;
  std::uint64_t bidNextB = 0;
  std::uint32_t dwUnique = 0;
  std::array<std::uint32_t, 32> rgnid{};
  // ROOT
  std::uint64_t ibFileEof = 0;
  std::uint64_t ibAMapLast = 0;
  std::uint64_t cbAMapFree = 0;
  std::uint64_t cbPMapFree = 0;
  Bref nbt;
  Bref bbt;
  std::uint8_t fAMapValid = kAMapInvalid;
  std::uint8_t cryptMethod = 1;
};

// The 564 header bytes with dwCRCPartial and dwCRCFull computed.
std::array<std::uint8_t, kHeaderSize> serializeHeader(const HeaderFields& h);

// The rgnid[] a new file starts from.
std::array<std::uint32_t, 32> initialRgnid();

}  // namespace pst::ndb

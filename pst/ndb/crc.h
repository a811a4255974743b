// The MS-PST CRC (5.3): reflected CRC-32 polynomial, register starting at 0, no final XOR.
#pragma once
#include <cstdint>
#include <span>

namespace pst::ndb {

// CRC of data, continuing from crc (0 for a fresh CRC). Used for the header,
// page and block trailers, and for the named-property string hash.
std::uint32_t computeCrc(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

}  // namespace pst::ndb

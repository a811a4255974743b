// The PST CRC (MS-PST 5.3), block signatures (5.5) and the permute decoding (5.1).
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace pst::verify {

// CRC-32 with the reflected polynomial, initial register 0 and no final XOR.
std::uint32_t pstCrc(std::span<const std::uint8_t> data);
// ComputeSig: the 16-bit signature of a page or block from its offset and BID.
std::uint16_t pstSig(std::uint64_t ib, std::uint64_t bid);
// Undoes NDB_CRYPT_PERMUTE in place.
void permuteDecode(std::span<std::uint8_t> data);

}  // namespace pst::verify

// Block data encoding (MS-PST 5.1): NDB_CRYPT_PERMUTE byte substitution.
#pragma once
#include <cstdint>
#include <span>

namespace pst::ndb {

// Encodes data in place with mpbbR (what a writer stores for bCryptMethod 1).
void permuteEncode(std::span<std::uint8_t> data);
// Decodes data in place with mpbbI, the inverse of mpbbR.
void permuteDecode(std::span<std::uint8_t> data);

}  // namespace pst::ndb

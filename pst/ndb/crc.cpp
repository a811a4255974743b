// The MS-PST CRC, table-driven and sliced eight bytes at a time; on x86-64
// processors with carry-less multiplication, long runs are folded sixteen
// bytes at a time instead (Gopal et al., "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ Instruction", Intel, 2009).
#include "pst/ndb/crc.h"

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PST_CRC_FOLDING 1
#include <immintrin.h>
#endif

namespace pst::ndb {
namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int k = 0; k < 8; ++k) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
    t[0][i] = r;
  }
  for (std::size_t s = 1; s < 8; ++s)
    for (std::size_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}

constexpr Tables kTables = makeTables();

std::uint32_t slicedCrc(const std::uint8_t* p, std::size_t n, std::uint32_t crc) {
  while (n >= 8) {
    std::uint32_t lo = crc ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                              std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
          kTables[4][lo >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
          kTables[0][p[7]];
    p += 8;
    n -= 8;
  }
  while (n--) crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
  return crc;
}

#ifdef PST_CRC_FOLDING

// The register after n bytes (n >= 64, a multiple of 16). Four 128-bit lanes
// are folded forward 512 bits per step, then into one lane, then reduced to
// 32 bits (Barrett). The constants are x^k mod P for the reflected
// polynomial, bit-reflected, as the paper lists them for CRC-32.
#define PST_CRC_TARGET __attribute__((target("pclmul,sse4.1")))

PST_CRC_TARGET inline __m128i load16(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// lane's low half times the constants' low (x^(width + 64)) and its high half
// times their high (x^width), onto next: lane moved width bits forward.
PST_CRC_TARGET inline __m128i fold(__m128i lane, __m128i constants, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

PST_CRC_TARGET std::uint32_t foldedCrc(const std::uint8_t* p, std::size_t n, std::uint32_t crc) {
  const auto load = load16;
  const __m128i by512 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  const __m128i by128 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
  const __m128i by64 = _mm_set_epi64x(0, 0x163cd6124);
  const __m128i barrett = _mm_set_epi64x(0x1f7011641, 0x1db710641);
  const __m128i low32 = _mm_set_epi32(0, -1, 0, -1);

  __m128i lane[4] = {_mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc))), load(p + 16), load(p + 32),
                     load(p + 48)};
  p += 64;
  n -= 64;
  for (; n >= 64; p += 64, n -= 64) {
    for (int i = 0; i < 4; ++i) lane[i] = fold(lane[i], by512, load(p + 16 * i));
  }
  __m128i x = lane[0];
  for (int i = 1; i < 4; ++i) x = fold(x, by128, lane[i]);
  for (; n >= 16; p += 16, n -= 16) x = fold(x, by128, load(p));

  // 128 bits to 64: the low half times x^64 onto the high half.
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, by128, 0x10));
  // 64 bits to 32 (plus the 32 to reduce).
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), by64, 0x00));
  // Barrett reduction of the remaining 64 bits.
  __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), barrett, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, q), 1));
}

bool canFold() {
  static const bool can = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  }();
  return can;
}

#endif

}  // namespace

std::uint32_t computeCrc(std::span<const std::uint8_t> data, std::uint32_t crc) {
  const std::uint8_t* p = data.data();
  std::size_t n = data.size();
#ifdef PST_CRC_FOLDING
  if (n >= 256 && canFold()) {
    const std::size_t folded = n & ~std::size_t{15};
    crc = foldedCrc(p, folded, crc);
    p += folded;
    n -= folded;
  }
#endif
  return slicedCrc(p, n, crc);
}

}  // namespace pst::ndb

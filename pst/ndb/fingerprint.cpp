// Four xxHash-style lanes keep the multiplier pipeline busy; the seed is
// drawn once per process.
#include "pst/ndb/fingerprint.h"

#include <random>

#include "pst/little_endian.h"

namespace pst::ndb {
namespace {

constexpr std::uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;

constexpr std::uint64_t rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
constexpr std::uint64_t lane(std::uint64_t acc, std::uint64_t w) { return rotl(acc + w * kP2, 31) * kP1; }
constexpr std::uint64_t avalanche(std::uint64_t h) {
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  h *= 0x165667B19E3779F9ull;
  return h ^ (h >> 32);
}

const std::uint64_t kFingerprintSeed = [] {
  std::random_device rd;
  return (std::uint64_t(rd()) << 32) | rd();
}();

}  // namespace

Fingerprint fingerprint(std::span<const std::uint8_t> data) {
  const std::uint8_t* p = data.data();
  const std::size_t n = data.size();
  std::uint64_t v[4] = {kFingerprintSeed + kP1 + kP2, kFingerprintSeed + kP2, kFingerprintSeed ^ kP1,
                        kFingerprintSeed - kP1};
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32)
    for (int k = 0; k < 4; ++k) v[k] = lane(v[k], le::get<std::uint64_t>(p + i + 8 * k));
  std::uint64_t tail[5] = {n, 0, 0, 0, 0};  // the length, then up to 31 bytes left
  for (std::size_t k = 0; i < n; ++i, ++k) tail[1 + k / 8] |= std::uint64_t(p[i]) << (8 * (k % 8));
  for (int k = 0; k < 4; ++k) v[k] = lane(v[k], tail[k]);
  v[0] = lane(v[0], tail[4]);
  return {avalanche(v[0] ^ rotl(v[1], 17) ^ rotl(v[2], 31) ^ rotl(v[3], 47)),
          avalanche(v[3] + rotl(v[2], 13) + rotl(v[1], 29) + rotl(v[0], 43) + kP1)};
}

}  // namespace pst::ndb

// Bounds-checked little-endian reads for the checker.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace pst::verify {

using Bytes = std::span<const std::uint8_t>;

// Reads an unsigned little-endian integer of N bytes at off; 0 past the end
// (callers check sizes first, this only keeps a corrupt file from crashing us).
template <std::size_t N>
inline std::uint64_t le(Bytes b, std::size_t off) {
  if (off > b.size() || b.size() - off < N) return 0;
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < N; ++i) v |= std::uint64_t(b[off + i]) << (8 * i);
  return v;
}
inline std::uint8_t u8(Bytes b, std::size_t off) { return static_cast<std::uint8_t>(le<1>(b, off)); }
inline std::uint16_t u16(Bytes b, std::size_t off) { return static_cast<std::uint16_t>(le<2>(b, off)); }
inline std::uint32_t u32(Bytes b, std::size_t off) { return static_cast<std::uint32_t>(le<4>(b, off)); }
inline std::uint64_t u64(Bytes b, std::size_t off) { return le<8>(b, off); }

// "0x1a2b" for messages.
inline std::string hex(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
  return buf;
}

}  // namespace pst::verify

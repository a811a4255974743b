// Little-endian reads and writes of fixed-width integers into byte buffers.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>

namespace pst::ndb {

template <class T>
inline void putLe(std::uint8_t* at, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) at[i] = static_cast<std::uint8_t>(std::uint64_t(value) >> (8 * i));
}
template <class T>
inline T getLe(const std::uint8_t* at) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= std::uint64_t(at[i]) << (8 * i);
  return static_cast<T>(v);
}

inline void putU16(std::span<std::uint8_t> b, std::size_t off, std::uint16_t v) { putLe(b.data() + off, v); }
inline void putU32(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) { putLe(b.data() + off, v); }
inline void putU64(std::span<std::uint8_t> b, std::size_t off, std::uint64_t v) { putLe(b.data() + off, v); }
inline std::uint16_t getU16(std::span<const std::uint8_t> b, std::size_t off) { return getLe<std::uint16_t>(b.data() + off); }
inline std::uint32_t getU32(std::span<const std::uint8_t> b, std::size_t off) { return getLe<std::uint32_t>(b.data() + off); }
inline std::uint64_t getU64(std::span<const std::uint8_t> b, std::size_t off) { return getLe<std::uint64_t>(b.data() + off); }

}  // namespace pst::ndb

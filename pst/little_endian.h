// Little-endian reads and writes of fixed-width integers: every multi-byte
// field the writer puts into a page, block, heap or stream goes through here.
// The width is always named at the call (le::put<std::uint16_t>), so a value
// of another type never changes how many bytes are written.
#pragma once
#include <bit>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

namespace pst::le {

template <std::integral T>
inline void put(std::uint8_t* at, std::type_identity_t<T> value) {
  auto v = static_cast<std::make_unsigned_t<T>>(value);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &v, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof v; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

template <std::integral T>
inline T get(const std::uint8_t* at) {
  std::make_unsigned_t<T> v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, at, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof v; ++i) v |= static_cast<decltype(v)>(decltype(v)(at[i]) << (8 * i));
  }
  return static_cast<T>(v);
}

// The same at an offset into a buffer.
template <std::integral T>
inline void put(std::span<std::uint8_t> bytes, std::size_t offset, std::type_identity_t<T> value) {
  assert(offset + sizeof(T) <= bytes.size());
  put<T>(bytes.data() + offset, value);
}

template <std::integral T>
inline T get(std::span<const std::uint8_t> bytes, std::size_t offset) {
  assert(offset + sizeof(T) <= bytes.size());
  return get<T>(bytes.data() + offset);
}

// Appends the value's bytes to a stream.
template <std::integral T>
inline void append(std::vector<std::uint8_t>& out, std::type_identity_t<T> value) {
  std::uint8_t bytes[sizeof(T)];
  put<T>(bytes, value);
  out.insert(out.end(), bytes, bytes + sizeof(T));
}

}  // namespace pst::le

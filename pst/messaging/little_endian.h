// Little-endian integer writes and reads for the messaging layer's own streams.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace pst::le {

template <typename T>
  requires std::is_integral_v<T>
void append(std::vector<std::uint8_t>& out, T value) {
  using U = std::make_unsigned_t<T>;
  auto v = static_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

template <typename T>
  requires std::is_integral_v<T>
T read(std::span<const std::uint8_t> in, std::size_t offset) {
  using U = std::make_unsigned_t<T>;
  U v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<U>(static_cast<U>(in[offset + i]) << (8 * i));
  return static_cast<T>(v);
}

}  // namespace pst::le

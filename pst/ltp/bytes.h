// Little-endian reads and writes: every multi-byte field of the LTP layer goes through here.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

namespace pst::ltp::le {

inline void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, static_cast<std::uint16_t>(v));
  put16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void put64(std::uint8_t* p, std::uint64_t v) {
  put32(p, static_cast<std::uint32_t>(v));
  put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
inline std::uint16_t get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t get32(const std::uint8_t* p) {
  return get16(p) | (static_cast<std::uint32_t>(get16(p + 2)) << 16);
}
inline std::uint64_t get64(const std::uint8_t* p) {
  return get32(p) | (static_cast<std::uint64_t>(get32(p + 4)) << 32);
}

inline void append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  append16(out, static_cast<std::uint16_t>(v));
  append16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void append64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  append32(out, static_cast<std::uint32_t>(v));
  append32(out, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace pst::ltp::le

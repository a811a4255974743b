// Little-endian writes for the binary property values the converter makes.
#pragma once
#include <cstdint>
#include <vector>

namespace vcard::detail {

inline void appendLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  appendLe16(out, static_cast<std::uint16_t>(v));
  appendLe16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace vcard::detail

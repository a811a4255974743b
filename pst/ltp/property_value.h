// Typed property values (MS-OXCDATA 2.11.1) in the byte form the LTP layer
// stores them: fixed types as their little-endian bytes, variable and
// multi-valued types as their value stream.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pst::ltp {

enum class PropType : std::uint16_t {
  Integer16 = 0x0002,
  Integer32 = 0x0003,
  Floating32 = 0x0004,
  Floating64 = 0x0005,
  Currency = 0x0006,
  FloatingTime = 0x0007,
  ErrorCode = 0x000A,
  Boolean = 0x000B,
  Integer64 = 0x0014,
  String8 = 0x001E,
  String = 0x001F,
  Time = 0x0040,
  Guid = 0x0048,
  Binary = 0x0102,
  MultipleInteger16 = 0x1002,
  MultipleInteger32 = 0x1003,
  MultipleInteger64 = 0x1014,
  MultipleString8 = 0x101E,
  MultipleString = 0x101F,
  MultipleTime = 0x1040,
  MultipleGuid = 0x1048,
  MultipleBinary = 0x1102,
};

using PropId = std::uint16_t;
using PropTag = std::uint32_t;  // (id << 16) | type

constexpr PropTag makeTag(PropId id, PropType type) {
  return (static_cast<PropTag>(id) << 16) | static_cast<std::uint16_t>(type);
}
constexpr PropId tagId(PropTag tag) { return static_cast<PropId>(tag >> 16); }
constexpr PropType tagType(PropTag tag) { return static_cast<PropType>(tag & 0xFFFF); }

// Size in bytes of a fixed-size type, 0 for variable-size and multi-valued types.
std::size_t fixedSize(PropType type);

struct PropertyValue {
  PropType type = PropType::Integer32;
  std::vector<std::uint8_t> data;

  static PropertyValue integer16(std::int16_t v);
  static PropertyValue integer32(std::int32_t v);
  static PropertyValue boolean(bool v);
  static PropertyValue integer64(std::int64_t v);
  static PropertyValue floating64(double v);
  // FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
  static PropertyValue time(std::uint64_t filetime);
  static PropertyValue string(std::u16string_view v);  // UTF-16LE, no terminator
  static PropertyValue binary(std::span<const std::uint8_t> v);
  static PropertyValue guid(const std::array<std::uint8_t, 16>& v);
  static PropertyValue multipleInteger32(std::span<const std::int32_t> v);
  static PropertyValue multipleString(std::span<const std::u16string> v);
  static PropertyValue multipleBinary(std::span<const std::vector<std::uint8_t>> v);

  bool operator==(const PropertyValue&) const = default;
};

}  // namespace pst::ltp

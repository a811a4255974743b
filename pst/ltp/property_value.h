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
// Size of one element of a multi-valued type with fixed-size elements
// (MultipleInteger32: 4, MultipleGuid: 16), 0 for every other type.
std::size_t elementSize(PropType type);
constexpr bool isMultiValued(PropType type) {
  return (static_cast<std::uint16_t>(type) & 0x1000) != 0;
}
// Whether this library can store values of the type (every enumerator above).
bool isKnownType(PropType type);

struct PropertyValue {
  PropType type = PropType::Integer32;
  std::vector<std::uint8_t> data;

  static PropertyValue integer16(std::int16_t v);
  static PropertyValue integer32(std::int32_t v);
  static PropertyValue floating32(float v);
  static PropertyValue floating64(double v);
  // PtypCurrency: a count of 1/10,000 units.
  static PropertyValue currency(std::int64_t v);
  // PtypFloatingTime: an OLE automation date (days since 1899-12-30).
  static PropertyValue floatingTime(double v);
  static PropertyValue errorCode(std::uint32_t v);
  static PropertyValue boolean(bool v);
  static PropertyValue integer64(std::int64_t v);
  // FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
  static PropertyValue time(std::uint64_t filetime);
  static PropertyValue string(std::u16string_view v);  // UTF-16LE, no terminator
  // UTF-8 text stored as String (UTF-16LE); throws pst::Error on invalid UTF-8.
  static PropertyValue stringFromUtf8(std::string_view utf8);
  static PropertyValue string8(std::string_view v);  // 8-bit, no terminator
  static PropertyValue binary(std::span<const std::uint8_t> v);
  static PropertyValue guid(const std::array<std::uint8_t, 16>& v);
  static PropertyValue multipleInteger16(std::span<const std::int16_t> v);
  static PropertyValue multipleInteger32(std::span<const std::int32_t> v);
  static PropertyValue multipleInteger64(std::span<const std::int64_t> v);
  static PropertyValue multipleTime(std::span<const std::uint64_t> filetimes);
  static PropertyValue multipleGuid(std::span<const std::array<std::uint8_t, 16>> v);
  // Variable-size elements: ulCount, rgulDataOffsets[ulCount], then the elements.
  static PropertyValue multipleString(std::span<const std::u16string> v);
  static PropertyValue multipleString8(std::span<const std::string> v);
  static PropertyValue multipleBinary(std::span<const std::vector<std::uint8_t>> v);
  // A value given in its stored byte form; throws pst::Error when the bytes
  // cannot be a value of that type (see validate()).
  static PropertyValue fromBytes(PropType type, std::vector<std::uint8_t> data);

  // Throws pst::Error naming the fault when data is not a well-formed value
  // of type: wrong size of a fixed type, a fixed-element multi-value whose
  // size is not a multiple of the element, a broken offset table, an unknown type.
  void validate() const;
  // The elements of a multi-valued value, in order (views into data);
  // throws pst::Error as validate() does.
  std::vector<std::span<const std::uint8_t>> elements() const;

  bool operator==(const PropertyValue&) const = default;
};

}  // namespace pst::ltp

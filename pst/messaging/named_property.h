// Names of named properties: a property set GUID and a numeric LID or a string.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace pst {

using Guid = std::array<std::uint8_t, 16>;  // as stored on disk (GUID little-endian fields)

// A named property: a property set and either a numeric LID or a string name.
struct NamedId {
  Guid set;
  std::uint32_t lid = 0;
  bool operator==(const NamedId&) const = default;
  auto operator<=>(const NamedId&) const = default;
};
struct NamedString {
  Guid set;
  std::u16string name;
  bool operator==(const NamedString&) const = default;
  auto operator<=>(const NamedString&) const = default;
};

// Well-known property sets, in on-disk byte order.
inline constexpr Guid PS_MAPI{0x28, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
inline constexpr Guid PS_PUBLIC_STRINGS{0x29, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                        0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
inline constexpr Guid PSETID_Address{0x04, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
inline constexpr Guid PSETID_Common{0x08, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace pst

// A contact item as MAPI properties, and the conversion of a vCard into one.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "vcard/card.h"
#include "vcard/error.h"

namespace vcard {

// A GUID in its on-disk byte order (Data1..Data3 little-endian).
using Guid = std::array<std::uint8_t, 16>;

struct NamedId {
  Guid set;
  std::uint32_t lid;
  bool operator==(const NamedId&) const = default;
};
struct NamedString {
  Guid set;
  std::u16string name;
  bool operator==(const NamedString&) const = default;
};
// A fixed property id (< 0x8000) or a named property.
using PropertyKey = std::variant<std::uint16_t, NamedId, NamedString>;

struct FileTime {
  std::int64_t ticks;  // 100 ns since 1601-01-01 UTC
  bool operator==(const FileTime&) const = default;
};

// The value's alternative gives the property type: int32 PtypInteger32, bool
// PtypBoolean, int64 PtypInteger64, FileTime PtypTime, u16string PtypString,
// bytes PtypBinary, Guid PtypGuid, the vectors PtypMultipleString /
// PtypMultipleBinary / PtypMultipleInteger32, int16 PtypInteger16.
using Value = std::variant<std::int32_t, bool, std::int64_t, FileTime, std::u16string,
                           std::vector<std::uint8_t>, Guid, std::vector<std::u16string>,
                           std::vector<std::vector<std::uint8_t>>, std::vector<std::int32_t>,
                           std::int16_t>;

struct Property {
  PropertyKey key;
  Value value;
};

// The contact photo: data, file name, method, hidden and contact-photo flags.
struct Attachment {
  std::vector<Property> properties;
};

// Each key appears at most once. PidTagMessageClass "IPM.Contact" is included;
// the store computes sizes, times, attachment numbers and PidTagHasAttachments.
struct ContactItem {
  std::vector<Property> properties;
  std::vector<Attachment> attachments;

  const Value* find(const PropertyKey& key) const;
};

// Well-known property sets.
extern const Guid PSETID_Address;
extern const Guid PSETID_Common;
extern const Guid PS_PUBLIC_STRINGS;

// Converts one card. The rvalue form moves the photo instead of copying it.
ContactItem toContact(const Card& card);
ContactItem toContact(Card&& card);

// Reads a .vcf file of one card (any supported version or encoding) and
// converts it. Throws Error naming the file when it cannot be read, holds no
// vCard, or holds several (an agent's card nested in a card is part of it).
ContactItem importFile(const std::filesystem::path& path);

}  // namespace vcard

// Name-to-id map (MS-PST 2.4.7, NID 0x61): named properties mapped to ids
// from 0x8000 in first-use order, with the GUID, entry and string streams and
// the hash buckets Outlook looks names up in.
#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "pst/ltp/property_context.h"
#include "pst/messaging/named_property.h"

namespace pst {

class NameToIdMap {
 public:
  static constexpr std::uint32_t kBucketCount = 251;  // what Outlook uses
  static constexpr ltp::PropId kFirstId = 0x8000;

  // The id of the name, assigned on first use. A numeric name in PS_MAPI
  // below 0x8000 is the tagged property itself. Throws pst::Error when all
  // ids are taken or a string name is empty.
  ltp::PropId idFor(const NamedId& name);
  ltp::PropId idFor(const NamedString& name);
  std::optional<ltp::PropId> find(const NamedId& name) const;
  std::optional<ltp::PropId> find(const NamedString& name) const;

  // Number of names mapped (ids kFirstId .. kFirstId + size() - 1).
  std::size_t size() const { return entries_.size(); }

  // The map's property context.
  ltp::PropertyContextBuilder build() const;

 private:
  struct Entry {
    std::uint32_t propertyId;  // LID, or offset of the name in the string stream
    std::uint32_t hashValue;   // LID, or CRC of the UTF-16LE name
    std::uint16_t guidIndex;   // wGuid: 1 PS_MAPI, 2 PS_PUBLIC_STRINGS, 3+ GUID stream
    bool isString;
  };
  std::uint16_t guidIndexFor(const Guid& set);
  ltp::PropId add(Entry entry);

  std::vector<Guid> guids_;
  std::vector<Entry> entries_;
  std::vector<std::uint8_t> strings_;
  // Looked up for most properties of every message: hashed, not a tree.
  struct NamedIdHash {
    std::size_t operator()(const NamedId& name) const noexcept {
      std::uint64_t low = 0, high = 0;
      std::memcpy(&low, name.set.data(), 8);
      std::memcpy(&high, name.set.data() + 8, 8);
      const std::uint64_t h = (low ^ (high * 0x9E3779B97F4A7C15ull) ^ name.lid) * 0xBF58476D1CE4E5B9ull;
      return static_cast<std::size_t>(h ^ (h >> 31));
    }
  };
  std::unordered_map<NamedId, ltp::PropId, NamedIdHash> numeric_;
  std::map<NamedString, ltp::PropId> named_;
};

}  // namespace pst

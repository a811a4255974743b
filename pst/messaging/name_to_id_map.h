// Name-to-id map (MS-PST 2.4.7, NID 0x61): named properties mapped to ids
// from 0x8000 in first-use order, with the GUID, entry and string streams and
// the hash buckets Outlook looks names up in.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
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
  std::map<NamedId, ltp::PropId> numeric_;
  std::map<NamedString, ltp::PropId> named_;
};

}  // namespace pst

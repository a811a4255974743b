// Name-to-id map: id assignment and the streams and buckets of NID 0x61.
#include "pst/messaging/name_to_id_map.h"

#include <algorithm>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/messaging/tags.h"
#include "pst/ndb/crc.h"

namespace pst {
namespace {

std::vector<std::uint8_t> utf16le(std::u16string_view s) {
  std::vector<std::uint8_t> out;
  out.reserve(s.size() * 2);
  for (char16_t c : s) le::append<std::uint16_t>(out, c);
  return out;
}

}  // namespace

std::uint16_t NameToIdMap::guidIndexFor(const Guid& set) {
  if (set == PS_MAPI) return 1;
  if (set == PS_PUBLIC_STRINGS) return 2;
  auto it = std::find(guids_.begin(), guids_.end(), set);
  if (it == guids_.end()) {
    if (guids_.size() >= 0x7FFF - 3) throw Error(ErrorKind::BadRequest, "name-to-id map: too many property sets");
    guids_.push_back(set);
    it = guids_.end() - 1;
  }
  return static_cast<std::uint16_t>(3 + (it - guids_.begin()));
}

ltp::PropId NameToIdMap::add(Entry entry) {
  // 0xFFFF is reserved (PROP_ID_INVALID), so the last id is 0xFFFE.
  if (entries_.size() >= 0xFFFF - kFirstId)
    throw Error(ErrorKind::BadRequest, "name-to-id map: all named property ids are in use");
  entries_.push_back(entry);
  return static_cast<ltp::PropId>(kFirstId + entries_.size() - 1);
}

std::optional<ltp::PropId> NameToIdMap::find(const NamedId& name) const {
  if (name.set == PS_MAPI && name.lid < kFirstId) return static_cast<ltp::PropId>(name.lid);
  auto it = numeric_.find(name);
  if (it == numeric_.end()) return std::nullopt;
  return it->second;
}

std::optional<ltp::PropId> NameToIdMap::find(const NamedString& name) const {
  auto it = named_.find(name);
  if (it == named_.end()) return std::nullopt;
  return it->second;
}

ltp::PropId NameToIdMap::idFor(const NamedId& name) {
  if (auto id = find(name)) return *id;
  ltp::PropId id = add({name.lid, name.lid, guidIndexFor(name.set), false});
  numeric_.emplace(name, id);
  return id;
}

ltp::PropId NameToIdMap::idFor(const NamedString& name) {
  if (auto id = find(name)) return *id;
  if (name.name.empty()) throw Error(ErrorKind::BadRequest, "name-to-id map: a named property needs a non-empty name");
  const auto bytes = utf16le(name.name);
  const auto offset = static_cast<std::uint32_t>(strings_.size());
  // String stream: length, UTF-16LE name, padding to a 4-byte boundary.
  le::append<std::uint32_t>(strings_, static_cast<std::uint32_t>(bytes.size()));
  strings_.insert(strings_.end(), bytes.begin(), bytes.end());
  while (strings_.size() % 4 != 0) strings_.push_back(0);
  ltp::PropId id;
  try {
    id = add({offset, ndb::computeCrc(bytes), guidIndexFor(name.set), true});
  } catch (...) {
    strings_.resize(offset);
    throw;
  }
  named_.emplace(name, id);
  return id;
}

ltp::PropertyContextBuilder NameToIdMap::build() const {
  std::vector<std::uint8_t> guidStream;
  for (const Guid& g : guids_) guidStream.insert(guidStream.end(), g.begin(), g.end());

  std::vector<std::uint8_t> entryStream;
  std::vector<std::vector<std::uint8_t>> buckets(kBucketCount);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    const auto kind = static_cast<std::uint16_t>((e.guidIndex << 1) | (e.isString ? 1 : 0));
    const auto index = static_cast<std::uint16_t>(i);
    le::append<std::uint32_t>(entryStream, e.propertyId);
    le::append<std::uint16_t>(entryStream, kind);
    le::append<std::uint16_t>(entryStream, index);
    // Hash records hold the CRC instead of the string offset.
    auto& bucket = buckets[(e.hashValue ^ kind) % kBucketCount];
    le::append<std::uint32_t>(bucket, e.hashValue);
    le::append<std::uint16_t>(bucket, kind);
    le::append<std::uint16_t>(bucket, index);
  }

  ltp::PropertyContextBuilder pc;
  pc.set(ltp::tagId(tags::NameidBucketCount), ltp::PropertyValue::integer32(kBucketCount));
  pc.set(ltp::tagId(tags::NameidStreamGuid), ltp::PropertyValue::binary(guidStream));
  pc.set(ltp::tagId(tags::NameidStreamEntry), ltp::PropertyValue::binary(entryStream));
  pc.set(ltp::tagId(tags::NameidStreamString), ltp::PropertyValue::binary(strings_));
  for (std::uint32_t b = 0; b < kBucketCount; ++b) {
    if (!buckets[b].empty())
      pc.set(static_cast<ltp::PropId>(tags::NameidBucketBase + b), ltp::PropertyValue::binary(buckets[b]));
  }
  return pc;
}

}  // namespace pst

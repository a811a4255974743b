// ENTRYID of a folder or message in a PST.
#include "pst/messaging/entry_id.h"

#include <algorithm>

#include "pst/little_endian.h"

namespace pst {

std::vector<std::uint8_t> makeEntryId(const std::array<std::uint8_t, 16>& providerUid, ndb::Nid nid) {
  std::vector<std::uint8_t> id;
  id.reserve(kEntryIdSize);
  le::append<std::uint32_t>(id, 0);  // rgbFlags
  id.insert(id.end(), providerUid.begin(), providerUid.end());
  le::append<std::uint32_t>(id, nid);
  return id;
}

std::optional<ndb::Nid> nidOfEntryId(const std::array<std::uint8_t, 16>& providerUid,
                                     std::span<const std::uint8_t> entryId) {
  if (entryId.size() != kEntryIdSize || le::get<std::uint32_t>(entryId, 0) != 0 ||
      !std::equal(providerUid.begin(), providerUid.end(), entryId.begin() + 4))
    return std::nullopt;
  return le::get<std::uint32_t>(entryId, 20);
}

}  // namespace pst

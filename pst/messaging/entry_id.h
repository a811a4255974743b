// ENTRYID of a folder or message in a PST (MS-PST 2.4.3.2): flags, the
// store's provider UID (its PidTagRecordKey) and the NID.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/node_data.h"

namespace pst {

constexpr std::size_t kEntryIdSize = 24;

std::vector<std::uint8_t> makeEntryId(const std::array<std::uint8_t, 16>& providerUid, ndb::Nid nid);
// The NID of an ENTRYID of the store with that provider UID, if it is one.
std::optional<ndb::Nid> nidOfEntryId(const std::array<std::uint8_t, 16>& providerUid,
                                     std::span<const std::uint8_t> entryId);

}  // namespace pst

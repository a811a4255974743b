// PAGETRAILER and whole 512-byte pages (MS-PST 2.2.2.7): map pages, the density list, B-tree pages.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "pst/ndb/layout.h"

namespace pst::ndb {

using Page = std::array<std::uint8_t, kPageSize>;

// Fills the trailer of a page whose first 496 bytes are already set:
// ptype twice, wSig (0 for map pages), CRC of the body, bid.
void sealPage(Page& page, PageType type, std::uint64_t ib, std::uint64_t bid);

// An allocation-map style page (AMap, PMap, FMap, FPMap) at ib with the given
// 496-byte body; its trailer BID is its own offset.
Page makeMapPage(PageType type, std::uint64_t ib, std::span<const std::uint8_t> body);

// The empty density list at 0x4200.
Page makeDListPage(std::uint64_t bid);

}  // namespace pst::ndb

// Page trailers and the fixed pages (maps, density list).
#include "pst/ndb/page.h"

#include <algorithm>
#include <cassert>

#include "pst/little_endian.h"
#include "pst/ndb/crc.h"

namespace pst::ndb {

void sealPage(Page& page, PageType type, std::uint64_t ib, std::uint64_t bid) {
  constexpr std::size_t t = kMapBytes;  // trailer at 0x1F0
  page[t] = type;
  page[t + 1] = type;
  bool isMap = type == ptypeAMap || type == ptypePMap || type == ptypeFMap || type == ptypeFPMap;
  le::put<std::uint16_t>(page, t + 2, isMap ? 0 : computeSig(ib, bid));
  le::put<std::uint32_t>(page, t + 4, computeCrc(std::span<const std::uint8_t>(page.data(), kMapBytes)));
  le::put<std::uint64_t>(page, t + 8, bid);
}

Page makeMapPage(PageType type, std::uint64_t ib, std::span<const std::uint8_t> body) {
  assert(body.size() == kMapBytes);
  Page page{};
  std::copy(body.begin(), body.end(), page.begin());
  sealPage(page, type, ib, ib);
  return page;
}

Page makeDListPage(std::uint64_t bid) {
  // bFlags 0, no entries, ulCurrentPage 0: Outlook's own new files carry this.
  Page page{};
  sealPage(page, ptypeDL, kDListOffset, bid);
  return page;
}

}  // namespace pst::ndb

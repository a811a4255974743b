// Heap-on-node writer: HNHDR, HNPAGEHDR, HNBITMAPHDR, page maps and fill levels.
#include "pst/ltp/heap.h"

#include <cstring>
#include <string>
#include <utility>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/ndb/node_data.h"

namespace pst::ltp {

namespace {

constexpr std::size_t kMaxAllocsPerPage = 2047;  // 11-bit hidIndex
constexpr std::uint8_t kHeapSig = 0xEC;

// HNHDR on page 0, HNBITMAPHDR on pages 8, 136, 264..., HNPAGEHDR elsewhere.
std::size_t pageHeaderSize(std::size_t index) {
  if (index == 0) return 12;
  if (index % 128 == 8) return 66;
  return 2;
}

constexpr std::size_t align2(std::size_t n) { return (n + 1) & ~std::size_t{1}; }

}  // namespace

std::uint8_t heapFillLevel(std::size_t freeBytes) {
  static constexpr std::size_t kLimits[] = {3584, 2560, 2048, 1792, 1536, 1280, 1024, 768,
                                            512,  256,  128,  64,   32,   16,   8};
  for (std::uint8_t level = 0; level < 15; ++level) {
    if (freeBytes >= kLimits[level]) return level;
  }
  return 15;
}

HeapBuilder::HeapBuilder(std::uint8_t clientSig) : clientSig_(clientSig) { openPage(); }

void HeapBuilder::openPage() {
  if (pages_.size() > 0xFFFF) throw Error(ErrorKind::BadRequest, "heap larger than 65,536 pages");
  auto page = std::make_shared<Page>();
  const std::size_t header = pageHeaderSize(pages_.size());
  // A page takes allocations until its block is full: reserved at once, its
  // bytes are never moved while it fills.
  page->bytes.reserve(ndb::kMaxBlockData);
  page->bytes.resize(header);
  page->ends.reserve(64);
  page->ends.push_back(static_cast<std::uint16_t>(header));
  pages_.push_back(std::move(page));
}

HeapBuilder::Page& HeapBuilder::writable(std::size_t index) {
  std::shared_ptr<Page>& page = pages_[index];
  if (page.use_count() > 1) {
    auto copy = std::make_shared<Page>();
    copy->bytes.reserve(ndb::kMaxBlockData);
    copy->bytes = page->bytes;
    copy->ends = page->ends;
    page = std::move(copy);
  }
  return *page;
}

bool HeapBuilder::fitsOpenPage(std::size_t size) const {
  const Page& current = *pages_.back();
  const std::size_t allocs = current.ends.size();  // after this allocation
  return allocs <= kMaxAllocsPerPage && align2(current.bytes.size() + size) + 4 + 2 * (allocs + 1) <= ndb::kMaxBlockData;
}

Hid HeapBuilder::allocate(std::size_t size) {
  if (size > kMaxHeapAlloc) {
    throw Error(ErrorKind::BadRequest,
                "heap allocation of " + std::to_string(size) + " bytes exceeds " + std::to_string(kMaxHeapAlloc));
  }
  if (!fitsOpenPage(size)) openPage();
  Page& page = writable(pages_.size() - 1);
  page.bytes.resize(page.bytes.size() + size);
  page.ends.push_back(static_cast<std::uint16_t>(page.bytes.size()));
  allocated_ += size;
  return makeHid(static_cast<std::uint32_t>(pages_.size() - 1), static_cast<std::uint32_t>(page.ends.size() - 1));
}

Hid HeapBuilder::allocate(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  // The common case, a value that fits the open page, copied in at once
  // rather than zero-filled first.
  if (size <= kMaxHeapAlloc && fitsOpenPage(size) && pages_.back().use_count() == 1) {
    Page& page = *pages_.back();
    page.bytes.insert(page.bytes.end(), bytes.begin(), bytes.end());
    page.ends.push_back(static_cast<std::uint16_t>(page.bytes.size()));
    allocated_ += size;
    return makeHid(static_cast<std::uint32_t>(pages_.size() - 1), static_cast<std::uint32_t>(page.ends.size() - 1));
  }
  const Hid hid = allocate(size);
  if (!bytes.empty()) {
    Page& page = *pages_.back();
    std::memcpy(page.bytes.data() + page.bytes.size() - size, bytes.data(), size);
  }
  return hid;
}

std::span<std::uint8_t> HeapBuilder::at(Hid hid) {
  (void)std::as_const(*this).at(hid);  // checks the HID
  Page& page = writable(hidBlockIndex(hid));
  const std::uint32_t index = hidAllocIndex(hid);
  return std::span<std::uint8_t>(page.bytes).subspan(page.ends[index - 1], page.ends[index] - page.ends[index - 1]);
}

std::span<const std::uint8_t> HeapBuilder::at(Hid hid) const {
  const std::uint32_t block = hidBlockIndex(hid);
  const std::uint32_t index = hidAllocIndex(hid);
  if ((hid & 0x1F) != 0 || block >= pages_.size() || index == 0 || index >= pages_[block]->ends.size()) {
    throw Error(ErrorKind::BadRequest, "no heap allocation with HID " + std::to_string(hid));
  }
  const Page& page = *pages_[block];
  return std::span<const std::uint8_t>(page.bytes).subspan(page.ends[index - 1], page.ends[index] - page.ends[index - 1]);
}

void HeapBuilder::dropPage(std::size_t index) {
  if (index == 0 || index + 1 >= pages_.size())
    throw Error(ErrorKind::BadRequest, "heap page " + std::to_string(index) + " cannot be dropped");
  if (isDropped(index)) return;
  auto page = std::make_shared<Page>();
  page->droppedLength = static_cast<std::uint16_t>(align2(pages_[index]->bytes.size()) + 4 + 2 * pages_[index]->ends.size());
  pages_[index] = std::move(page);
}

std::vector<std::vector<std::uint8_t>> HeapBuilder::build() const {
  auto lengthOf = [](const Page& page) {
    return page.droppedLength ? std::size_t{page.droppedLength} : align2(page.bytes.size()) + 4 + 2 * page.ends.size();
  };
  std::vector<std::uint8_t> fill(pages_.size());
  for (std::size_t i = 0; i < pages_.size(); ++i) fill[i] = heapFillLevel(ndb::kMaxBlockData - lengthOf(*pages_[i]));
  // rgbFillLevel: two pages per byte, the even page in the low nibble.
  auto putFill = [&fill](std::uint8_t* out, std::size_t first, std::size_t count) {
    for (std::size_t k = 0; k < count && first + k < fill.size(); ++k) {
      out[k / 2] |= static_cast<std::uint8_t>(fill[first + k] << (k % 2 ? 4 : 0));
    }
  };

  std::vector<std::vector<std::uint8_t>> out;
  out.reserve(pages_.size());
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    const Page& page = *pages_[i];
    std::vector<std::uint8_t>& b = out.emplace_back();
    if (page.droppedLength) continue;
    const std::size_t ibHnpm = align2(page.bytes.size());
    b.reserve(lengthOf(page));
    b.assign(page.bytes.begin(), page.bytes.end());
    b.resize(lengthOf(page));
    le::put<std::uint16_t>(b.data(), static_cast<std::uint16_t>(ibHnpm));
    if (i == 0) {
      b[2] = kHeapSig;
      b[3] = clientSig_;
      le::put<std::uint32_t>(b.data() + 4, userRoot_);
      std::memset(b.data() + 8, 0, 4);
      putFill(b.data() + 8, 0, 8);
    } else if (i % 128 == 8) {
      std::memset(b.data() + 2, 0, 64);
      putFill(b.data() + 2, i, 128);
    }
    std::uint8_t* map = b.data() + ibHnpm;
    le::put<std::uint16_t>(map, static_cast<std::uint16_t>(page.ends.size() - 1));  // cAlloc
    le::put<std::uint16_t>(map + 2, 0);                                             // cFree
    for (std::size_t k = 0; k < page.ends.size(); ++k) le::put<std::uint16_t>(map + 4 + 2 * k, page.ends[k]);
  }
  return out;
}

}  // namespace pst::ltp

// Heap-on-node writer (MS-PST 2.3.1): allocations addressed by HIDs, laid out
// page by page, each page becoming one data block of the node.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pst::ltp {

using Hid = std::uint32_t;

// Largest single heap allocation; bigger values go to subnodes.
constexpr std::size_t kMaxHeapAlloc = 3580;

// HNHDR.bClientSig values.
constexpr std::uint8_t kClientSigTc = 0x7C;
constexpr std::uint8_t kClientSigBth = 0xB5;
constexpr std::uint8_t kClientSigPc = 0xBC;

constexpr Hid makeHid(std::uint32_t blockIndex, std::uint32_t allocIndex) {
  return (blockIndex << 16) | (allocIndex << 5);
}
constexpr std::uint32_t hidBlockIndex(Hid hid) { return hid >> 16; }
constexpr std::uint32_t hidAllocIndex(Hid hid) { return (hid >> 5) & 0x7FF; }

// 4-bit fill level of a heap page with `freeBytes` left (0: 3584 or more free).
std::uint8_t heapFillLevel(std::size_t freeBytes);

// A builder is copyable: a copy can be built while the original grows on.
// Appends allocations in order, opening a new page when the next one (with
// its page-map entry) would not fit the 8176-byte block or the 2047-entry
// HID index. Pages are finished (headers, page maps, fill levels) by build().
class HeapBuilder {
 public:
  explicit HeapBuilder(std::uint8_t clientSig);

  // A zero-filled allocation of size bytes (at most kMaxHeapAlloc).
  Hid allocate(std::size_t size);
  Hid allocate(std::span<const std::uint8_t> bytes);
  // The bytes of an allocation made earlier, for filling in later.
  std::span<std::uint8_t> at(Hid hid);
  std::span<const std::uint8_t> at(Hid hid) const;

  void setUserRoot(Hid hid) { userRoot_ = hid; }
  std::size_t pageCount() const { return pages_.size(); }
  // Bytes allocated so far (headers and page maps not counted).
  std::size_t allocatedBytes() const { return allocated_; }

  // The finished pages, one per data block of the node: headers, page maps
  // and fill levels written into fresh vectors of their exact size. A
  // dropped page comes out empty.
  std::vector<std::vector<std::uint8_t>> build() const;

  // Frees the bytes of page index, whose finished block the caller has
  // stored: a page that takes no more allocations (not the last) and holds
  // no fill levels of pages that still change (page 0 and bitmap pages hold
  // them). Its allocations can no longer be read.
  void dropPage(std::size_t index);
  bool isDropped(std::size_t index) const { return pages_[index]->droppedLength != 0; }

 private:
  struct Page {
    std::vector<std::uint8_t> bytes;   // header and allocations
    std::vector<std::uint16_t> ends;   // rgibAlloc: first start, then each allocation's end
    std::uint16_t droppedLength = 0;   // set once dropped: the block's length
  };
  void openPage();
  // The next allocation of size bytes goes into the open page.
  bool fitsOpenPage(std::size_t size) const;
  Page& writable(std::size_t index);  // unshares a page a copy still shares

  std::uint8_t clientSig_;
  Hid userRoot_ = 0;
  std::size_t allocated_ = 0;
  // Pages are shared between copies until one of them writes to a page, so
  // copying a large heap to finish it costs no copy of its bytes.
  std::vector<std::shared_ptr<Page>> pages_;
};

}  // namespace pst::ltp

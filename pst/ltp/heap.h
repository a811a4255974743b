// Heap-on-node writer (MS-PST 2.3.1): allocations addressed by HIDs, laid out
// page by page, each page becoming one data block of the node.
#pragma once
#include <cstdint>
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

// Appends allocations in order, opening a new page when the next one (with
// its page-map entry) would not fit the 8176-byte block or the 2047-entry
// HID index. Pages are finished (headers, page maps, fill levels) by finish().
class HeapBuilder {
 public:
  explicit HeapBuilder(std::uint8_t clientSig);

  // A zero-filled allocation of size bytes (at most kMaxHeapAlloc).
  Hid allocate(std::size_t size);
  Hid allocate(std::span<const std::uint8_t> bytes);
  // The bytes of an allocation made earlier, for filling in later.
  std::span<std::uint8_t> at(Hid hid);

  void setUserRoot(Hid hid) { userRoot_ = hid; }
  std::size_t pageCount() const { return pages_.size(); }

  // The finished pages, one per data block of the node.
  std::vector<std::vector<std::uint8_t>> finish() &&;

 private:
  struct Page {
    std::vector<std::uint8_t> bytes;   // header and allocations
    std::vector<std::uint16_t> ends;   // rgibAlloc: first start, then each allocation's end
  };
  void openPage();

  std::uint8_t clientSig_;
  Hid userRoot_ = 0;
  std::vector<Page> pages_;
};

}  // namespace pst::ltp

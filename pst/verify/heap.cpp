// HN (MS-PST 2.3.1) and BTH (2.3.2): page headers, page maps, fill levels, HIDs and BTH order.
#include "pst/verify/heap.h"

#include <algorithm>

namespace pst::verify {
namespace {

std::uint8_t fillLevel(std::size_t freeBytes) {
  static constexpr std::size_t kFloor[] = {3584, 2560, 2048, 1792, 1536, 1280, 1024, 768,
                                           512,  256,  128,  64,   32,   16,   8};
  for (std::uint8_t level = 0; level < 15; ++level)
    if (freeBytes >= kFloor[level]) return level;
  return 15;
}

// Compares two keys as unsigned little-endian integers of the same width.
// Keys are little-endian integers, except that 16-byte keys (GUIDs, in
// Outlook's node 0xC01) sort byte by byte.
int compareKeys(Bytes a, Bytes b) {
  if (a.size() == 16) {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
  }
  for (std::size_t i = a.size(); i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

std::string keyHex(Bytes k) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < std::min<std::size_t>(8, k.size()); ++i) v |= std::uint64_t(k[i]) << (8 * i);
  return hex(v);
}

}  // namespace

Heap::Heap(Context& c, std::string where, const DataTree& data) : c_(c), where_(std::move(where)) {
  for (std::size_t i = 0; i < data.blocks.size(); ++i) parsePage(i, data.blocks[i]);
  if (usable_) checkFillLevels();
}

void Heap::parsePage(std::size_t index, Bytes block) {
  const std::string at = where_ + ": heap page " + std::to_string(index);
  const std::size_t headerSize = index == 0 ? 12 : (index % 128 == 8 ? 66 : 2);
  Page page{block, {}};
  if (block.size() < headerSize + 6) {
    c_.problem(at + ": " + std::to_string(block.size()) + " bytes are too few for a heap page");
    usable_ = false;
    pages_.push_back(page);
    return;
  }
  if (index == 0) {
    clientSig_ = u8(block, 3);
    userRoot_ = u32(block, 4);
  }
  const std::size_t ibHnpm = u16(block, 0);
  if (ibHnpm < headerSize || ibHnpm + 4 > block.size()) {
    c_.problem(at + ": ibHnpm " + std::to_string(ibHnpm) + " lies outside the page (" + std::to_string(block.size()) +
               " bytes)");
    usable_ = false;
    pages_.push_back(page);
    return;
  }
  const std::size_t cAlloc = u16(block, ibHnpm);
  const std::size_t mapEnd = ibHnpm + 4 + 2 * (cAlloc + 1);
  if (cAlloc > 2047 || mapEnd > block.size()) {
    c_.problem(at + ": the page map at " + std::to_string(ibHnpm) + " with cAlloc " + std::to_string(cAlloc) +
               " does not fit the page (" + std::to_string(block.size()) + " bytes)");
    usable_ = false;
    pages_.push_back(page);
    return;
  }
  if (mapEnd != block.size())
    c_.problem(at + ": the page map ends at " + std::to_string(mapEnd) + " but the page has " +
               std::to_string(block.size()) + " bytes");
  for (std::size_t k = 0; k <= cAlloc; ++k) page.bounds.push_back(u16(block, ibHnpm + 4 + 2 * k));
  if (page.bounds[0] != headerSize)
    c_.problem(at + ": the first allocation starts at " + std::to_string(page.bounds[0]) + ", not right after the " +
               std::to_string(headerSize) + "-byte page header");
  for (std::size_t k = 1; k <= cAlloc; ++k) {
    if (page.bounds[k] < page.bounds[k - 1]) {
      c_.problem(at + ": rgibAlloc[" + std::to_string(k) + "] " + std::to_string(page.bounds[k]) + " is below rgibAlloc[" +
                 std::to_string(k - 1) + "] " + std::to_string(page.bounds[k - 1]));
      usable_ = false;
    } else if (std::size_t(page.bounds[k] - page.bounds[k - 1]) > kMaxHeapAlloc) {
      c_.problem(at + ": allocation " + std::to_string(k) + " has " + std::to_string(page.bounds[k] - page.bounds[k - 1]) +
                 " bytes, above 3580");
    }
  }
  if (page.bounds.back() > ibHnpm) {
    c_.problem(at + ": the allocations end at " + std::to_string(page.bounds.back()) + ", past the page map at " +
               std::to_string(ibHnpm));
    usable_ = false;
  }
  pages_.push_back(page);
}

void Heap::checkFillLevels() {
  // rgbFillLevel holds one nibble per page, the even page in the low nibble:
  // pages 0-7 in the HNHDR, pages i..i+127 in the HNBITMAPHDR of page i.
  auto nibble = [](Bytes b, std::size_t off, std::size_t k) {
    const auto byte = u8(b, off + k / 2);
    return static_cast<std::uint8_t>(k % 2 ? byte >> 4 : byte & 0x0F);
  };
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    std::uint8_t stored;
    if (i < 8) {
      stored = nibble(pages_[0].bytes, 8, i);
    } else {
      const std::size_t owner = 8 + (i - 8) / 128 * 128;
      stored = nibble(pages_[owner].bytes, 2, i - owner);
    }
    const auto want = fillLevel(kMaxBlockData - pages_[i].bytes.size());
    if (stored != want)
      c_.problem(where_ + ": heap page " + std::to_string(i) + " has fill level " + std::to_string(stored) + ", its " +
                 std::to_string(kMaxBlockData - pages_[i].bytes.size()) + " free bytes give " + std::to_string(want));
  }
}

bool Heap::exists(std::uint32_t hid) const {
  const std::size_t block = hid >> 16, index = (hid >> 5) & 0x7FF;
  return (hid & 0x1F) == 0 && block < pages_.size() && index >= 1 && index < pages_[block].bounds.size();
}

std::optional<Bytes> Heap::alloc(std::uint32_t hid, const std::string& user) const {
  if (!exists(hid)) {
    c_.problem(where_ + ": " + user + " HID " + hex(hid) + " does not name a heap allocation");
    return std::nullopt;
  }
  const auto& page = pages_[hid >> 16];
  const std::size_t index = (hid >> 5) & 0x7FF;
  return page.bytes.subspan(page.bounds[index - 1], page.bounds[index] - page.bounds[index - 1]);
}

namespace {

class BthWalk {
 public:
  BthWalk(const Heap& heap, int cbKey, int cbEnt, std::string what)
      : heap_(heap), cbKey_(static_cast<std::size_t>(cbKey)), cbEnt_(static_cast<std::size_t>(cbEnt)), what_(std::move(what)) {}

  void level(std::uint32_t hid, int levels, std::optional<Bytes> low, std::optional<Bytes> high) {
    auto a = heap_.alloc(hid, what_ + (levels ? " index level" : " leaf"));
    if (!a) return;
    const std::size_t rec = cbKey_ + (levels ? 4 : cbEnt_);
    if (a->empty() || a->size() % rec != 0) {
      heap_.context().problem(heap_.where() + ": " + what_ + " record array " + hex(hid) + " has " +
                              std::to_string(a->size()) + " bytes, not a whole number of " + std::to_string(rec) +
                              "-byte records");
      return;
    }
    const std::size_t n = a->size() / rec;
    for (std::size_t k = 0; k < n; ++k) {
      const Bytes key = a->subspan(k * rec, cbKey_);
      if ((low && compareKeys(key, *low) < 0) || (high && compareKeys(key, *high) >= 0))
        heap_.context().problem(heap_.where() + ": " + what_ + " key " + keyHex(key) +
                                " lies outside the range of its index record");
      if (levels) {
        std::optional<Bytes> next = high;
        if (k + 1 < n) next = a->subspan((k + 1) * rec, cbKey_);
        level(u32(*a, k * rec + cbKey_), levels - 1, key, next);
        continue;
      }
      if (!records.empty() && compareKeys(key, records.back().key) <= 0)
        heap_.context().problem(heap_.where() + ": " + what_ + " key " + keyHex(key) +
                                " is not above the previous key " + keyHex(records.back().key));
      records.push_back({key, a->subspan(k * rec + cbKey_, cbEnt_)});
    }
  }

  std::vector<BthRecord> records;

 private:
  const Heap& heap_;
  std::size_t cbKey_, cbEnt_;
  std::string what_;
};

}  // namespace

std::optional<std::vector<BthRecord>> readBth(const Heap& heap, std::uint32_t hidHeader, int wantKey, int wantEnt,
                                              const std::string& what) {
  auto h = heap.alloc(hidHeader, what + " BTHHEADER");
  if (!h) return std::nullopt;
  Context& c = heap.context();
  if (h->size() != 8 || u8(*h, 0) != 0xB5) {
    c.problem(heap.where() + ": " + what + " BTHHEADER " + hex(hidHeader) + " is not an 8-byte header with bType 0xb5");
    return std::nullopt;
  }
  const int cbKey = u8(*h, 1), cbEnt = u8(*h, 2), levels = u8(*h, 3);
  const auto hidRoot = u32(*h, 4);
  if ((wantKey && cbKey != wantKey) || (wantEnt && cbEnt != wantEnt) ||
      (cbKey != 2 && cbKey != 4 && cbKey != 8 && cbKey != 16) || cbEnt < 1 || cbEnt > 32) {
    c.problem(heap.where() + ": " + what + " has cbKey/cbEnt " + std::to_string(cbKey) + "/" + std::to_string(cbEnt) +
              (wantKey ? ", expected " + std::to_string(wantKey) + "/" + std::to_string(wantEnt) : std::string()));
    return std::nullopt;
  }
  if (hidRoot == 0) {
    if (levels != 0) c.problem(heap.where() + ": empty " + what + " has bIdxLevels " + std::to_string(levels));
    return std::vector<BthRecord>{};
  }
  if (levels > 8) {
    c.problem(heap.where() + ": " + what + " has bIdxLevels " + std::to_string(levels));
    return std::nullopt;
  }
  BthWalk walk(heap, cbKey, cbEnt, what);
  walk.level(hidRoot, levels, std::nullopt, std::nullopt);
  return std::move(walk.records);
}

HeapSummary checkHeap(Context& c, const std::string& where, const DataTree& data, const Subnodes& subnodes) {
  HeapSummary summary;
  Heap heap(c, where, data);
  if (!heap.usable()) return summary;
  summary.clientSig = heap.clientSig();
  if (c.current) c.current->kind = heap.clientSig() == 0xBC ? "PC" : heap.clientSig() == 0x7C ? "TC" : "heap";
  switch (heap.clientSig()) {
    case 0xBC:
      checkPropertyContext(heap, subnodes, summary);
      break;
    case 0x7C:
      checkTableContext(heap, subnodes, summary);
      break;
    case 0xB5:
      readBth(heap, heap.userRoot(), 0, 0, "BTH");
      break;
    case 0x9C: case 0xCC:
      // Outlook's internal nodes 0xC01 and 0xE01: the root starts with the
      // HID of a BTH, of 16-byte item ids to NIDs or of 4-byte keys.
      if (auto root = heap.alloc(heap.userRoot(), "internal heap root")) {
        if (root->size() < 4)
          c.problem(where + ": internal heap root holds " + std::to_string(root->size()) + " bytes, expected a HID");
        else
          readBth(heap, u32(*root, 0), heap.clientSig() == 0x9C ? 16 : 4, 4, "internal BTH");
      }
      break;
    case 0x6C: case 0x8C: case 0xA5: case 0xAC:
      break;  // reserved client signatures
    default:
      c.problem(where + ": heap has unknown bClientSig " + hex(heap.clientSig()));
  }
  return summary;
}

}  // namespace pst::verify

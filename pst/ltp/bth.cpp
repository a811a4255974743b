// BTree-on-heap writer: BTHHEADER, leaf record arrays and intermediate levels.
#include "pst/ltp/bth.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "pst/error.h"
#include "pst/ltp/bytes.h"

namespace pst::ltp {

namespace {

// Keys compare as unsigned little-endian integers.
int compareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t cbKey) {
  for (std::size_t i = cbKey; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace

void writeBth(HeapBuilder& heap, Hid header, std::uint8_t cbKey, std::uint8_t cbEnt,
              std::span<const std::uint8_t> records) {
  if ((cbKey != 2 && cbKey != 4 && cbKey != 8 && cbKey != 16) || cbEnt == 0 || cbEnt > 32) {
    throw Error("BTH with key size " + std::to_string(cbKey) + " and data size " + std::to_string(cbEnt));
  }
  std::size_t recordSize = cbKey + cbEnt;
  if (records.size() % recordSize != 0) throw Error("BTH records are not a whole number of records");
  const std::size_t count = records.size() / recordSize;
  for (std::size_t i = 1; i < count; ++i) {
    if (compareKeys(records.data() + (i - 1) * recordSize, records.data() + i * recordSize, cbKey) >= 0) {
      throw Error("BTH keys not strictly ascending at record " + std::to_string(i));
    }
  }

  std::uint8_t levels = 0;
  Hid root = 0;
  // Each level: split into allocations of as many records as fit, then index
  // them by their first keys until one allocation is left.
  std::vector<std::uint8_t> level;
  std::span<const std::uint8_t> current = records;
  std::size_t n = count;
  while (n > 0) {
    const std::size_t perAlloc = kMaxHeapAlloc / recordSize;
    std::vector<std::uint8_t> next;
    for (std::size_t first = 0; first < n; first += perAlloc) {
      const std::size_t take = std::min(perAlloc, n - first);
      const auto chunk = current.subspan(first * recordSize, take * recordSize);
      const Hid hid = heap.allocate(chunk);
      next.insert(next.end(), chunk.begin(), chunk.begin() + cbKey);
      le::append32(next, hid);
    }
    if (n <= perAlloc) {
      root = le::get32(next.data() + cbKey);
      break;
    }
    if (levels == 0xFF) throw Error("BTH too deep");
    ++levels;
    level = std::move(next);
    current = level;
    n = level.size() / (cbKey + 4u);
    recordSize = cbKey + 4u;
  }

  auto h = heap.at(header);
  if (h.size() != kBthHeaderSize) throw Error("BTH header allocation is not 8 bytes");
  h[0] = kBthType;
  h[1] = cbKey;
  h[2] = cbEnt;
  h[3] = levels;
  le::put32(h.data() + 4, root);
}

}  // namespace pst::ltp

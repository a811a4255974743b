// BTree-on-heap writer: BTHHEADER, leaf record arrays and intermediate levels.
#include "pst/ltp/bth.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "pst/error.h"
#include "pst/little_endian.h"

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
  writeBth(heap, header, cbKey, cbEnt, {}, records);
}

void writeBth(HeapBuilder& heap, Hid header, std::uint8_t cbKey, std::uint8_t cbEnt,
              std::span<const std::uint8_t> leaves, std::span<const std::uint8_t> records) {
  if ((cbKey != 2 && cbKey != 4 && cbKey != 8 && cbKey != 16) || cbEnt == 0 || cbEnt > 32) {
    throw Error(ErrorKind::BadRequest,
                "BTH with key size " + std::to_string(cbKey) + " and data size " + std::to_string(cbEnt));
  }
  const std::size_t recordSize = cbKey + cbEnt;
  const std::size_t entrySize = cbKey + 4u;  // a key and the HID of the allocation it starts
  if (records.size() % recordSize != 0)
    throw Error(ErrorKind::BadRequest, "BTH records are not a whole number of records");
  if (leaves.size() % entrySize != 0)
    throw Error(ErrorKind::BadRequest, "BTH leaves are not a whole number of entries");
  const std::size_t count = records.size() / recordSize;
  for (std::size_t i = 1; i < count; ++i) {
    if (compareKeys(records.data() + (i - 1) * recordSize, records.data() + i * recordSize, cbKey) >= 0) {
      throw Error(ErrorKind::BadRequest, "BTH keys not strictly ascending at record " + std::to_string(i));
    }
  }
  for (std::size_t i = entrySize; i < leaves.size(); i += entrySize) {
    if (compareKeys(leaves.data() + i - entrySize, leaves.data() + i, cbKey) >= 0) {
      throw Error(ErrorKind::BadRequest, "BTH leaves not in ascending key order");
    }
  }
  if (!leaves.empty() && count > 0 &&
      compareKeys(leaves.data() + leaves.size() - entrySize, records.data(), cbKey) >= 0) {
    throw Error(ErrorKind::BadRequest, "BTH records do not sort after the leaves already written");
  }

  // Leaves hold as many records as one allocation takes; each level above
  // indexes the one below by first keys until one allocation is left.
  std::vector<std::uint8_t> level(leaves.begin(), leaves.end());
  level.reserve(leaves.size() + (count / (kMaxHeapAlloc / recordSize) + 1) * entrySize);
  auto allocateRun = [&](std::vector<std::uint8_t>& out, std::span<const std::uint8_t> items, std::size_t itemSize) {
    const std::size_t n = items.size() / itemSize;
    const std::size_t perAlloc = kMaxHeapAlloc / itemSize;
    for (std::size_t first = 0; first < n; first += perAlloc) {
      const std::size_t take = std::min(perAlloc, n - first);
      const auto chunk = items.subspan(first * itemSize, take * itemSize);
      const Hid hid = heap.allocate(chunk);
      out.insert(out.end(), chunk.begin(), chunk.begin() + cbKey);
      le::append<std::uint32_t>(out, hid);
    }
  };
  allocateRun(level, records, recordSize);
  std::uint8_t levels = 0;
  while (level.size() > entrySize) {
    if (levels == 0xFF) throw Error(ErrorKind::BadRequest, "BTH too deep");
    ++levels;
    std::vector<std::uint8_t> next;
    allocateRun(next, level, entrySize);
    level = std::move(next);
  }
  const Hid root = level.empty() ? 0 : le::get<std::uint32_t>(level.data() + cbKey);

  auto h = heap.at(header);
  if (h.size() != kBthHeaderSize) throw Error(ErrorKind::BadRequest, "BTH header allocation is not 8 bytes");
  h[0] = kBthType;
  h[1] = cbKey;
  h[2] = cbEnt;
  h[3] = levels;
  le::put<std::uint32_t>(h.data() + 4, root);
}

}  // namespace pst::ltp

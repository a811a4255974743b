// Allocation of 64-byte units across AMap intervals, with committed space held back.
#include "pst/ndb/allocation_map.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace pst::ndb {
namespace {
constexpr std::uint8_t bitOf(std::uint64_t unit) { return static_cast<std::uint8_t>(0x80u >> (unit & 7)); }
}  // namespace

void AllocationMap::addInterval(int mapPageCount) {
  std::uint64_t i = intervals();
  current_.resize(current_.size() + kMapBytes, 0);
  committed_.resize(committed_.size() + kMapBytes, 0);
  // Each map page is 8 units = one whole byte of bits.
  for (int p = 0; p < mapPageCount; ++p) {
    current_[i * kMapBytes + p] = 0xFF;
    committed_[i * kMapBytes + p] = 0xFF;
  }
  std::uint32_t freeUnits = kUnitsPerInterval - 8u * static_cast<std::uint32_t>(mapPageCount);
  free_.push_back(freeUnits);
  avail_.push_back(freeUnits);
  dirty_.push_back(0);
  currentFreeUnits_ += freeUnits;
  committedFreeUnits_ += freeUnits;
}

std::uint64_t AllocationMap::freeTailIntervals() const {
  std::uint64_t count = 0;
  for (std::uint64_t i = intervals(); i-- > 1; ++count) {
    PageType types[4];
    const std::uint32_t mapUnits = 8u * static_cast<std::uint32_t>(mapPagesOfInterval(i, types));
    if (avail_[i] != kUnitsPerInterval - mapUnits) break;  // avail_ counts units free in both
  }
  return count;
}

void AllocationMap::removeTailIntervals(std::uint64_t count) {
  assert(count <= freeTailIntervals());
  for (; count > 0; --count) {
    currentFreeUnits_ -= free_.back();
    committedFreeUnits_ -= avail_.back();
    current_.resize(current_.size() - kMapBytes);
    committed_.resize(committed_.size() - kMapBytes);
    free_.pop_back();
    avail_.pop_back();
    dirty_.pop_back();
  }
  blockCursor_ = std::min<std::uint64_t>(blockCursor_, intervals() * kUnitsPerInterval);
  pageCursor_ = std::min<std::uint64_t>(pageCursor_, intervals() * kMapBytes);
}

bool AllocationMap::usedEither(std::uint64_t unit) const {
  return ((current_[unit >> 3] | committed_[unit >> 3]) & bitOf(unit)) != 0;
}

bool AllocationMap::isUsed(std::uint64_t ib) const {
  std::uint64_t unit = (ib - kFirstAMapOffset) / kUnitSize;
  return (current_[unit >> 3] & bitOf(unit)) != 0;
}

void AllocationMap::take(std::uint64_t unit, std::uint32_t count) {
  std::uint64_t i = unit / kUnitsPerInterval;
  for (std::uint64_t u = unit; u < unit + count; ++u) {
    assert(!usedEither(u));
    current_[u >> 3] |= bitOf(u);
  }
  free_[i] -= count;
  avail_[i] -= count;
  currentFreeUnits_ -= count;
  dirty_[i] = 1;
}

std::optional<std::uint64_t> AllocationMap::allocate(std::uint32_t size, bool pageAligned) {
  assert(size % kUnitSize == 0 && size > 0 && size <= kMaxBlockSize);
  const std::uint32_t need = size / kUnitSize;
  const std::uint64_t n = intervals();
  if (pageAligned) {
    // A page is one whole byte of bits, all free.
    for (std::uint64_t i = pageCursor_ / kMapBytes; i < n; ++i) {
      if (avail_[i] < need) continue;
      std::uint64_t b = std::max(pageCursor_, i * kMapBytes);
      for (const std::uint64_t end = (i + 1) * kMapBytes; b < end; ++b) {
        if ((current_[b] | committed_[b]) == 0) {
          take(b * 8, need);
          pageCursor_ = b + 1;
          return kFirstAMapOffset + b * 8 * kUnitSize;
        }
      }
    }
    pageCursor_ = n * kMapBytes;
    return std::nullopt;
  }
  for (std::uint64_t i = blockCursor_ / kUnitsPerInterval; i < n; ++i) {
    if (avail_[i] < need) continue;
    const std::uint64_t end = (i + 1) * kUnitsPerInterval;
    std::uint64_t u = std::max(blockCursor_, i * kUnitsPerInterval);
    std::uint64_t runStart = u;
    std::uint32_t run = 0;
    while (u < end) {
      std::uint8_t used = current_[u >> 3] | committed_[u >> 3];
      if ((u & 7) == 0 && used == 0xFF) {
        run = 0;
        u += 8;
        continue;
      }
      if ((u & 7) == 0 && used == 0) {
        if (run == 0) runStart = u;
        run += 8;
        u += 8;
      } else {
        if (used & bitOf(u)) {
          run = 0;
        } else {
          if (run == 0) runStart = u;
          ++run;
        }
        ++u;
      }
      if (run >= need) {
        take(runStart, need);
        blockCursor_ = runStart + need;
        return kFirstAMapOffset + runStart * kUnitSize;
      }
    }
  }
  blockCursor_ = n * kUnitsPerInterval;
  return std::nullopt;
}

void AllocationMap::release(std::uint64_t ib, std::uint32_t size) {
  std::uint64_t unit = (ib - kFirstAMapOffset) / kUnitSize;
  std::uint32_t count = size / kUnitSize;
  std::uint64_t i = unit / kUnitsPerInterval;
  assert((unit + count - 1) / kUnitsPerInterval == i);
  for (std::uint64_t u = unit; u < unit + count; ++u) {
    assert(current_[u >> 3] & bitOf(u));
    current_[u >> 3] &= static_cast<std::uint8_t>(~bitOf(u));
    if (!(committed_[u >> 3] & bitOf(u))) ++avail_[i];
  }
  free_[i] += count;
  currentFreeUnits_ += count;
  dirty_[i] = 1;
}

void AllocationMap::commitDone() {
  committed_ = current_;
  avail_ = free_;
  committedFreeUnits_ = currentFreeUnits_;
  blockCursor_ = 0;
  pageCursor_ = 0;
}

void AllocationMap::abandonCurrent() {
  current_ = committed_;
  committedFreeUnits_ = 0;
  for (std::uint64_t i = 0; i < intervals(); ++i) {
    std::uint32_t used = 0;
    for (std::size_t b = 0; b < kMapBytes; ++b) used += static_cast<std::uint32_t>(std::popcount(committed_[i * kMapBytes + b]));
    free_[i] = avail_[i] = static_cast<std::uint32_t>(kUnitsPerInterval) - used;
    committedFreeUnits_ += free_[i];
    dirty_[i] = 1;
  }
  currentFreeUnits_ = committedFreeUnits_;
  blockCursor_ = 0;
  pageCursor_ = 0;
}

}  // namespace pst::ndb

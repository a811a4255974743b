// In-memory allocation state behind the AMaps: which 64-byte units the state
// being built uses, which the last committed state uses, and where new space comes from.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/layout.h"

namespace pst::ndb {

class AllocationMap {
 public:
  std::uint64_t intervals() const { return free_.size(); }
  std::uint64_t fileEnd() const { return intervalOffset(intervals()); }

  // Appends one interval; its map pages (mapPageCount of them, at its start)
  // count as used in both the current and the committed state.
  void addInterval(int mapPageCount);
  // Intervals at the end (never the first) that neither state uses beyond
  // their map pages, and dropping that many of them.
  std::uint64_t freeTailIntervals() const;
  void removeTailIntervals(std::uint64_t count);

  // Finds size bytes (a multiple of 64, at most one 8 KB block) that neither
  // the current nor the committed state uses, inside one interval; pages
  // (pageAligned) start on a 512-byte boundary. Marks them used now.
  // Nothing is found when the file must grow first.
  std::optional<std::uint64_t> allocate(std::uint32_t size, bool pageAligned);
  // The current state stops using [ib, ib+size). The space becomes reusable
  // now if the committed state does not use it, else after commitDone().
  void release(std::uint64_t ib, std::uint32_t size);
  // The current state has been committed: it becomes the committed state.
  void commitDone();
  // The current state is given up (a write failed): it becomes the committed
  // state again, and every interval's map counts as changed.
  void abandonCurrent();

  // The AMap bits of interval i for the current state.
  std::span<const std::uint8_t> amapBits(std::uint64_t i) const {
    return {current_.data() + i * kMapBytes, kMapBytes};
  }
  // The AMap bits of interval i for the last committed state.
  std::span<const std::uint8_t> committedBits(std::uint64_t i) const {
    return {committed_.data() + i * kMapBytes, kMapBytes};
  }
  bool isDirty(std::uint64_t i) const { return dirty_[i] != 0; }
  void clearDirty(std::uint64_t i) { dirty_[i] = 0; }
  bool isUsed(std::uint64_t ib) const;

  // Free bytes according to the current state's AMaps, and the committed ones'.
  std::uint64_t freeBytes() const { return currentFreeUnits_ * kUnitSize; }
  std::uint64_t committedFreeBytes() const { return committedFreeUnits_ * kUnitSize; }

 private:
  bool usedEither(std::uint64_t unit) const;
  void take(std::uint64_t unit, std::uint32_t count);

  std::vector<std::uint8_t> current_;    // AMap bits of the state being built
  std::vector<std::uint8_t> committed_;  // AMap bits of the last committed state
  std::vector<std::uint32_t> free_;      // per interval: units free in current_
  std::vector<std::uint32_t> avail_;     // per interval: units free in both
  std::vector<std::uint8_t> dirty_;      // per interval: current_ differs from disk
  std::uint64_t currentFreeUnits_ = 0;
  std::uint64_t committedFreeUnits_ = 0;
  std::uint64_t blockCursor_ = 0;  // unit where the next block search starts
  std::uint64_t pageCursor_ = 0;   // map byte where the next page search starts
};

}  // namespace pst::ndb

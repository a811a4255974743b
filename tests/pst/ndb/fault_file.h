// An in-memory ndb::File that can crash: after a budget of bytes it stops
// writing (tearing the write at 4 KB boundaries, as a killed process can),
// and it can forget a random part of what was written since the last sync
// (as a power loss can).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "pst/error.h"
#include "pst/ndb/file.h"

namespace pst::ndb::test {

struct MemoryDisk {
  struct Write {
    std::uint64_t offset;
    std::vector<std::uint8_t> data;
    bool truncate = false;  // the file was cut to offset bytes
  };
  std::vector<std::uint8_t> durable;  // as of the last sync
  std::vector<Write> pending;         // since the last sync, in order
  std::uint64_t budget = UINT64_MAX;  // bytes that may still be written
  std::uint64_t written = 0;
  std::uint64_t syncs = 0;
  std::uint64_t syncBudget = UINT64_MAX;  // syncs that may still happen
  std::vector<std::pair<std::uint64_t, std::uint64_t>> log;  // offset and size of every write
  bool crashed = false;

  static void apply(std::vector<std::uint8_t>& image, const Write& w) {
    if (w.truncate) {
      image.resize(w.offset);
      return;
    }
    if (image.size() < w.offset + w.data.size()) image.resize(w.offset + w.data.size(), 0);
    std::memcpy(image.data() + w.offset, w.data.data(), w.data.size());
  }
  // The file as another process sees it after a kill: every write that happened.
  std::vector<std::uint8_t> image() const {
    auto img = durable;
    for (const auto& w : pending) apply(img, w);
    return img;
  }
  // The file after a power loss: synced data plus a random subset of the 4 KB
  // pieces written since.
  std::vector<std::uint8_t> powerLossImage(std::mt19937& rng) const {
    auto img = durable;
    std::bernoulli_distribution keep(0.5);
    for (const auto& w : pending) {
      if (w.truncate) {
        if (keep(rng)) apply(img, w);
        continue;
      }
      std::uint64_t pos = w.offset;
      const std::uint64_t end = w.offset + w.data.size();
      while (pos < end) {
        std::uint64_t next = std::min(end, (pos / 4096 + 1) * 4096);
        if (keep(rng)) {
          Write piece{pos, std::vector<std::uint8_t>(w.data.begin() + (pos - w.offset), w.data.begin() + (next - w.offset))};
          apply(img, piece);
        }
        pos = next;
      }
    }
    return img;
  }
};

class FaultFile final : public File {
 public:
  explicit FaultFile(std::shared_ptr<MemoryDisk> disk) : disk_(std::move(disk)) {}

  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    check();
    MemoryDisk& d = *disk_;
    d.log.emplace_back(offset, data.size());
    if (data.size() > d.budget) {
      // Only whole 4 KB pages of the file before the budget runs out land.
      std::uint64_t end = offset + d.budget;
      std::uint64_t cut = end / 4096 * 4096;
      if (cut > offset) d.pending.push_back({offset, {data.begin(), data.begin() + (cut - offset)}});
      d.written += d.budget;
      d.budget = 0;
      d.crashed = true;
      throw Error("simulated crash");
    }
    d.budget -= data.size();
    d.written += data.size();
    d.pending.push_back({offset, {data.begin(), data.end()}});
  }
  // Reads the range from the synced image with the pending writes laid over
  // it, without building the whole image for every read.
  void read(std::uint64_t offset, std::span<std::uint8_t> out) override {
    check();
    const MemoryDisk& d = *disk_;
    const std::uint64_t end = offset + out.size();
    if (end > currentSize()) throw Error("short read");
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (offset < d.durable.size()) {
      const std::uint64_t n = std::min<std::uint64_t>(end, d.durable.size()) - offset;
      std::memcpy(out.data(), d.durable.data() + offset, n);
    }
    for (const auto& w : d.pending) {
      if (w.truncate) {
        if (w.offset < end) std::fill(out.begin() + static_cast<std::ptrdiff_t>(std::max(offset, w.offset) - offset), out.end(), std::uint8_t{0});
        continue;
      }
      const std::uint64_t from = std::max(offset, w.offset);
      const std::uint64_t to = std::min(end, w.offset + w.data.size());
      if (from < to) std::memcpy(out.data() + (from - offset), w.data.data() + (from - w.offset), to - from);
    }
  }
  void sync() override {
    check();
    if (disk_->syncBudget == 0) {
      disk_->crashed = true;
      throw Error("simulated crash");
    }
    --disk_->syncBudget;
    for (const auto& w : disk_->pending) MemoryDisk::apply(disk_->durable, w);
    disk_->pending.clear();
    ++disk_->syncs;
  }
  std::uint64_t size() override {
    check();
    return currentSize();
  }
  bool truncate(std::uint64_t size) override {
    check();
    disk_->pending.push_back({size, {}, true});
    return true;
  }
  void close() override { check(); }

 private:
  std::uint64_t currentSize() const {
    std::uint64_t size = disk_->durable.size();
    for (const auto& w : disk_->pending) size = w.truncate ? w.offset : std::max<std::uint64_t>(size, w.offset + w.data.size());
    return size;
  }
  void check() const {
    if (disk_->crashed) throw Error("simulated crash");
  }
  std::shared_ptr<MemoryDisk> disk_;
};

}  // namespace pst::ndb::test

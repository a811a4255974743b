// An in-memory ndb::File that can crash: after a budget of bytes it stops
// writing (tearing the write at 4 KB boundaries, as a killed process can),
// and it can forget a random part of what was written since the last sync
// (as a power loss can). FaultFileSystem holds such files under names that,
// like their bytes, are durable only once synced.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
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
  ErrorKind budgetKind = ErrorKind::Io;  // a crash, or DiskFull: a disk that filled up
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
      throw Error(d.budgetKind, "simulated crash");
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
    if (end > currentSize()) throw Error(ErrorKind::Corrupt, "short read");
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
      throw Error(ErrorKind::Io, "simulated crash");
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
    if (disk_->crashed) throw Error(ErrorKind::Io, "simulated crash");
  }
  std::shared_ptr<MemoryDisk> disk_;
};

class FaultFileSystem final : public FileSystem {
 public:
  using Names = std::map<std::filesystem::path, std::shared_ptr<MemoryDisk>>;
  Names names;                              // as the running process sees them
  Names durableNames;                       // as of the last syncFolder()
  std::uint64_t syncBudget = UINT64_MAX;    // given to each new file's disk
  std::uint64_t renameBudget = UINT64_MAX;  // renames that may still happen
  std::optional<ErrorKind> renameFails;     // renames fail with this kind
  std::function<void()> beforeRename;       // another process at work meanwhile
  std::vector<std::string> steps;           // "create P", "rename P Q", "sync folder P", "remove P"

  std::unique_ptr<File> createNew(const std::filesystem::path& path) override {
    check();
    steps.push_back("create " + path.generic_string());
    if (names.count(path)) throw Error(ErrorKind::Exists, path.string() + ": simulated: exists");
    auto disk = std::make_shared<MemoryDisk>();
    disk->syncBudget = syncBudget;
    names[path] = disk;
    return std::make_unique<FaultFile>(disk);
  }
  bool exists(const std::filesystem::path& path) override { return names.count(path) != 0; }
  void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    check();
    if (beforeRename) beforeRename();
    steps.push_back("rename " + from.generic_string() + " " + to.generic_string());
    if (renameBudget == 0) {
      crashed_ = true;
      throw Error(ErrorKind::Io, "simulated crash");
    }
    --renameBudget;
    if (renameFails) throw Error(*renameFails, "simulated rename failure");
    if (!names.count(from)) throw Error(ErrorKind::NotFound, from.string() + ": simulated: no such file");
    if (names.count(to)) throw Error(ErrorKind::Exists, to.string() + ": simulated: exists");
    names[to] = names[from];
    names.erase(from);
  }
  void remove(const std::filesystem::path& path) noexcept override {
    if (crashed()) return;  // a process that died removes nothing
    steps.push_back("remove " + path.generic_string());
    names.erase(path);
  }
  void syncFolder(const std::filesystem::path& folder) noexcept override {
    if (crashed()) return;
    steps.push_back("sync folder " + folder.generic_string());
    durableNames = names;
  }
  bool crashed() const {
    if (crashed_) return true;
    for (const auto& [path, disk] : names)
      if (disk->crashed) return true;
    return false;
  }

 private:
  void check() const {
    if (crashed()) throw Error(ErrorKind::Io, "simulated crash");
  }
  bool crashed_ = false;
};

}  // namespace pst::ndb::test

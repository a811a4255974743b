// Writes N message-like nodes (a property block and two subnodes each) into
// a new PST, spread over F folders in runs as an import goes folder by
// folder; every 5,000 messages the contents table of each folder touched is
// put again (grown) and the database commits. Prints nodes/s, MB/s, peak RSS.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pst/ndb/node_database.h"

using namespace pst::ndb;

namespace {

std::vector<std::uint8_t> bytes(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
  return b;
}

// A contents table of rows rows: heap pages (all changed at each commit) and
// a row matrix subnode that only grows at its end.
NodeData table(std::size_t rows, std::uint32_t seed) {
  NodeData t;
  std::size_t heap = 2000 + rows * 12;
  for (std::size_t off = 0; off < heap; off += kMaxBlockData)
    t.blocks.push_back(bytes(std::min(kMaxBlockData, heap - off), seed));
  std::size_t matrix = rows * 126;
  NodeData& m = t.subnodes[makeNid(NID_TYPE_LTP, 1)];
  for (std::size_t off = 0; off < matrix; off += kMaxBlockData) {
    std::size_t n = std::min(kMaxBlockData, matrix - off);
    m.blocks.push_back(bytes(n, static_cast<std::uint32_t>(off + n)));
  }
  return t;
}

// Passes everything through, counting bytes written; with skip, sync() is
// free, which shows the writer's own cost apart from waiting for the disk.
class CountingFile final : public File {
 public:
  explicit CountingFile(std::unique_ptr<File> f) : f_(std::move(f)) {}
  void write(std::uint64_t o, std::span<const std::uint8_t> d) override {
    f_->write(o, d);
    written += d.size();
  }
  void read(std::uint64_t o, std::span<std::uint8_t> d) override { f_->read(o, d); }
  void sync() override {
    if (!skip) f_->sync();
  }
  bool skip = false;
  std::uint64_t written = 0;
  std::uint64_t size() override { return f_->size(); }
  void startWriteback(std::uint64_t o, std::uint64_t n) override {
    if (!skip) f_->startWriteback(o, n);
  }
  void close() override { f_->close(); }

 private:
  std::unique_ptr<File> f_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool noSync = false;
  std::size_t folders = 1;
  std::erase_if(args, [&](const std::string& a) { return a == "--no-sync" && (noSync = true); });
  std::erase_if(args, [&](const std::string& a) {
    return a.rfind("--folders=", 0) == 0 && (folders = std::strtoull(a.c_str() + 10, nullptr, 10)) > 0;
  });
  if (args.size() > 2 || (!args.empty() && args[0].find_first_not_of("0123456789") != std::string::npos)) {
    std::fprintf(stderr, "usage: bench_pst_ndb [N] [DIR] [--folders=F] [--no-sync]\n");
    return 2;
  }
  std::size_t n = args.size() > 0 ? std::strtoull(args[0].c_str(), nullptr, 10) : 100000;
  std::filesystem::path dir = args.size() > 1 ? std::filesystem::path(args[1]) : std::filesystem::temp_directory_path();
  std::filesystem::path path = dir / ("bench_pst_ndb_" + std::to_string(::getpid()) + ".pst");

  const auto start = std::chrono::steady_clock::now();
  auto counting = std::make_unique<CountingFile>(createNewFile(path));
  counting->skip = noSync;
  CountingFile* counter = counting.get();
  auto db = NodeDatabase::create(std::move(counting));
  std::vector<Nid> folderNids;
  std::vector<std::size_t> rows(folders, 0);
  for (std::size_t f = 0; f < folders; ++f) {
    folderNids.push_back(db->allocateNid(NID_TYPE_NORMAL_FOLDER));
    db->putNode(folderNids.back(), folderNids.back(), NodeData{{bytes(400, 1)}, {}});
  }
  std::vector<std::size_t> touched;
  std::size_t nodes = folders, commits = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    const std::size_t f = (i - 1) * folders / n;
    const Nid folder = folderNids[f];
    if (touched.empty() || touched.back() != f) touched.push_back(f);
    ++rows[f];
    Nid m = db->allocateNid(NID_TYPE_NORMAL_MESSAGE);
    NodeData d;
    d.blocks.push_back(bytes(700, static_cast<std::uint32_t>(i)));
    for (int k = 0; k < 8; ++k) d.blocks.back()[k] = static_cast<std::uint8_t>(i >> (8 * k));  // unique per message
    d.subnodes[0x671] = NodeData{{bytes(150, 2)}, {}};
    d.subnodes[0x692] = NodeData{{bytes(220, 3)}, {}};
    db->putNode(m, folder, d);
    ++nodes;
    if (i % 5000 == 0 || i == n) {
      for (std::size_t t : touched) db->putNode(folderNids[t] | 0x0E, 0, table(rows[t], static_cast<std::uint32_t>(i)));
      touched.clear();
      db->commit();
      ++commits;
    }
  }
  db->close();
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  const double cpu = ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  std::printf("messages %zu in %zu folders, nodes %zu, commits %zu%s\n", n, folders, nodes, commits,
              noSync ? " (syncs skipped)" : "");
  std::printf("wall %.3f s (cpu %.3f s), %.0f nodes/s, file %.1f MB, written %.1f MB, %.1f MB/s, peak RSS %.1f MB\n",
              secs, cpu, nodes / secs, mb, static_cast<double>(counter->written) / 1e6, mb / secs,
              ru.ru_maxrss / 1024.0);
  std::filesystem::remove(path);
  return 0;
}

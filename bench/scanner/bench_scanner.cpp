// bench_scanner: builds a tree of 20,000 files in 2,000 folders and times the walk (entries per second).
#include "scanner/card_files.h"
#include "scanner/pathLogger.h"
#include "platform/native_path.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// User plus system CPU time of this process, in seconds: on a busy machine
// the wall clock also counts time spent waiting for a core.
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(usage.ru_utime) + s(usage.ru_stime);
}
}  // namespace
using quillonet::pathLogger;

int main(int argc, char* argv[]) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::string pattern = (fs::temp_directory_path() / "quillonet-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path root = pattern;
  const std::u16string rootText = quillonet::platform::DecodeNativePath(pattern);
  // 40 folders of the first level, 49 below each: 2,000 folders, 10 files in
  // each, every second one a card.
  constexpr int kTop = 40;
  constexpr int kBelow = 49;
  constexpr int kFilesPerFolder = 10;
  int folders = 0;
  int files = 0;
  const auto fill = [&](const fs::path& dir) {
    fs::create_directories(dir);
    ++folders;
    for (int f = 0; f < kFilesPerFolder; ++f) {
      std::ofstream(dir / ("contact" + std::to_string(f) + (f % 2 == 0 ? ".vcf" : ".txt"))) << "BEGIN:VCARD\r\n";
      ++files;
    }
  };
  for (int t = 0; t < kTop; ++t) {
    const fs::path top = root / ("group" + std::to_string(t));
    fill(top);
    for (int b = 0; b < kBelow; ++b) fill(top / ("folder" + std::to_string(b)));
  }
  std::printf("tree: %d folders, %d files under %s\n", folders, files, root.c_str());

  std::vector<double> seconds;
  std::vector<double> cpu;
  int logged = 0;
  int walked = 0;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    pathLogger logger;
    logger.PathLogInit();
    logger.LogPath(rootText);
    logged = logger.fullFileNames()->Count();
    walked = logger.pathNames()->Count();
    logger.Terminate();
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(CpuSeconds() - cpuStart);
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(cpu.begin(), cpu.end());
  const double median = seconds[seconds.size() / 2];
  const double medianCpu = cpu[cpu.size() / 2];
  const int entries = logged + walked;
  std::printf("pathLogger: %d files + %d folders, %d rounds (target 100000 entries/s)\n", logged, walked, rounds);
  std::printf("  wall: median %.1f ms, best %.1f ms: %.0f entries/s median, %.0f best\n", median * 1000,
              seconds.front() * 1000, entries / median, entries / seconds.front());
  std::printf("  cpu:  median %.1f ms: %.0f entries/s\n", medianCpu * 1000, entries / medianCpu);

  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::u16string> cards = quillonet::CollectVCardFiles(rootText);
  const double collect = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("CollectVCardFiles: %lld cards in %.1f ms, %.0f entries/s\n", static_cast<long long>(cards.size()),
              collect * 1000, entries / collect);

  std::error_code ec;
  fs::remove_all(root, ec);
  return logged == files && walked == folders + 1 ? 0 : 1;
}

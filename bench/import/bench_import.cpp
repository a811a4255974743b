// End-to-end figures for the import pipeline on generated cards: the vCard
// reader, the PST writer, the headless import and the window's run of the
// same import, each in its own process so its peak RSS is its own, then
// `readpst -j 0` (one process, no parallel jobs) reading the result as
// reference. The window's run also reports the longest wait of its event
// loop (a 5 ms timer's largest gap) and how often it painted. The last line
// is the headless import's time and peak RSS against readpst's, measured in
// this one command on this one machine.
//
//   bench_import [--cards N] [--many-files] [--photos SHARE] [--keep DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "automation/contact_message.h"
#include "bench/import/vcard_generator.h"
#include "pst/messaging/store.h"
#include "vcard/contact.h"
#include "vcard/reader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include "app/frmStep1.h"
#include "automation/in_process.h"
#include "filelist/dialogs.h"
#include "platform/native_path.h"

namespace fs = std::filesystem;

namespace {

struct Figures {
  double seconds = 0;
  long peakRssKb = 0;
  int status = 0;
};

Figures measure(const std::function<int()>& child) {
  // The stage before may have left hundreds of MB unwritten; that writeback
  // is not this stage's work.
  ::sync();
  std::fflush(stdout);  // or the child prints what is buffered once more
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) _exit(child());
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Figures f;
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.peakRssKb = usage.ru_maxrss;
  f.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return f;
}

int runQuiet(std::vector<std::string> argv, const fs::path& stdoutFile = "/dev/null") {
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  if (!freopen(stdoutFile.c_str(), "w", stdout)) return 127;
  if (!freopen("/dev/null", "w", stderr)) return 127;
  execvp(args[0], args.data());
  return 127;
}

// Hands the cards of a file to `take` a few MB at a time, each slice ending
// after an END:VCARD line, so a stage's memory is what it keeps per card and
// not the whole input.
void forEachCard(const fs::path& p, const std::function<void(vcard::Card&&)>& take) {
  std::ifstream in(p, std::ios::binary);
  std::vector<std::uint8_t> slice;
  std::vector<char> block(8 << 20);
  const std::string_view end = "END:VCARD";
  for (;;) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    slice.insert(slice.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
    const bool last = got == 0 || !in;
    std::size_t cut = slice.size();
    if (!last) {
      const std::string_view text(reinterpret_cast<const char*>(slice.data()), slice.size());
      const std::size_t at = text.rfind(end);
      if (at == std::string_view::npos) continue;
      cut = text.find('\n', at);
      cut = cut == std::string_view::npos ? slice.size() : cut + 1;
    }
    for (auto& card : vcard::parseCards(std::span(slice.data(), cut))) take(std::move(card));
    slice.erase(slice.begin(), slice.begin() + static_cast<std::ptrdiff_t>(cut));
    if (last) break;
  }
}

std::vector<fs::path> vcfFiles(const fs::path& root) {
  std::vector<fs::path> files;
  if (fs::is_regular_file(root)) return {root};
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files.push_back(e.path());
  return files;
}

void row(const char* what, const Figures& f, double units, const char* unit, double mb) {
  std::printf("%-22s %8.2f s %12.0f %s/s %9.1f MB/s %9.1f MB peak RSS%s\n", what, f.seconds,
              units / f.seconds, unit, mb / f.seconds, f.peakRssKb / 1024.0,
              f.status ? "  (FAILED)" : "");
}

// Answers the window's questions: the destination folder, OK to messages.
class BenchDialogs : public quillonet::UserDialogs {
 public:
  explicit BenchDialogs(std::u16string destination) : destination_(std::move(destination)) {}
  quillonet::MsgAnswer MsgBox(const std::u16string&, quillonet::MsgButtons, quillonet::MsgIcon,
                              const std::u16string&, const std::u16string&) override {
    return quillonet::MsgAnswer::Ok;
  }
  std::vector<std::u16string> ShowOpen(const quillonet::OpenFileRequest&) override { return {}; }
  std::u16string BrowseForFolder(const std::u16string&) override { return destination_; }
  void SetBusyPointer(bool) override {}

 private:
  std::u16string destination_;
};

class PaintCounter : public QObject {
 public:
  long paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct WindowFigures {
  double longestGapMs = 0;
  long ticks = 0;
  long paints = 0;
  long gapsOver50Ms = 0;
};

// The import as the window runs it, clicked once with the files listed.
int runWindow(const std::vector<fs::path>& files, const fs::path& outDir, const fs::path& statsFile) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "bench_import";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  BenchDialogs dialogs(quillonet::platform::DecodeNativePath(outDir.string()));
  quillonet::automation::InProcessComponents components;
  quillonet::frmStep1 window(components, &dialogs);
  window.show();
  for (const auto& file : files) window.Files().AddFileToList(quillonet::platform::DecodeNativePath(file.string()));
  // The window's first layout and paint happen before the click, as for a user.
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  PaintCounter counter;
  app.installEventFilter(&counter);
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  WindowFigures figures;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    figures.longestGapMs = std::max(figures.longestGapMs, (now - last) / 1e6);
    figures.gapsOver50Ms += (now - last) > 50'000'000;
    last = now;
    ++figures.ticks;
  });
  timer.start();
  last = clock.nsecsElapsed();
  window.CmdExtractDBX_Click();
  figures.longestGapMs = std::max(figures.longestGapMs, (clock.nsecsElapsed() - last) / 1e6);
  figures.paints = counter.paints;
  std::ofstream(statsFile) << figures.longestGapMs << ' ' << figures.ticks << ' ' << figures.paints << ' '
                          << figures.gapsOver50Ms << '\n';
  return window.Run().outcome().contactsSaved > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bench::GeneratorOptions options;
  options.cards = 100000;
  bool manyFiles = false;
  fs::path keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--cards" && i + 1 < argc) options.cards = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--many-files") manyFiles = true;
    else if (a == "--photos" && i + 1 < argc) options.photoShare = std::atof(argv[++i]);
    else if (a == "--keep" && i + 1 < argc) keep = argv[++i];
    else {
      std::fprintf(stderr, "usage: bench_import [--cards N] [--many-files] [--photos SHARE] [--keep DIR]\n");
      return 64;
    }
  }
  const fs::path dir = keep.empty() ? fs::temp_directory_path() / ("bench_import." + std::to_string(getpid())) : keep;
  fs::create_directories(dir / "out");
  const fs::path input = manyFiles ? dir / "cards" : dir / "cards.vcf";
  const auto tree = manyFiles ? bench::writeManyFiles(input, options) : bench::writeOneFile(input, options);
  const double mb = tree.bytes / 1e6;
  std::printf("input: %llu cards in %llu file(s), %.1f MB (%s)\n", (unsigned long long)tree.cards,
              (unsigned long long)tree.files, mb, input.c_str());

  const auto reader = measure([&] {
    std::size_t cards = 0;
    for (const auto& file : vcfFiles(input))
      forEachCard(file, [&](vcard::Card&& card) { cards += !vcard::toContact(std::move(card)).properties.empty(); });
    return cards == tree.cards ? 0 : 1;
  });

  const auto writer = measure([&] {
    auto store = pst::Store::create(dir / "writer.pst", u"Benchmark");
    const auto folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
    for (const auto& file : vcfFiles(input))
      forEachCard(file, [&](vcard::Card&& card) {
        store->addMessage(folder, quillonet::automation::ToMessage(vcard::toContact(std::move(card))));
      });
    store->close();
    return 0;
  });

  const fs::path cli = fs::path(QUILLONET_BIN_DIR) / "quillonet-import";
  const auto import = measure([&] {
    return runQuiet({cli.string(), "--dest", (dir / "out").string(), input.string()}, dir / "import.out");
  });
  fs::path pstFile;
  {
    std::ifstream out(dir / "import.out");
    for (std::string line; std::getline(out, line);) if (!line.empty()) pstFile = line;
  }

  fs::create_directories(dir / "window");
  const auto windowRun = measure([&] { return runWindow(vcfFiles(input), dir / "window", dir / "window.stats"); });
  WindowFigures windowFigures;
  std::ifstream(dir / "window.stats") >> windowFigures.longestGapMs >> windowFigures.ticks >> windowFigures.paints >>
      windowFigures.gapsOver50Ms;

  fs::create_directories(dir / "readpst");
  const auto readpst = measure([&] {
    return runQuiet({"readpst", "-q", "-j", "0", "-cv", "-o", (dir / "readpst").string(), pstFile.string()});
  });

  std::printf("%-22s %10s %16s %14s %18s\n", "stage", "time", "rate", "input rate", "memory");
  row("vCard reader", reader, tree.cards, "cards", mb);
  row("PST writer (+reader)", writer, tree.cards, "cards", mb);
  row("headless import", import, tree.cards, "cards", mb);
  row("window import", windowRun, tree.cards, "cards", mb);
  const double pstMb = fs::exists(pstFile) ? fs::file_size(pstFile) / 1e6 : 0;
  row("readpst -j 0 (ref.)", readpst, tree.cards, "cards", pstMb);
  std::printf("PST file: %.1f MB; writer/readpst time ratio %.2f; import/readpst %.2f\n", pstMb,
              writer.seconds / readpst.seconds, import.seconds / readpst.seconds);
  std::printf(
      "window/headless time ratio %.2f; event loop: longest wait %.1f ms, %ld waits over 50 ms, "
      "%ld timer ticks, %ld paints\n",
      windowRun.seconds / import.seconds, windowFigures.longestGapMs, windowFigures.gapsOver50Ms, windowFigures.ticks,
      windowFigures.paints);
  std::printf("import/readpst -j 0 time ratio %.2f (%.2f s / %.2f s); headless import peak RSS %.1f MB\n",
              import.seconds / readpst.seconds, import.seconds, readpst.seconds, import.peakRssKb / 1024.0);
  if (keep.empty()) fs::remove_all(dir);
  int failed = reader.status || writer.status || import.status || readpst.status;
  failed = failed || windowRun.status;
  return failed;
}

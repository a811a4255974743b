// Writes N realistic contacts into a new store (one folder, then spread over
// 1,000 folders), has readpst read each file back in the same run, and times
// building and committing a 2,000-folder tree. Prints messages/s, MB/s, peak
// RSS and the ratio of write time to readpst's read time.
//
//   bench_pst_write [N] [--dir DIR] [--keep] [--write-only]
// --write-only writes the one-folder file in this process and stops (for a profiler).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pst/messaging/store.h"

namespace {

using pst::Message;
using pst::NamedId;
using pst::NamedString;
using pst::PropertyKey;
using pst::ltp::PropertyValue;
using Clock = std::chrono::steady_clock;

std::u16string u16(const std::string& s) { return {s.begin(), s.end()}; }

// About 40 properties, as the vCard conversion writes them for a full card.
Message contact(std::size_t i) {
  const std::u16string n = u16(std::to_string(i));
  const std::u16string given = u"Given" + n, surname = u"Surname" + n, display = given + u" " + surname;
  const std::u16string email = u"person" + n + u"@example.com";
  Message m;
  m.properties.reserve(48);
  auto add = [&](PropertyKey key, PropertyValue v) { m.properties.push_back({std::move(key), std::move(v)}); };
  auto tag = [&](pst::ltp::PropId id, const std::u16string& s) { add(id, PropertyValue::string(s)); };
  auto address = [&](std::uint32_t lid, PropertyValue v) { add(NamedId{pst::PSETID_Address, lid}, std::move(v)); };
  tag(0x001A, u"IPM.Contact");
  tag(0x3001, display);
  tag(0x0037, display);
  tag(0x0E1D, display);
  tag(0x3A06, given);
  tag(0x3A11, surname);
  tag(0x3A44, u"M.");
  tag(0x3A45, u"Dr.");
  tag(0x3A16, u"Example Industries Ltd");
  tag(0x3A18, u"Research");
  tag(0x3A17, u"Senior Engineer");
  tag(0x3A08, u"+44 20 7946 0" + n.substr(0, 3));
  tag(0x3A09, u"+44 20 7946 1" + n.substr(0, 3));
  tag(0x3A1C, u"+44 7700 900" + n.substr(0, 3));
  tag(0x3A24, u"+44 20 7946 2" + n.substr(0, 3));
  tag(0x3A29, n + u" Business Road");
  tag(0x3A27, u"London");
  tag(0x3A28, u"Greater London");
  tag(0x3A2A, u"EC1A 1BB");
  tag(0x3A26, u"United Kingdom");
  tag(0x3A5D, n + u" Home Street");
  tag(0x3A59, u"Cambridge");
  tag(0x3A5C, u"Cambridgeshire");
  tag(0x3A5B, u"CB2 1TN");
  tag(0x3A5A, u"United Kingdom");
  tag(0x3A51, u"https://example.com/~" + n);
  tag(0x1000, u"Met at the conference. Prefers e-mail; call after 10am.");
  add(pst::ltp::PropId{0x3A42}, PropertyValue::time(0x01C0A0B0C0D0E0F0ULL));
  address(0x8005, PropertyValue::string(surname + u", " + given));
  address(0x8006, PropertyValue::integer32(0x8017));
  address(0x8080, PropertyValue::string(display + u" (" + email + u")"));
  address(0x8082, PropertyValue::string(u"SMTP"));
  address(0x8083, PropertyValue::string(email));
  address(0x8084, PropertyValue::string(email));
  address(0x8029, PropertyValue::integer32(1));
  const std::vector<std::int32_t> providers{0};
  address(0x8028, PropertyValue::multipleInteger32(providers));
  address(0x801B, PropertyValue::string(n + u" Business Road\r\nLondon EC1A 1BB\r\nUnited Kingdom"));
  address(0x801A, PropertyValue::string(n + u" Home Street\r\nCambridge CB2 1TN\r\nUnited Kingdom"));
  address(0x8062, PropertyValue::string(u"im:" + email));
  const std::vector<std::u16string> categories{u"Business", u"Conference"};
  add(NamedString{pst::PS_PUBLIC_STRINGS, u"Keywords"}, PropertyValue::multipleString(categories));
  return m;
}

// Passes every call through, counting the bytes written and the syncs.
class CountingFile final : public pst::ndb::File {
 public:
  explicit CountingFile(std::unique_ptr<pst::ndb::File> file) : file_(std::move(file)) {}
  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    file_->write(offset, data);
    written += data.size();
  }
  void read(std::uint64_t offset, std::span<std::uint8_t> out) override { file_->read(offset, out); }
  void sync() override {
    file_->sync();
    ++syncs;
  }
  std::uint64_t size() override { return file_->size(); }
  void close() override { file_->close(); }
  void startWriteback(std::uint64_t offset, std::uint64_t size) override { file_->startWriteback(offset, size); }
  bool truncate(std::uint64_t size) override { return file_->truncate(size); }

  std::uint64_t written = 0;
  std::uint64_t syncs = 0;

 private:
  std::unique_ptr<pst::ndb::File> file_;
};

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct ChildUsage {
  double peakRssMb = 0;
  double cpuSeconds = 0;  // user + system
};

ChildUsage usageOf(const struct rusage& u) {
  auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return {static_cast<double>(u.ru_maxrss) / 1024.0, secs(u.ru_utime) + secs(u.ru_stime)};
}

// Runs fn in a child process; returns its peak RSS and CPU time.
bool inProcess = false;

template <typename F>
ChildUsage inChild(F fn) {
  if (inProcess) {
    fn();
    return {};
  }
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int rc = 0;
    try {
      fn();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "failed: %s\n", e.what());
      rc = 1;
    }
    std::fflush(stdout);
    ::_exit(rc);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "benchmark step failed\n");
    std::exit(1);
  }
  return usageOf(usage);
}

// Wall time of readpst -q -cv -o DIR FILE, and its CPU time.
std::pair<double, double> readpstSeconds(const std::filesystem::path& file, const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("readpst", "readpst", "-q", "-cv", "-o", dir.c_str(), file.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "readpst failed on %s\n", file.c_str());
    std::exit(1);
  }
  return {seconds(start), usageOf(usage).cpuSeconds};
}

void writeContacts(const std::filesystem::path& file, std::size_t n, std::size_t folders, const char* label,
                   const std::filesystem::path& dir) {
  const auto timing = dir / (file.filename().string() + ".seconds");
  const ChildUsage writer = inChild([&] {
    const auto start = Clock::now();
    auto counting = std::make_unique<CountingFile>(pst::ndb::createNewFile(file));
    CountingFile& io = *counting;
    auto store = pst::Store::create(std::move(counting), u"Benchmark");
    std::vector<pst::FolderId> targets;
    for (std::size_t f = 0; f < folders; ++f)
      targets.push_back(store->createFolder(store->ipmSubtree(), u"Contacts " + u16(std::to_string(f)), u"IPF.Contact"));
    for (std::size_t i = 0; i < n; ++i) store->addMessage(targets[i % folders], contact(i));
    store->close();
    std::FILE* out = std::fopen(timing.c_str(), "w");
    std::fprintf(out, "%.6f %llu %llu\n", seconds(start), static_cast<unsigned long long>(io.written),
                 static_cast<unsigned long long>(io.syncs));
    std::fclose(out);
  });
  double write = 0;
  unsigned long long written = 0, syncs = 0;
  std::FILE* in = std::fopen(timing.c_str(), "r");
  if (in == nullptr || std::fscanf(in, "%lf %llu %llu", &write, &written, &syncs) != 3) std::exit(1);
  std::fclose(in);
  const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
  if (inProcess) {
    std::printf("%s: wrote %zu contacts in %.2f s\n", label, n, write);
    return;
  }
  const auto [read, readCpu] = readpstSeconds(file, dir / (file.filename().string() + ".readpst"));
  std::printf("%s: %zu contacts in %zu folder(s)\n", label, n, folders);
  std::printf("  write %.2f s (CPU %.2f s): %.0f messages/s, %.1f MB/s (file %.1f MB), peak RSS %.1f MB\n", write,
              writer.cpuSeconds, static_cast<double>(n) / write, mb / write, mb, writer.peakRssMb);
  std::printf("  %.1f MB written in all (%.2f x the file), %llu syncs\n", static_cast<double>(written) / 1e6,
              static_cast<double>(written) / 1e6 / mb, syncs);
  std::printf("  readpst -q -cv %.2f s (CPU %.2f s); write/readpst %.2f, in CPU time %.2f (target <= 0.5)\n", read,
              readCpu, write / read, writer.cpuSeconds / readCpu);
}

void folderTree(const std::filesystem::path& file) {
  inChild([&] {
    auto store = pst::Store::create(file, u"Tree");
    const auto start = Clock::now();
    // 40 groups of 49 folders, each group also a chain; 2,000 folders in all.
    std::size_t count = 0;
    for (std::size_t g = 0; count < 2000; ++g) {
      pst::FolderId parent = store->createFolder(store->ipmSubtree(), u"Group " + u16(std::to_string(g)), u"IPF.Contact");
      ++count;
      for (std::size_t i = 0; i < 49 && count < 2000; ++i, ++count)
        parent = store->createFolder(i % 4 == 0 ? parent : store->ipmSubtree(),
                                     u"Folder " + u16(std::to_string(g)) + u"." + u16(std::to_string(i)),
                                     u"IPF.Contact");
    }
    const double build = seconds(start);
    store->commit();
    const double total = seconds(start);
    store->close();
    std::printf("2,000-folder tree: built in %.3f s, committed after %.3f s (target well under 1 s)\n", build, total);
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t n = 100000;
  std::filesystem::path dir;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--write-only") == 0) {
      inProcess = true;
    } else {
      n = std::strtoull(argv[i], nullptr, 10);
    }
  }
  if (dir.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-pst-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    dir = pattern;
  }
  std::filesystem::create_directories(dir);
  writeContacts(dir / "one-folder.pst", n, 1, "one folder", dir);
  if (inProcess) {
    if (!keep) std::filesystem::remove_all(dir);
    return 0;
  }
  writeContacts(dir / "many-folders.pst", n, 1000, "1,000 folders", dir);
  folderTree(dir / "tree.pst");
  if (!keep) std::filesystem::remove_all(dir);
  return 0;
}

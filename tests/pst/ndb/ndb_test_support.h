// Helpers for the NDB tests: temporary folders, the two strict checkers, node data.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pst/ndb/node_data.h"
#include "pst/verify/verify.h"

namespace pst::ndb::test {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ndbtest.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct CheckResult {
  int exitCode = -1;
  std::string output;
};

// Runs the shared strict checker (optionally with --dump) and our own
// checker on a file; exitCode is 0 only when both find nothing.
inline CheckResult runPstStrict(const std::filesystem::path& file, bool dump = false) {
  std::string cmd = std::string("'") + QUILLONET_SHARED_TOOLS + "/pststrict' " + (dump ? "--dump " : "") + "'" +
                    file.string() + "' 2>&1";
  CheckResult r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
  int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // These tests store raw bytes under any NID, without a folder tree.
  const auto own = pst::verify::checkFile(file, {.storeRules = false});
  if (!own.clean()) {
    if (r.exitCode == 0) r.exitCode = 1;
    r.output += "quillonet-pstverify:\n" + own.text();
  }
  return r;
}

// size bytes of a pattern derived from seed. It starts 00 D8 41 00 (never a
// heap signature, never printable UTF-16) so the checker's dump shows it as hex.
inline std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> b(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& v : b) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = static_cast<std::uint8_t>(x);
  }
  const std::uint8_t head[4] = {0x00, 0xD8, 0x41, 0x00};
  for (std::size_t i = 0; i < std::min<std::size_t>(4, size); ++i) b[i] = head[i];
  return b;
}

// A node whose data stream of total bytes is cut into full blocks.
inline NodeData streamNode(std::size_t total, std::uint32_t seed) {
  NodeData d;
  auto all = pattern(total, seed);
  for (std::size_t i = 0; i < total; i += kMaxBlockData) {
    std::size_t n = std::min(kMaxBlockData, total - i);
    d.blocks.emplace_back(all.begin() + i, all.begin() + i + n);
  }
  return d;
}

}  // namespace pst::ndb::test

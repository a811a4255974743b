// Helpers for the NDB tests: temporary folders, the strict checker, node data.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "pst/ndb/node_data.h"
#include "tests/support/pst_checks.h"
#include "tests/support/temp_dir.h"

namespace pst::ndb::test {

using quillonet::test_support::TempDir;

// Our strict checker on a file of these tests, which store raw bytes under
// any NID without a folder tree: its problems ("" when none) and what it
// read from every node.
inline quillonet::test_support::StrictRead strictCheck(const std::filesystem::path& file) {
  return quillonet::test_support::strictRead(file, {.storeRules = false});
}

// size bytes of a pattern derived from seed. It starts 00 D8 41 00 (never a
// heap signature) so the checker reads it as a plain stream.
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

// A small reader of what the tests need from a written file: header fields,
// the B-tree pages and the block and node entries they hold.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

#include "pst/little_endian.h"

namespace pst::ndb::test {

struct ParsedFile {
  std::uint64_t bidNextP = 0, bidNextB = 0, ibFileEof = 0, ibAMapLast = 0, cbAMapFree = 0;
  std::uint32_t dwUnique = 0;
  std::uint8_t fAMapValid = 0, cryptMethod = 0;
  struct Block {
    std::uint64_t ib;
    std::uint16_t cb, cRef;
  };
  struct Node {
    std::uint64_t data, sub;
    std::uint32_t parent;
  };
  std::map<std::uint64_t, Block> blocks;  // by BID
  std::map<std::uint32_t, Node> nodes;    // by NID
  std::vector<std::uint64_t> pages;       // offsets of the B-tree pages
  int nbtLevels = 0, bbtLevels = 0;
};

inline void walkTree(const std::vector<std::uint8_t>& f, std::uint64_t ib, bool nbt, ParsedFile& out, int& levels) {
  if (ib + 512 > f.size()) throw std::runtime_error("page beyond the file");
  std::span<const std::uint8_t> p(f.data() + ib, 512);
  out.pages.push_back(ib);
  const int cEnt = p[0x1E8], cbEnt = p[0x1EA], level = p[0x1EB];
  levels = std::max(levels, level + 1);
  for (int i = 0; i < cEnt; ++i) {
    const std::size_t at = static_cast<std::size_t>(i) * cbEnt;
    if (level > 0) {
      walkTree(f, le::get<std::uint64_t>(p, at + 16), nbt, out, levels);
    } else if (nbt) {
      out.nodes[static_cast<std::uint32_t>(le::get<std::uint64_t>(p, at))] = {
          le::get<std::uint64_t>(p, at + 8), le::get<std::uint64_t>(p, at + 16), le::get<std::uint32_t>(p, at + 24)};
    } else {
      out.blocks[le::get<std::uint64_t>(p, at)] = {
          le::get<std::uint64_t>(p, at + 8), le::get<std::uint16_t>(p, at + 16), le::get<std::uint16_t>(p, at + 18)};
    }
  }
}

inline ParsedFile parseFile(const std::vector<std::uint8_t>& f) {
  if (f.size() < 0x4400) throw std::runtime_error("file too short");
  std::span<const std::uint8_t> h(f.data(), 0x234);
  ParsedFile out;
  out.bidNextP = le::get<std::uint64_t>(h, 0x20);
  out.dwUnique = le::get<std::uint32_t>(h, 0x28);
  out.ibFileEof = le::get<std::uint64_t>(h, 0xB8);
  out.ibAMapLast = le::get<std::uint64_t>(h, 0xC0);
  out.cbAMapFree = le::get<std::uint64_t>(h, 0xC8);
  out.fAMapValid = h[0xF8];
  out.cryptMethod = h[0x201];
  out.bidNextB = le::get<std::uint64_t>(h, 0x204);
  walkTree(f, le::get<std::uint64_t>(h, 0xE0), true, out, out.nbtLevels);
  walkTree(f, le::get<std::uint64_t>(h, 0xF0), false, out, out.bbtLevels);
  return out;
}

}  // namespace pst::ndb::test

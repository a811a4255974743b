// What the checker read from each node of a file: a PC's properties, a TC's
// columns and rows, the start of a plain stream. For looking at a file by
// hand (quillonet-pstverify --dump) and for tests that compare what a writer
// stored, read by a reader independent of the writer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace pst::verify {

struct NodeContents {
  using Cells = std::map<std::uint32_t, std::string>;  // property tag -> value as text

  std::uint32_t nid = 0;
  std::uint32_t parent = 0;
  // "PC", "TC", "heap" (another client signature), "stream" (not a heap),
  // "empty" (no data) or "unreadable" (the data tree is broken).
  std::string kind;
  std::vector<std::uint32_t> subnodes;  // NIDs of the node's subnodes
  Cells properties;                     // PC
  std::string columns;                  // TC: each column as tag@ibData/cbData/iBit
  std::vector<Cells> rows;              // TC: the cells present, in row-index order
  std::string stream;                   // stream: its start as "hex:...", "..(size)" when cut

  // The first TC row whose cell `tag` reads `value`, or null.
  const Cells* rowWith(std::uint32_t tag, const std::string& value) const;
};

struct Contents {
  std::map<std::uint32_t, NodeContents> nodes;  // every NBT node by NID
  std::size_t blocks = 0;                       // BBT entries
};

// A value as the dump shows it: strings as UTF-8, multi-valued strings as
// [a | b], integers, booleans, times and floats as the hex of their stored
// little-endian bits ("0x1"), everything else as "hex:" and its bytes.
std::string valueText(std::uint16_t type, std::span<const std::uint8_t> value);

// The stream's start as "hex:" and up to 40 bytes, then "..(size)" when longer.
std::string streamText(std::span<const std::uint8_t> head, std::uint64_t size);

// Every node, one line each with its properties, columns and rows below it.
std::string dumpText(const Contents& contents);

}  // namespace pst::verify

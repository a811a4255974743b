// A small independent reader of LTP node data for the tests: heaps, BTHs,
// property contexts and table contexts, checking the format rules as it goes.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/ltp/table_context.h"
#include "pst/ndb/node_data.h"

namespace ltptest {

using Bytes = std::vector<std::uint8_t>;

struct FormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::uint16_t u16(const std::uint8_t* p);
std::uint32_t u32(const std::uint8_t* p);

struct Heap {
  std::uint8_t clientSig = 0;
  std::uint32_t userRoot = 0;
  std::vector<std::vector<Bytes>> pages;     // allocations per page
  std::vector<std::uint8_t> fillLevels;      // as stored in HNHDR / HNBITMAPHDR

  Bytes get(std::uint32_t hid) const;
};
// Parses and checks every page of a heap node.
Heap readHeap(const pst::ndb::NodeData& node);

struct Bth {
  std::uint8_t cbKey = 0, cbEnt = 0, levels = 0;
  std::vector<std::pair<std::uint64_t, Bytes>> records;  // key, data
};
Bth readBth(const Heap& heap, std::uint32_t hid);

// A value by HNID: heap allocation, subnode stream or empty.
Bytes readHnid(const Heap& heap, const pst::ndb::NodeData& node, std::uint32_t hnid);

struct PcEntry {
  std::uint16_t type = 0;
  std::uint32_t raw = 0;  // dwValueHnid as stored
  Bytes value;            // the value's bytes (inline ones cut to their size)
};
std::map<std::uint16_t, PcEntry> readPc(const pst::ndb::NodeData& node);

struct Table {
  std::vector<pst::ltp::ColumnDesc> columns;
  std::uint16_t rgib[4] = {};
  std::uint32_t hnidRows = 0;
  std::uint8_t indexLevels = 0;
  std::vector<std::uint32_t> rowIds;              // in row index order
  std::vector<std::map<pst::ltp::PropTag, Bytes>> rows;  // present cells, same order
  std::vector<Bytes> rawRows;                     // row bytes as stored
};
Table readTc(const pst::ndb::NodeData& node);

}  // namespace ltptest

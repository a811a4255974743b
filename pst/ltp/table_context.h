// Table context builder (MS-PST 2.3.4): column descriptors, a row index BTH
// (RowId -> row number) and a row matrix kept in the heap or, when large, in
// a subnode; variable-size cells live in the heap (or subnodes).
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/ndb/node_data.h"

namespace pst::ltp {

constexpr PropTag kPidTagLtpRowId = 0x67F20003;
constexpr PropTag kPidTagLtpRowVer = 0x67F30003;

// Size of a cell of this type in a row: Boolean 1, Integer16 2, other fixed
// types their size, every variable-size or multi-valued type 4 (an HNID).
std::uint8_t tableCellSize(PropType type);

// TCOLDESC: where one column's cell lies in a row.
struct ColumnDesc {
  PropTag tag = 0;
  std::uint16_t ibData = 0;
  std::uint8_t cbData = 0;
  std::uint8_t iBit = 0;
};

class TableContextBuilder {
 public:
  // Columns laid out by the TC rules: PidTagLtpRowId at 0 and PidTagLtpRowVer
  // at 4 (added if missing), then 8-, 4-, 2- and 1-byte cells, then the cell
  // existence bitmap.
  explicit TableContextBuilder(std::vector<PropTag> columns);
  // Columns with a layout given explicitly (a template copied byte for byte).
  static TableContextBuilder withLayout(std::vector<ColumnDesc> columns);

  // Sorted by tag, as TCINFO lists them.
  const std::vector<ColumnDesc>& columns() const;
  // rgib[TCI_bm]: bytes per row, cell existence bitmap included.
  std::size_t rowSize() const;

  // Adds a row, or replaces the row with that RowId in place. Cells whose tag
  // is not a column are ignored; missing cells are absent (CEB bit clear).
  // The PidTagLtpRowId cell is always rowId; without a PidTagLtpRowVer cell
  // the row gets the next value of a per-table counter. A cell whose value
  // does not match its column's type throws pst::Error and changes nothing.
  void setRow(std::uint32_t rowId, const std::map<PropTag, PropertyValue>& cells);
  // The same with cells in any order (no map to build per row).
  void setRow(std::uint32_t rowId, std::span<const std::pair<PropTag, PropertyValue>> cells);
  bool removeRow(std::uint32_t rowId);
  std::size_t rowCount() const;
  bool hasRow(std::uint32_t rowId) const;

  // The node's heap pages and subnodes (row matrix, values over 3580 bytes).
  // Costs a copy of the table: rows are stored as the output holds them, so
  // building after appending rows does no work for the rows already there.
  // Not to be called on one builder from two threads at once.
  ndb::NodeData build() const;

  // Once the output of the last build() is stored, frees the bytes of the
  // blocks in it that new rows cannot change: full row-matrix blocks, full
  // heap pages, and the row index's full leaves (moved into the heap). Later
  // builds leave those blocks empty, for the node database to keep (see
  // ndb::NodeData), so a growing table costs memory and work in proportion
  // to its new rows. From then on the table only takes new rows, each with a
  // RowId above all it holds; anything else throws pst::Error.
  void dropWrittenBlocks();

 private:
  struct Impl;
  Impl& mutableImpl();  // copy on write: copies of a builder never share changes
  std::size_t findColumn(PropTag tag) const;  // index in columns(), or its size
  template <typename It>
  void setRowFrom(std::uint32_t rowId, It begin, It end);
  std::shared_ptr<Impl> impl_;
};

}  // namespace pst::ltp

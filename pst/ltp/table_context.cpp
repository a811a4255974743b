// Table context builder: column layout, compact row storage and the TC heap
// (TCINFO, row index BTH, row matrix in the heap or in a subnode).
#include "pst/ltp/table_context.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/error.h"
#include "pst/ltp/bth.h"
#include "pst/ltp/bytes.h"
#include "pst/ltp/heap.h"
#include "pst/ltp/stream.h"

namespace pst::ltp {

namespace {

constexpr std::uint8_t kTcInfoType = 0x7C;
constexpr std::size_t kTcInfoHeader = 22;
constexpr std::size_t kMaxColumns = 255;  // cCols is one byte

std::string hexTag(PropTag tag) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(tag));
  return buf;
}

// Cells of fixed types of up to 8 bytes hold the value; every other type
// holds a 4-byte HNID.
bool holdsHnid(PropType type) {
  const std::size_t size = fixedSize(type);
  return size == 0;
}

}  // namespace

std::uint8_t tableCellSize(PropType type) {
  if (!isKnownType(type)) throw Error("unsupported column type " + hexTag(static_cast<PropTag>(type)));
  const std::size_t size = fixedSize(type);
  return static_cast<std::uint8_t>(size == 0 ? 4 : size);
}

// Rows are kept as the row matrix will hold them, except that a variable-size
// cell holds 1 + the offset of its value in `var` (0: empty value), where each
// value is stored as a 4-byte length and its bytes. build() turns those into
// HNIDs. Replaced values stay in `var` as garbage until it is compacted.
struct TableContextBuilder::Impl {
  std::vector<ColumnDesc> columns;  // sorted by tag
  std::vector<std::uint8_t> hnidColumn;  // per column: 1 when the cell is an HNID
  std::vector<std::uint16_t> varCells;   // ibData of HNID cells, ascending
  std::vector<std::uint8_t> varBits;     // their iBit, same order
  std::uint16_t rgib[4] = {};            // TCI_4b, TCI_2b, TCI_1b, TCI_bm
  std::size_t rowSize = 0;

  std::vector<std::uint8_t> rows;
  std::vector<std::uint8_t> var;
  std::size_t varGarbage = 0;
  // RowId -> row number, sorted by RowId.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> index;
  std::uint32_t nextRowVer = 1;

  void finishLayout();
  std::size_t rowCount() const { return index.size(); }
  bool cellExists(const std::uint8_t* row, std::uint8_t iBit) const {
    return (row[rgib[2] + (iBit >> 3)] & (0x80 >> (iBit & 7))) != 0;
  }
  std::uint32_t appendVar(std::span<const std::uint8_t> bytes);
  std::size_t garbageOf(const std::uint8_t* row) const;
  void compactVar();
};

void TableContextBuilder::Impl::finishLayout() {
  std::sort(columns.begin(), columns.end(), [](const ColumnDesc& a, const ColumnDesc& b) { return a.tag < b.tag; });
  if (columns.size() > kMaxColumns) throw Error("table with more than 255 columns");
  for (std::size_t i = 1; i < columns.size(); ++i) {
    if (columns[i].tag == columns[i - 1].tag) throw Error("column " + hexTag(columns[i].tag) + " given twice");
  }
  const std::size_t cebSize = (columns.size() + 7) / 8;
  // Regions of 8/4-byte, 2-byte and 1-byte cells, in that order.
  std::size_t end4 = 0, end2 = 0, end1 = 0;
  for (const ColumnDesc& c : columns) {
    const std::uint8_t want = tableCellSize(tagType(c.tag));
    if (c.cbData != want) {
      throw Error("column " + hexTag(c.tag) + " has cbData " + std::to_string(c.cbData) + ", want " +
                  std::to_string(want));
    }
    std::size_t& end = c.cbData >= 4 ? end4 : c.cbData == 2 ? end2 : end1;
    end = std::max<std::size_t>(end, c.ibData + c.cbData);
  }
  end2 = std::max(end2, end4);
  end1 = std::max(end1, end2);
  rowSize = end1 + cebSize;
  if (rowSize > ndb::kMaxBlockData) throw Error("table row of " + std::to_string(rowSize) + " bytes");
  rgib[0] = static_cast<std::uint16_t>(end4);
  rgib[1] = static_cast<std::uint16_t>(end2);
  rgib[2] = static_cast<std::uint16_t>(end1);
  rgib[3] = static_cast<std::uint16_t>(rowSize);

  std::vector<std::uint8_t> used(end1, 0);
  std::vector<bool> bits(columns.size(), false);
  for (const ColumnDesc& c : columns) {
    const std::size_t regionStart = c.cbData >= 4 ? 0 : c.cbData == 2 ? end4 : end2;
    if (c.ibData < regionStart) throw Error("column " + hexTag(c.tag) + " lies outside its cell-size region");
    for (std::size_t b = c.ibData; b < c.ibData + c.cbData; ++b) {
      if (used[b]) throw Error("column " + hexTag(c.tag) + " overlaps another column");
      used[b] = 1;
    }
    if (c.iBit >= columns.size() || bits[c.iBit]) {
      throw Error("column " + hexTag(c.tag) + " has a bad or repeated iBit " + std::to_string(c.iBit));
    }
    bits[c.iBit] = true;
  }
  auto findColumn = [this](PropTag tag) {
    return std::find_if(columns.begin(), columns.end(), [tag](const ColumnDesc& c) { return c.tag == tag; });
  };
  const auto rowId = findColumn(kPidTagLtpRowId);
  const auto rowVer = findColumn(kPidTagLtpRowVer);
  if (rowId == columns.end() || rowId->ibData != 0) throw Error("table without PidTagLtpRowId at offset 0");
  if (rowVer == columns.end() || rowVer->ibData != 4) throw Error("table without PidTagLtpRowVer at offset 4");

  std::vector<const ColumnDesc*> byOffset;
  for (const ColumnDesc& c : columns) {
    hnidColumn.push_back(holdsHnid(tagType(c.tag)) ? 1 : 0);
    if (hnidColumn.back()) byOffset.push_back(&c);
  }
  std::sort(byOffset.begin(), byOffset.end(), [](auto* a, auto* b) { return a->ibData < b->ibData; });
  for (const ColumnDesc* c : byOffset) {
    varCells.push_back(c->ibData);
    varBits.push_back(c->iBit);
  }
}

std::uint32_t TableContextBuilder::Impl::appendVar(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return 0;
  if (var.size() + 4 + bytes.size() >= UINT32_MAX) throw Error("table cell data larger than 4 GB");
  const auto ref = static_cast<std::uint32_t>(var.size() + 1);
  le::append32(var, static_cast<std::uint32_t>(bytes.size()));
  var.insert(var.end(), bytes.begin(), bytes.end());
  return ref;
}

std::size_t TableContextBuilder::Impl::garbageOf(const std::uint8_t* row) const {
  std::size_t total = 0;
  for (std::size_t k = 0; k < varCells.size(); ++k) {
    if (!cellExists(row, varBits[k])) continue;
    const std::uint32_t ref = le::get32(row + varCells[k]);
    if (ref != 0) total += 4 + le::get32(var.data() + ref - 1);
  }
  return total;
}

void TableContextBuilder::Impl::compactVar() {
  std::vector<std::uint8_t> fresh;
  fresh.reserve(var.size() - varGarbage);
  for (std::size_t r = 0; r < rowCount(); ++r) {
    std::uint8_t* row = rows.data() + r * rowSize;
    for (std::size_t k = 0; k < varCells.size(); ++k) {
      if (!cellExists(row, varBits[k])) continue;
      const std::uint32_t ref = le::get32(row + varCells[k]);
      if (ref == 0) continue;
      const std::uint32_t len = le::get32(var.data() + ref - 1);
      le::put32(row + varCells[k], static_cast<std::uint32_t>(fresh.size() + 1));
      fresh.insert(fresh.end(), var.begin() + ref - 1, var.begin() + ref + 3 + len);
    }
  }
  var = std::move(fresh);
  varGarbage = 0;
}

TableContextBuilder::TableContextBuilder(std::vector<PropTag> tags) : impl_(std::make_shared<Impl>()) {
  if (std::find(tags.begin(), tags.end(), kPidTagLtpRowId) == tags.end()) tags.push_back(kPidTagLtpRowId);
  if (std::find(tags.begin(), tags.end(), kPidTagLtpRowVer) == tags.end()) tags.push_back(kPidTagLtpRowVer);
  std::sort(tags.begin(), tags.end());
  if (std::adjacent_find(tags.begin(), tags.end()) != tags.end()) {
    throw Error("column " + hexTag(*std::adjacent_find(tags.begin(), tags.end())) + " given twice");
  }
  if (tags.size() > kMaxColumns) throw Error("table with more than 255 columns");
  // RowId and RowVer first, then cells by size (8, 4, 2, 1), each size by tag.
  std::vector<ColumnDesc> layout;
  std::uint16_t at = 8;
  std::uint8_t bit = 2;
  layout.push_back({kPidTagLtpRowId, 0, 4, 0});
  layout.push_back({kPidTagLtpRowVer, 4, 4, 1});
  for (std::uint8_t size : {8, 4, 2, 1}) {
    for (PropTag tag : tags) {
      if (tag == kPidTagLtpRowId || tag == kPidTagLtpRowVer) continue;
      if (tableCellSize(tagType(tag)) != size) continue;
      layout.push_back({tag, at, size, bit++});
      at = static_cast<std::uint16_t>(at + size);
    }
  }
  impl_->columns = std::move(layout);
  impl_->finishLayout();
}

TableContextBuilder TableContextBuilder::withLayout(std::vector<ColumnDesc> columns) {
  TableContextBuilder out(std::vector<PropTag>{});
  auto impl = std::make_shared<Impl>();
  impl->columns = std::move(columns);
  impl->finishLayout();
  out.impl_ = std::move(impl);
  return out;
}

const std::vector<ColumnDesc>& TableContextBuilder::columns() const { return impl_->columns; }

std::size_t TableContextBuilder::rowSize() const { return impl_->rowSize; }

std::size_t TableContextBuilder::rowCount() const { return impl_->rowCount(); }

TableContextBuilder::Impl& TableContextBuilder::mutableImpl() {
  if (impl_.use_count() > 1) impl_ = std::make_shared<Impl>(*impl_);
  return *impl_;
}

void TableContextBuilder::setRow(std::uint32_t rowId, const std::map<PropTag, PropertyValue>& cells) {
  // Check every cell before anything changes, so a bad value loses nothing.
  const Impl& view = *impl_;
  bool hasRowVer = false;
  {
    auto col = view.columns.begin();
    for (const auto& [tag, value] : cells) {
      while (col != view.columns.end() && col->tag < tag) ++col;
      if (col == view.columns.end() || col->tag != tag) continue;
      if (value.type != tagType(tag)) {
        throw Error("cell " + hexTag(tag) + " holds a value of type " +
                    hexTag(static_cast<PropTag>(value.type)));
      }
      value.validate();
      if (tag == kPidTagLtpRowVer) hasRowVer = true;
    }
  }

  Impl& impl = mutableImpl();
  std::vector<std::uint8_t> row(impl.rowSize, 0);
  std::uint8_t* ceb = row.data() + impl.rgib[2];
  std::size_t c = 0;
  for (const auto& [tag, value] : cells) {
    while (c < impl.columns.size() && impl.columns[c].tag < tag) ++c;
    if (c == impl.columns.size() || impl.columns[c].tag != tag) continue;
    const ColumnDesc& col = impl.columns[c];
    if (impl.hnidColumn[c]) {
      le::put32(row.data() + col.ibData, impl.appendVar(value.data));
    } else {
      std::memcpy(row.data() + col.ibData, value.data.data(), col.cbData);
    }
    ceb[col.iBit >> 3] |= static_cast<std::uint8_t>(0x80 >> (col.iBit & 7));
  }
  le::put32(row.data(), rowId);
  ceb[0] |= 0x80;
  if (!hasRowVer) {
    le::put32(row.data() + 4, impl.nextRowVer++);
    ceb[0] |= 0x40;
  }

  auto& index = impl.index;
  auto pos = index.end();
  if (!index.empty() && index.back().first >= rowId) {
    pos = std::lower_bound(index.begin(), index.end(), rowId,
                           [](const auto& e, std::uint32_t id) { return e.first < id; });
  }
  if (pos != index.end() && pos->first == rowId) {
    std::uint8_t* old = impl.rows.data() + std::size_t{pos->second} * impl.rowSize;
    impl.varGarbage += impl.garbageOf(old);
    std::memcpy(old, row.data(), impl.rowSize);
    if (impl.varGarbage > (1u << 20) && impl.varGarbage * 2 > impl.var.size()) impl.compactVar();
    return;
  }
  if (index.size() >= UINT32_MAX) throw Error("table with more than 4,294,967,295 rows");
  const auto number = static_cast<std::uint32_t>(index.size());
  impl.rows.insert(impl.rows.end(), row.begin(), row.end());
  index.insert(pos, {rowId, number});
}

bool TableContextBuilder::removeRow(std::uint32_t rowId) {
  const auto& view = impl_->index;
  const auto found = std::lower_bound(view.begin(), view.end(), rowId,
                                      [](const auto& e, std::uint32_t id) { return e.first < id; });
  if (found == view.end() || found->first != rowId) return false;
  const auto offset = found - view.begin();

  Impl& impl = mutableImpl();
  auto& index = impl.index;
  const auto pos = index.begin() + offset;
  const std::uint32_t number = pos->second;
  const std::uint32_t last = static_cast<std::uint32_t>(index.size() - 1);
  impl.varGarbage += impl.garbageOf(impl.rows.data() + std::size_t{number} * impl.rowSize);
  index.erase(pos);
  // Row order in the matrix is free: the last row moves into the gap.
  if (number != last) {
    std::uint8_t* gap = impl.rows.data() + std::size_t{number} * impl.rowSize;
    const std::uint8_t* moved = impl.rows.data() + std::size_t{last} * impl.rowSize;
    std::memcpy(gap, moved, impl.rowSize);
    const std::uint32_t movedId = le::get32(gap);
    const auto entry = std::lower_bound(index.begin(), index.end(), movedId,
                                        [](const auto& e, std::uint32_t id) { return e.first < id; });
    entry->second = number;
  }
  impl.rows.resize(impl.rows.size() - impl.rowSize);
  if (index.empty()) {
    impl.var.clear();
    impl.varGarbage = 0;
  } else if (impl.varGarbage > (1u << 20) && impl.varGarbage * 2 > impl.var.size()) {
    impl.compactVar();
  }
  return true;
}

ndb::NodeData TableContextBuilder::build() const {
  const Impl& impl = *impl_;
  const std::size_t n = impl.rowCount();
  const std::size_t rowSize = impl.rowSize;
  ndb::NodeData out;
  std::uint32_t nextSubnode = 1;
  auto subnodeNid = [&nextSubnode] { return ndb::makeNid(ndb::NID_TYPE_LTP, nextSubnode++); };

  HeapBuilder heap(kClientSigTc);
  const Hid rowIndexHeader = heap.allocate(kBthHeaderSize);
  const Hid tcInfo = heap.allocate(kTcInfoHeader + 8 * impl.columns.size());
  heap.setUserRoot(tcInfo);

  // The row matrix: one heap allocation when small, else a subnode whose
  // blocks hold whole rows, every block but the last padded to 8176 bytes.
  const std::size_t matrixSize = n * rowSize;
  const bool inHeap = matrixSize <= kMaxHeapAlloc;
  const std::size_t rowsPerBlock = inHeap ? std::max<std::size_t>(n, 1) : ndb::kMaxBlockData / rowSize;
  Hid matrixHid = 0;
  if (n > 0 && inHeap) matrixHid = heap.allocate(matrixSize);

  std::vector<std::vector<std::uint8_t>> matrix((n + rowsPerBlock - 1) / rowsPerBlock);
  for (std::size_t b = 0; b < matrix.size(); ++b) {
    const std::size_t rowsHere = std::min(rowsPerBlock, n - b * rowsPerBlock);
    const bool last = b + 1 == matrix.size();
    matrix[b].assign(last || inHeap ? rowsHere * rowSize : ndb::kMaxBlockData, 0);
    std::memcpy(matrix[b].data(), impl.rows.data() + b * rowsPerBlock * rowSize, rowsHere * rowSize);
  }

  // Variable-size cells: each value to its own allocation (or subnode).
  const std::size_t varCount = impl.varCells.size();
  for (std::size_t r = 0; r < n && varCount > 0; ++r) {
    std::uint8_t* row = matrix[r / rowsPerBlock].data() + (r % rowsPerBlock) * rowSize;
    for (std::size_t k = 0; k < varCount; ++k) {
      std::uint8_t* cell = row + impl.varCells[k];
      const std::uint32_t ref = le::get32(cell);
      if (ref == 0 || !impl.cellExists(row, impl.varBits[k])) continue;
      const std::uint32_t len = le::get32(impl.var.data() + ref - 1);
      const std::span<const std::uint8_t> value(impl.var.data() + ref + 3, len);
      std::uint32_t hnid;
      if (len <= kMaxHeapAlloc) {
        hnid = heap.allocate(value);
      } else {
        hnid = subnodeNid();
        out.subnodes.emplace(hnid, streamNode(value));
      }
      le::put32(cell, hnid);
    }
  }

  // Row index: RowId -> row number, sorted by RowId.
  std::vector<std::uint8_t> records(n * 8);
  for (std::size_t i = 0; i < n; ++i) {
    le::put32(records.data() + 8 * i, impl.index[i].first);
    le::put32(records.data() + 8 * i + 4, impl.index[i].second);
  }
  writeBth(heap, rowIndexHeader, 4, 4, records);

  std::uint32_t hnidRows = 0;
  if (n > 0 && inHeap) {
    std::memcpy(heap.at(matrixHid).data(), matrix[0].data(), matrixSize);
    hnidRows = matrixHid;
  } else if (n > 0) {
    hnidRows = subnodeNid();
    out.subnodes.emplace(hnidRows, ndb::NodeData{std::move(matrix), {}});
  }

  auto info = heap.at(tcInfo);
  info[0] = kTcInfoType;
  info[1] = static_cast<std::uint8_t>(impl.columns.size());
  for (int i = 0; i < 4; ++i) le::put16(info.data() + 2 + 2 * i, impl.rgib[i]);
  le::put32(info.data() + 10, rowIndexHeader);
  le::put32(info.data() + 14, hnidRows);
  le::put32(info.data() + 18, 0);  // hidIndex, deprecated
  std::uint8_t* desc = info.data() + kTcInfoHeader;
  for (const ColumnDesc& c : impl.columns) {
    le::put32(desc, c.tag);
    le::put16(desc + 4, c.ibData);
    desc[6] = c.cbData;
    desc[7] = c.iBit;
    desc += 8;
  }

  out.blocks = std::move(heap).finish();
  return out;
}

}  // namespace pst::ltp

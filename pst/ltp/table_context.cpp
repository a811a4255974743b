// Table context builder: column layout, compact row storage and the TC heap
// (TCINFO, row index BTH, row matrix in the heap or in a subnode).
#include "pst/ltp/table_context.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/ltp/bth.h"
#include "pst/ltp/heap.h"
#include "pst/ltp/stream.h"

namespace pst::ltp {

namespace {

constexpr std::uint8_t kTcInfoType = 0x7C;
constexpr std::size_t kTcInfoHeader = 22;
constexpr std::size_t kMaxColumns = 255;  // cCols is one byte
constexpr Hid kRowIndexHid = 0x20;          // the row index BTHHEADER, first allocation
constexpr Hid kTcInfoHid = 0x40;            // TCINFO, second allocation
constexpr ndb::Nid kMatrixNid = ndb::makeNid(ndb::NID_TYPE_LTP, 1);

std::string hexTag(PropTag tag) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(tag));
  return buf;
}

// Cells of fixed-size types hold the value; every other type holds a 4-byte HNID.
bool holdsHnid(PropType type) { return fixedSize(type) == 0; }

}  // namespace

std::uint8_t tableCellSize(PropType type) {
  if (!isKnownType(type))
    throw Error(ErrorKind::BadRequest, "unsupported column type " + hexTag(static_cast<PropTag>(type)));
  const std::size_t size = fixedSize(type);
  return static_cast<std::uint8_t>(size == 0 ? 4 : size);
}

// Rows are kept as the row matrix will hold them: in blocks of as many whole
// rows as fit 8176 bytes, variable-size cells already holding their HNIDs
// into a heap that holds the BTHHEADER (HID 0x20), TCINFO (0x40) and the cell
// values. build() copies all of it and adds the row index, so appending rows
// never revisits earlier ones. Values of replaced or removed cells stay in
// the heap as garbage until compact() lays the heap out afresh.
struct TableContextBuilder::Impl {
  std::vector<ColumnDesc> columns;       // sorted by tag
  std::vector<std::uint8_t> hnidColumn;  // per column: 1 when the cell is an HNID
  std::vector<std::uint16_t> varCells;   // ibData of HNID cells, ascending
  std::vector<std::uint8_t> varBits;     // their iBit, same order
  std::uint16_t rgib[4] = {};            // TCI_4b, TCI_2b, TCI_1b, TCI_bm
  std::size_t rowSize = 0;
  std::size_t rowsPerBlock = 0;

  std::vector<std::vector<std::uint8_t>> matrix;
  HeapBuilder heap{kClientSigTc};
  std::map<ndb::Nid, std::vector<std::uint8_t>> bigValues;  // cells over kMaxHeapAlloc
  std::uint32_t nextBigIndex = 2;  // NID_TYPE_LTP index 1 is the row matrix
  std::size_t garbage = 0;         // heap bytes no cell refers to any more
  // RowId -> row number, sorted by RowId.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> index;
  std::uint32_t nextRowVer = 1;

  // Blocks already stored (see dropWrittenBlocks).
  bool appendOnly = false;
  std::uint64_t changes = 0;  // rows replaced or removed, heap compactions
  struct Built {
    std::uint64_t changes = 0;
    std::size_t heapPages = 0;
    std::size_t matrixBlocks = 0;
    bool matrixInSubnode = false;
  };
  std::optional<Built> lastBuild;
  std::size_t droppedMatrixBlocks = 0;
  std::vector<std::uint8_t> indexLeaves;  // per leaf in the heap: first RowId, HID
  std::size_t rowsInLeaves = 0;

  void finishLayout();
  void resetHeap();
  std::size_t rowCount() const { return index.size(); }
  std::uint8_t* row(std::size_t r) { return matrix[r / rowsPerBlock].data() + (r % rowsPerBlock) * rowSize; }
  bool cellExists(const std::uint8_t* row, std::uint8_t iBit) const {
    return (row[rgib[2] + (iBit >> 3)] & (0x80 >> (iBit & 7))) != 0;
  }
  std::uint32_t storeValue(std::span<const std::uint8_t> bytes);
  void dropValues(const std::uint8_t* row);
  void compact();
};

void TableContextBuilder::Impl::finishLayout() {
  std::sort(columns.begin(), columns.end(), [](const ColumnDesc& a, const ColumnDesc& b) { return a.tag < b.tag; });
  if (columns.size() > kMaxColumns) throw Error(ErrorKind::BadRequest, "table with more than 255 columns");
  for (std::size_t i = 1; i < columns.size(); ++i) {
    if (columns[i].tag == columns[i - 1].tag)
      throw Error(ErrorKind::BadRequest, "column " + hexTag(columns[i].tag) + " given twice");
  }
  const std::size_t cebSize = (columns.size() + 7) / 8;
  // Regions of 8/4-byte, 2-byte and 1-byte cells, in that order.
  std::size_t end4 = 0, end2 = 0, end1 = 0;
  for (const ColumnDesc& c : columns) {
    const std::uint8_t want = tableCellSize(tagType(c.tag));
    if (c.cbData != want) {
      throw Error(ErrorKind::BadRequest, "column " + hexTag(c.tag) + " has cbData " + std::to_string(c.cbData) +
                                             ", want " + std::to_string(want));
    }
    std::size_t& end = c.cbData >= 4 ? end4 : c.cbData == 2 ? end2 : end1;
    end = std::max<std::size_t>(end, c.ibData + c.cbData);
  }
  end2 = std::max(end2, end4);
  end1 = std::max(end1, end2);
  rowSize = end1 + cebSize;
  if (rowSize > ndb::kMaxBlockData)
    throw Error(ErrorKind::BadRequest, "table row of " + std::to_string(rowSize) + " bytes");
  rgib[0] = static_cast<std::uint16_t>(end4);
  rgib[1] = static_cast<std::uint16_t>(end2);
  rgib[2] = static_cast<std::uint16_t>(end1);
  rgib[3] = static_cast<std::uint16_t>(rowSize);

  std::vector<std::uint8_t> used(end1, 0);
  std::vector<bool> bits(columns.size(), false);
  for (const ColumnDesc& c : columns) {
    const std::size_t regionStart = c.cbData >= 4 ? 0 : c.cbData == 2 ? end4 : end2;
    if (c.ibData < regionStart)
      throw Error(ErrorKind::BadRequest, "column " + hexTag(c.tag) + " lies outside its cell-size region");
    for (std::size_t b = c.ibData; b < c.ibData + c.cbData; ++b) {
      if (used[b]) throw Error(ErrorKind::BadRequest, "column " + hexTag(c.tag) + " overlaps another column");
      used[b] = 1;
    }
    if (c.iBit >= columns.size() || bits[c.iBit]) {
      throw Error(ErrorKind::BadRequest,
                  "column " + hexTag(c.tag) + " has a bad or repeated iBit " + std::to_string(c.iBit));
    }
    bits[c.iBit] = true;
  }
  auto findColumn = [this](PropTag tag) {
    return std::find_if(columns.begin(), columns.end(), [tag](const ColumnDesc& c) { return c.tag == tag; });
  };
  const auto rowId = findColumn(kPidTagLtpRowId);
  const auto rowVer = findColumn(kPidTagLtpRowVer);
  if (rowId == columns.end() || rowId->ibData != 0)
    throw Error(ErrorKind::BadRequest, "table without PidTagLtpRowId at offset 0");
  if (rowVer == columns.end() || rowVer->ibData != 4)
    throw Error(ErrorKind::BadRequest, "table without PidTagLtpRowVer at offset 4");

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
  rowsPerBlock = ndb::kMaxBlockData / rowSize;
  resetHeap();
}

void TableContextBuilder::Impl::resetHeap() {
  heap = HeapBuilder(kClientSigTc);
  const Hid header = heap.allocate(kBthHeaderSize);
  const Hid info = heap.allocate(kTcInfoHeader + 8 * columns.size());
  heap.setUserRoot(info);
  if (header != kRowIndexHid || info != kTcInfoHid) throw Error(ErrorKind::Corrupt, "unexpected TC heap layout");
}

std::uint32_t TableContextBuilder::Impl::storeValue(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return 0;
  if (bytes.size() <= kMaxHeapAlloc) return heap.allocate(bytes);
  const ndb::Nid nid = ndb::makeNid(ndb::NID_TYPE_LTP, nextBigIndex++);
  bigValues.emplace(nid, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  return nid;
}

void TableContextBuilder::Impl::dropValues(const std::uint8_t* r) {
  for (std::size_t k = 0; k < varCells.size(); ++k) {
    if (!cellExists(r, varBits[k])) continue;
    const std::uint32_t hnid = le::get<std::uint32_t>(r + varCells[k]);
    if (hnid == 0) continue;
    if ((hnid & 0x1F) == 0) {
      garbage += std::as_const(heap).at(hnid).size();
    } else {
      bigValues.erase(hnid);
    }
  }
}

void TableContextBuilder::Impl::compact() {
  ++changes;
  HeapBuilder old = std::move(heap);
  resetHeap();
  for (std::size_t r = 0; r < rowCount(); ++r) {
    std::uint8_t* p = row(r);
    for (std::size_t k = 0; k < varCells.size(); ++k) {
      if (!cellExists(p, varBits[k])) continue;
      const std::uint32_t hnid = le::get<std::uint32_t>(p + varCells[k]);
      if (hnid != 0 && (hnid & 0x1F) == 0)
        le::put<std::uint32_t>(p + varCells[k], heap.allocate(std::as_const(old).at(hnid)));
    }
  }
  garbage = 0;
}

TableContextBuilder::TableContextBuilder(std::vector<PropTag> tags) : impl_(std::make_shared<Impl>()) {
  if (std::find(tags.begin(), tags.end(), kPidTagLtpRowId) == tags.end()) tags.push_back(kPidTagLtpRowId);
  if (std::find(tags.begin(), tags.end(), kPidTagLtpRowVer) == tags.end()) tags.push_back(kPidTagLtpRowVer);
  std::sort(tags.begin(), tags.end());
  if (std::adjacent_find(tags.begin(), tags.end()) != tags.end()) {
    throw Error(ErrorKind::BadRequest,
                "column " + hexTag(*std::adjacent_find(tags.begin(), tags.end())) + " given twice");
  }
  if (tags.size() > kMaxColumns) throw Error(ErrorKind::BadRequest, "table with more than 255 columns");
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

bool TableContextBuilder::hasRow(std::uint32_t rowId) const {
  const auto& index = impl_->index;
  return std::binary_search(index.begin(), index.end(), std::pair<std::uint32_t, std::uint32_t>{rowId, 0},
                            [](const auto& a, const auto& b) { return a.first < b.first; });
}

TableContextBuilder::Impl& TableContextBuilder::mutableImpl() {
  if (impl_.use_count() > 1) impl_ = std::make_shared<Impl>(*impl_);
  return *impl_;
}

std::size_t TableContextBuilder::findColumn(PropTag tag) const {
  const auto& cols = impl_->columns;
  const auto it = std::lower_bound(cols.begin(), cols.end(), tag,
                                   [](const ColumnDesc& c, PropTag t) { return c.tag < t; });
  return it != cols.end() && it->tag == tag ? static_cast<std::size_t>(it - cols.begin()) : cols.size();
}

template <typename It>
void TableContextBuilder::setRowFrom(std::uint32_t rowId, It begin, It end) {
  // Check every cell before anything changes, so a bad value loses nothing.
  const std::size_t none = impl_->columns.size();
  bool hasRowVer = false;
  for (It it = begin; it != end; ++it) {
    const auto& [tag, value] = *it;
    if (findColumn(tag) == none) continue;
    if (value.type != tagType(tag)) {
      throw Error(ErrorKind::BadRequest,
                  "cell " + hexTag(tag) + " holds a value of type " + hexTag(static_cast<PropTag>(value.type)));
    }
    value.validate();
    if (tag == kPidTagLtpRowVer) hasRowVer = true;
  }

  if (impl_->appendOnly && !impl_->index.empty() && rowId <= impl_->index.back().first) {
    throw Error(ErrorKind::BadRequest,
                "row " + hexTag(rowId) + ": a table whose blocks are written takes only new rows with higher RowIds");
  }

  Impl& impl = mutableImpl();
  auto& index = impl.index;
  auto pos = index.end();
  if (!index.empty() && index.back().first >= rowId) {
    pos = std::lower_bound(index.begin(), index.end(), rowId,
                           [](const auto& e, std::uint32_t id) { return e.first < id; });
  }
  const bool replace = pos != index.end() && pos->first == rowId;
  if (!replace && index.size() >= UINT32_MAX)
    throw Error(ErrorKind::BadRequest, "table with more than 4,294,967,295 rows");

  std::uint8_t* row;
  if (replace) {
    ++impl.changes;
    row = impl.row(pos->second);
    impl.dropValues(row);
    std::memset(row, 0, impl.rowSize);
  } else {
    if (impl.matrix.empty() || impl.matrix.back().size() == impl.rowsPerBlock * impl.rowSize) {
      impl.matrix.emplace_back().reserve(impl.rowsPerBlock * impl.rowSize);
    }
    auto& block = impl.matrix.back();
    block.resize(block.size() + impl.rowSize, 0);
    row = block.data() + block.size() - impl.rowSize;
  }

  std::uint8_t* ceb = row + impl.rgib[2];
  for (It it = begin; it != end; ++it) {
    const auto& [tag, value] = *it;
    const std::size_t c = findColumn(tag);
    if (c == none) continue;
    const ColumnDesc& col = impl.columns[c];
    if (impl.hnidColumn[c]) {
      le::put<std::uint32_t>(row + col.ibData, impl.storeValue(value.data));
    } else {
      std::memcpy(row + col.ibData, value.data.data(), col.cbData);
    }
    ceb[col.iBit >> 3] |= static_cast<std::uint8_t>(0x80 >> (col.iBit & 7));
  }
  le::put<std::uint32_t>(row, rowId);
  ceb[0] |= 0x80;
  if (!hasRowVer) {
    le::put<std::uint32_t>(row + 4, impl.nextRowVer++);
    ceb[0] |= 0x40;
  }
  if (!replace) index.insert(pos, {rowId, static_cast<std::uint32_t>(index.size())});
  if (impl.garbage > (1u << 20) && impl.garbage * 2 > impl.heap.allocatedBytes()) impl.compact();
}

void TableContextBuilder::setRow(std::uint32_t rowId, const std::map<PropTag, PropertyValue>& cells) {
  setRowFrom(rowId, cells.begin(), cells.end());
}

void TableContextBuilder::setRow(std::uint32_t rowId, std::span<const std::pair<PropTag, PropertyValue>> cells) {
  setRowFrom(rowId, cells.begin(), cells.end());
}

bool TableContextBuilder::removeRow(std::uint32_t rowId) {
  const auto& view = impl_->index;
  const auto found = std::lower_bound(view.begin(), view.end(), rowId,
                                      [](const auto& e, std::uint32_t id) { return e.first < id; });
  if (found == view.end() || found->first != rowId) return false;
  if (impl_->appendOnly)
    throw Error(ErrorKind::BadRequest, "row " + hexTag(rowId) + ": a table whose blocks are written keeps its rows");
  const auto offset = found - view.begin();

  Impl& impl = mutableImpl();
  ++impl.changes;
  auto& index = impl.index;
  const auto pos = index.begin() + offset;
  const std::uint32_t number = pos->second;
  const auto last = static_cast<std::uint32_t>(index.size() - 1);
  impl.dropValues(impl.row(number));
  index.erase(pos);
  // Row order in the matrix is free: the last row moves into the gap.
  if (number != last) {
    std::uint8_t* gap = impl.row(number);
    std::memcpy(gap, impl.row(last), impl.rowSize);
    const std::uint32_t movedId = le::get<std::uint32_t>(gap);
    const auto entry = std::lower_bound(index.begin(), index.end(), movedId,
                                        [](const auto& e, std::uint32_t id) { return e.first < id; });
    entry->second = number;
  }
  auto& tail = impl.matrix.back();
  tail.resize(tail.size() - impl.rowSize);
  if (tail.empty()) impl.matrix.pop_back();
  if (index.empty()) {
    impl.resetHeap();
    impl.garbage = 0;
  } else if (impl.garbage > (1u << 20) && impl.garbage * 2 > impl.heap.allocatedBytes()) {
    impl.compact();
  }
  return true;
}

ndb::NodeData TableContextBuilder::build() const {
  // Garbage left by replaced or removed rows is dropped first; the table's
  // content does not change, so this is done even on a const builder.
  Impl& impl = *impl_;
  if (impl.garbage > 0) impl.compact();
  const std::size_t n = impl.rowCount();
  const std::size_t rowSize = impl.rowSize;

  ndb::NodeData out;
  impl.lastBuild = Impl::Built{impl.changes, impl.heap.pageCount(), impl.matrix.size(), n * rowSize > kMaxHeapAlloc};
  HeapBuilder heap = impl.heap;

  // The row matrix: one heap allocation when small, else a subnode whose
  // blocks hold whole rows, every block but the last padded to 8176 bytes.
  std::uint32_t hnidRows = 0;
  const std::size_t matrixSize = n * rowSize;
  if (n > 0 && matrixSize <= kMaxHeapAlloc) {
    hnidRows = heap.allocate(matrixSize);
    auto dest = heap.at(hnidRows);
    std::size_t at = 0;
    for (const auto& block : impl.matrix) {
      std::memcpy(dest.data() + at, block.data(), block.size());
      at += block.size();
    }
  } else if (n > 0) {
    hnidRows = kMatrixNid;
    ndb::NodeData& sub = out.subnodes[kMatrixNid];
    sub.blocks.reserve(impl.matrix.size());
    for (std::size_t b = 0; b < impl.matrix.size(); ++b) {
      const bool last = b + 1 == impl.matrix.size();
      auto& block = sub.blocks.emplace_back();
      if (b < impl.droppedMatrixBlocks) continue;  // stored already
      block.reserve(last ? impl.matrix[b].size() : ndb::kMaxBlockData);
      block.assign(impl.matrix[b].begin(), impl.matrix[b].end());
      block.resize(last ? impl.matrix[b].size() : ndb::kMaxBlockData);
    }
  }
  for (const auto& [nid, value] : impl.bigValues) out.subnodes.emplace(nid, streamNode(value));

  // Row index: RowId -> row number, sorted by RowId; the rows of the
  // leaves already in the heap are not written again.
  const std::size_t first = impl.rowsInLeaves;
  std::vector<std::uint8_t> records((n - first) * 8);
  for (std::size_t i = first; i < n; ++i) {
    le::put<std::uint32_t>(records.data() + 8 * (i - first), impl.index[i].first);
    le::put<std::uint32_t>(records.data() + 8 * (i - first) + 4, impl.index[i].second);
  }
  writeBth(heap, kRowIndexHid, 4, 4, impl.indexLeaves, records);

  auto info = heap.at(kTcInfoHid);
  info[0] = kTcInfoType;
  info[1] = static_cast<std::uint8_t>(impl.columns.size());
  for (int i = 0; i < 4; ++i) le::put<std::uint16_t>(info.data() + 2 + 2 * i, impl.rgib[i]);
  le::put<std::uint32_t>(info.data() + 10, kRowIndexHid);
  le::put<std::uint32_t>(info.data() + 14, hnidRows);
  le::put<std::uint32_t>(info.data() + 18, 0);  // hidIndex, deprecated
  std::uint8_t* desc = info.data() + kTcInfoHeader;
  for (const ColumnDesc& c : impl.columns) {
    le::put<std::uint32_t>(desc, c.tag);
    le::put<std::uint16_t>(desc + 4, c.ibData);
    desc[6] = c.cbData;
    desc[7] = c.iBit;
    desc += 8;
  }

  out.blocks = std::move(heap).build();
  return out;
}

void TableContextBuilder::dropWrittenBlocks() {
  if (!impl_->lastBuild || impl_->lastBuild->changes != impl_->changes) {
    throw Error(ErrorKind::BadRequest, "table changed in place since it was last built; its blocks cannot be dropped");
  }
  Impl& impl = mutableImpl();
  const Impl::Built built = *impl.lastBuild;
  impl.appendOnly = true;
  // Every row-matrix block but the last is full, padded, and stays so.
  if (built.matrixInSubnode) {
    for (std::size_t b = impl.droppedMatrixBlocks; b + 1 < built.matrixBlocks; ++b) {
      std::vector<std::uint8_t>().swap(impl.matrix[b]);
      impl.droppedMatrixBlocks = b + 1;
    }
  }
  // Heap pages but the last take no more allocations; page 0 and every
  // bitmap page (8, 136, ...) hold fill levels of pages that may change.
  const std::size_t lastPage = built.heapPages - 1;
  for (std::size_t p = 1; p < lastPage; ++p) {
    if (impl.heap.isDropped(p)) continue;
    if (p % 128 == 8 && p + 127 >= lastPage) continue;
    impl.heap.dropPage(p);
  }
  // Full leaves of the row index go into the heap now, where no later row
  // changes them; build() then writes only the rows after them.
  constexpr std::size_t perLeaf = kMaxHeapAlloc / 8;
  std::vector<std::uint8_t> leaf(perLeaf * 8);
  while (impl.index.size() - impl.rowsInLeaves >= perLeaf) {
    for (std::size_t i = 0; i < perLeaf; ++i) {
      le::put<std::uint32_t>(leaf.data() + 8 * i, impl.index[impl.rowsInLeaves + i].first);
      le::put<std::uint32_t>(leaf.data() + 8 * i + 4, impl.index[impl.rowsInLeaves + i].second);
    }
    const Hid hid = impl.heap.allocate(leaf);
    le::append<std::uint32_t>(impl.indexLeaves, impl.index[impl.rowsInLeaves].first);
    le::append<std::uint32_t>(impl.indexLeaves, hid);
    impl.rowsInLeaves += perLeaf;
  }
}

}  // namespace pst::ltp

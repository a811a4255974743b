// TC (MS-PST 2.3.4): TCINFO, column layout, row index, row matrix and cells.
#include <set>

#include "pst/verify/heap.h"

namespace pst::verify {

void checkTableContext(const Heap& heap, const Subnodes& subnodes, HeapSummary& summary) {
  Context& c = heap.context();
  const std::string& where = heap.where();
  auto info = heap.alloc(heap.userRoot(), "TCINFO");
  if (!info) return;
  const Bytes t = *info;
  const std::size_t cCols = u8(t, 1);
  if (t.size() < 22 || u8(t, 0) != 0x7C || t.size() != 22 + 8 * cCols) {
    c.problem(where + ": TCINFO of " + std::to_string(t.size()) + " bytes with bType " + hex(u8(t, 0)) + " and " +
              std::to_string(cCols) + " columns is malformed");
    return;
  }
  const std::size_t ib4 = u16(t, 2), ib2 = u16(t, 4), ib1 = u16(t, 6), rowSize = u16(t, 8);
  const auto hidRowIndex = u32(t, 10), hnidRows = u32(t, 14);
  bool layoutOk = true;
  if (!(ib4 <= ib2 && ib2 <= ib1 && ib1 <= rowSize) || rowSize - ib1 != (cCols + 7) / 8) {
    c.problem(where + ": TCINFO rgib " + std::to_string(ib4) + "/" + std::to_string(ib2) + "/" + std::to_string(ib1) + "/" +
              std::to_string(rowSize) + " is not ordered or leaves no room for a " + std::to_string((cCols + 7) / 8) +
              "-byte cell bitmap");
    layoutOk = false;
  }

  struct Column {
    std::uint32_t tag;
    std::size_t ib, cb, bit;
  };
  std::vector<Column> cols;
  std::vector<bool> used(rowSize, false), bits(cCols, false);
  for (std::size_t k = 0; k < cCols; ++k) {
    const Bytes d = t.subspan(22 + 8 * k, 8);
    Column col{u32(d, 0), u16(d, 4), u8(d, 6), u8(d, 7)};
    const std::string what = "column " + hex(col.tag);
    if (k > 0 && col.tag <= cols.back().tag)
      c.problem(where + ": TCOLDESC " + std::to_string(k) + " tag " + hex(col.tag) + " is not above the previous tag " +
                hex(cols.back().tag));
    const auto type = static_cast<std::uint16_t>(col.tag & 0xFFFF);
    const std::size_t want = fixedSize(type) && fixedSize(type) <= 8 ? fixedSize(type) : 4;
    if (col.cb != want)
      c.problem(where + ": " + what + " has cbData " + std::to_string(col.cb) + ", its type needs " + std::to_string(want));
    const std::size_t lo = col.cb >= 4 ? 0 : col.cb == 2 ? ib4 : ib2;
    const std::size_t hi = col.cb >= 4 ? ib4 : col.cb == 2 ? ib2 : ib1;
    if (col.ib < lo || col.ib + col.cb > hi) {
      c.problem(where + ": " + what + " at ibData " + std::to_string(col.ib) + " lies outside the " +
                std::to_string(col.cb) + "-byte cell area " + std::to_string(lo) + ".." + std::to_string(hi));
      layoutOk = false;
    } else {
      for (std::size_t b = col.ib; b < col.ib + col.cb && b < used.size(); ++b) {
        if (used[b]) {
          c.problem(where + ": " + what + " overlaps another cell at byte " + std::to_string(b));
          layoutOk = false;
          break;
        }
        used[b] = true;
      }
    }
    if (col.bit >= cCols || bits[col.bit]) {
      c.problem(where + ": " + what + " has iBit " + std::to_string(col.bit) + ", out of range or taken");
      layoutOk = false;
    } else {
      bits[col.bit] = true;
    }
    cols.push_back(col);
    if ((col.tag >> 16) >= 0x8000) c.namedUse.emplace(static_cast<std::uint16_t>(col.tag >> 16), where + " " + what);
  }
  auto fixedColumn = [&](std::uint32_t tag, std::size_t ib, std::size_t bit, const char* name) {
    for (const auto& col : cols)
      if (col.tag == tag) {
        if (col.ib != ib || col.bit != bit)
          c.problem(where + ": " + name + " column sits at ibData " + std::to_string(col.ib) + ", iBit " +
                    std::to_string(col.bit) + "; expected " + std::to_string(ib) + ", " + std::to_string(bit));
        return;
      }
    c.problem(where + ": the table has no " + name + " column");
    layoutOk = false;
  };
  fixedColumn(0x67F20003, 0, 0, "PidTagLtpRowId");
  fixedColumn(0x67F30003, 4, 1, "PidTagLtpRowVer");

  NodeContents* shown = c.current;
  if (shown) {
    for (const auto& col : cols) {
      char text[48];
      std::snprintf(text, sizeof text, "%s%08x@%zu/%zu/%zu", shown->columns.empty() ? "" : " ", col.tag, col.ib, col.cb,
                    col.bit);
      shown->columns += text;
    }
  }

  auto index = readBth(heap, hidRowIndex, 4, 4, "row index");
  if (!index || !layoutOk) return;

  // The row matrix: one allocation, a subnode stream (rows never straddle its blocks) or none.
  std::vector<Bytes> rows;
  std::shared_ptr<const DataTree> matrixTree;
  if (hnidRows == 0) {
  } else if ((hnidRows & 0x1F) == 0) {
    if (auto m = heap.alloc(hnidRows, "row matrix")) {
      if (rowSize == 0 || m->size() % rowSize) {
        c.problem(where + ": row matrix of " + std::to_string(m->size()) + " bytes is not a whole number of " +
                  std::to_string(rowSize) + "-byte rows");
        return;
      }
      for (std::size_t off = 0; off < m->size(); off += rowSize) rows.push_back(m->subspan(off, rowSize));
    } else {
      return;
    }
  } else {
    auto it = subnodes.find(hnidRows);
    if (it == subnodes.end()) {
      c.problem(where + ": row matrix subnode " + hex(hnidRows) + " is missing");
      return;
    }
    matrixTree = it->second;
    if (!matrixTree || !matrixTree->ok) return;
    const std::size_t perBlock = rowSize ? kMaxBlockData / rowSize : 0;
    for (std::size_t k = 0; k < matrixTree->blocks.size(); ++k) {
      const Bytes b(matrixTree->blocks[k]);
      const bool last = k + 1 == matrixTree->blocks.size();
      std::size_t n = b.size() / (rowSize ? rowSize : 1);
      if (last && (rowSize == 0 || b.size() % rowSize)) {
        c.problem(where + ": last row matrix block holds " + std::to_string(b.size()) +
                  " bytes, not a whole number of rows");
        return;
      }
      if (!last) {
        if (b.size() < perBlock * rowSize) {
          c.problem(where + ": row matrix block " + std::to_string(k) + " holds " + std::to_string(b.size()) +
                    " bytes, fewer than its " + std::to_string(perBlock) + " rows need");
          return;
        }
        n = perBlock;
      }
      for (std::size_t r = 0; r < n; ++r) rows.push_back(b.subspan(r * rowSize, rowSize));
    }
  }

  if (index->size() != rows.size())
    c.problem(where + ": the row index lists " + std::to_string(index->size()) + " rows, the row matrix holds " +
              std::to_string(rows.size()));
  std::set<std::uint32_t> seen;
  for (const auto& rec : *index) {
    const auto rowId = u32(rec.key, 0), rowIndex = u32(rec.data, 0);
    const std::string what = "row " + hex(rowId);
    summary.rowIds.push_back(rowId);
    auto& cells = summary.rowCells.emplace_back();
    if (rowIndex >= rows.size() || !seen.insert(rowIndex).second) {
      c.problem(where + ": row index maps " + what + " to row " + std::to_string(rowIndex) + ", out of range or taken");
      continue;
    }
    const Bytes row = rows[rowIndex];
    const Bytes ceb = row.subspan(ib1, rowSize - ib1);
    auto present = [&](std::size_t bit) { return (ceb[bit >> 3] & (0x80 >> (bit & 7))) != 0; };
    if (u32(row, 0) != rowId || !present(0))
      c.problem(where + ": " + what + " at row " + std::to_string(rowIndex) + " holds RowId " + hex(u32(row, 0)));
    for (std::size_t bit = cCols; bit < ceb.size() * 8; ++bit)
      if (present(bit)) c.problem(where + ": " + what + " sets cell bit " + std::to_string(bit) + " beyond its columns");
    NodeContents::Cells* shownRow = shown ? &shown->rows.emplace_back() : nullptr;
    for (const auto& col : cols) {
      if (!present(col.bit)) continue;
      const auto type = static_cast<std::uint16_t>(col.tag & 0xFFFF);
      if (shownRow) {
        const bool inCell = fixedSize(type) && fixedSize(type) <= 8;
        (*shownRow)[col.tag] = inCell ? valueText(type, row.subspan(col.ib, col.cb))
                                      : valueText(type, valueBytes(heap, subnodes, u32(row, col.ib)));
      }
      if (fixedSize(type) && fixedSize(type) <= 4)
        cells.emplace_back(col.tag, col.cb == 1 ? u8(row, col.ib) : col.cb == 2 ? u16(row, col.ib) : u32(row, col.ib));
      if (fixedSize(type) && fixedSize(type) <= 8) continue;  // the cell holds the value
      checkValue(heap, subnodes, type, u32(row, col.ib), what + " cell " + hex(col.tag));
    }
  }
}

}  // namespace pst::verify

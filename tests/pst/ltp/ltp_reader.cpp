// Test reader of heaps, BTHs, PCs and TCs: written from the format rules,
// sharing no code with the builders it checks.
#include "ltp_reader.h"

#include <string>

namespace ltptest {

namespace {

void require(bool ok, const std::string& what) {
  if (!ok) throw FormatError(what);
}

constexpr std::size_t kBlock = 8176;

bool inlineType(std::uint16_t type) {
  return type == 0x0002 || type == 0x0003 || type == 0x0004 || type == 0x000A || type == 0x000B;
}
std::size_t inlineSize(std::uint16_t type) {
  return type == 0x000B ? 1 : type == 0x0002 ? 2 : 4;
}

}  // namespace

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) { return u16(p) | static_cast<std::uint32_t>(u16(p + 2)) << 16; }

Bytes Heap::get(std::uint32_t hid) const {
  require((hid & 0x1F) == 0, "HID with type bits");
  const std::uint32_t block = hid >> 16, index = (hid >> 5) & 0x7FF;
  require(block < pages.size() && index >= 1 && index <= pages[block].size(), "HID past the heap");
  return pages[block][index - 1];
}

Heap readHeap(const pst::ndb::NodeData& node) {
  Heap heap;
  require(!node.blocks.empty(), "heap without blocks");
  for (std::size_t i = 0; i < node.blocks.size(); ++i) {
    const Bytes& b = node.blocks[i];
    const std::string where = "heap page " + std::to_string(i) + ": ";
    require(b.size() <= kBlock && b.size() >= 6, where + "bad size");
    const std::uint16_t ibHnpm = u16(b.data());
    require(ibHnpm % 2 == 0 && ibHnpm + 4u <= b.size(), where + "bad ibHnpm");
    const std::uint16_t cAlloc = u16(b.data() + ibHnpm), cFree = u16(b.data() + ibHnpm + 2);
    require(cFree == 0, where + "cFree");
    require(ibHnpm + 4u + 2u * (cAlloc + 1) == b.size(), where + "page length != page map end");
    const std::size_t start = i == 0 ? 12 : (i % 128 == 8 ? 66 : 2);
    std::vector<std::uint16_t> offs;
    for (std::size_t k = 0; k <= cAlloc; ++k) offs.push_back(u16(b.data() + ibHnpm + 4 + 2 * k));
    require(offs[0] == start, where + "first allocation at " + std::to_string(offs[0]));
    require(offs.back() <= ibHnpm, where + "allocations overlap the page map");
    std::vector<Bytes> allocs;
    for (std::size_t k = 0; k < cAlloc; ++k) {
      require(offs[k] <= offs[k + 1], where + "unordered page map");
      require(offs[k + 1] - offs[k] <= 3580, where + "allocation over 3580 bytes");
      allocs.emplace_back(b.begin() + offs[k], b.begin() + offs[k + 1]);
    }
    heap.pages.push_back(std::move(allocs));
    if (i == 0) {
      require(b[2] == 0xEC, "bSig");
      heap.clientSig = b[3];
      heap.userRoot = u32(b.data() + 4);
      heap.fillLevels.assign(b.begin() + 8, b.begin() + 12);
    } else if (i % 128 == 8) {
      heap.fillLevels.insert(heap.fillLevels.end(), b.begin() + 2, b.begin() + 66);
    }
  }
  return heap;
}

Bth readBth(const Heap& heap, std::uint32_t hid) {
  const Bytes h = heap.get(hid);
  require(h.size() == 8 && h[0] == 0xB5, "bad BTHHEADER");
  Bth out;
  out.cbKey = h[1];
  out.cbEnt = h[2];
  out.levels = h[3];
  const std::uint32_t root = u32(h.data() + 4);
  auto key = [&](const std::uint8_t* p) {
    std::uint64_t k = 0;
    for (std::size_t i = out.cbKey; i-- > 0;) k = k << 8 | p[i];
    return k;
  };
  // Returns the first key of the array at hid.
  auto walk = [&](auto& self, std::uint32_t at, int level) -> std::uint64_t {
    const Bytes arr = heap.get(at);
    const std::size_t n = out.cbKey + (level == 0 ? out.cbEnt : 4);
    require(!arr.empty() && arr.size() % n == 0, "BTH array size");
    std::uint64_t first = key(arr.data());
    for (std::size_t i = 0; i < arr.size(); i += n) {
      const std::uint64_t k = key(arr.data() + i);
      if (level == 0) {
        require(out.records.empty() || out.records.back().first < k, "BTH keys not ascending");
        out.records.emplace_back(k, Bytes(arr.begin() + i + out.cbKey, arr.begin() + i + n));
      } else {
        const std::uint64_t childFirst = self(self, u32(arr.data() + i + out.cbKey), level - 1);
        require(childFirst == k, "BTH index key != first key of child");
      }
    }
    return first;
  };
  if (root != 0) walk(walk, root, out.levels);
  return out;
}

Bytes readHnid(const Heap& heap, const pst::ndb::NodeData& node, std::uint32_t hnid) {
  if (hnid == 0) return {};
  if ((hnid & 0x1F) == 0) return heap.get(hnid);
  const auto it = node.subnodes.find(hnid);
  require(it != node.subnodes.end(), "HNID names a missing subnode");
  Bytes out;
  const auto& blocks = it->second.blocks;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    require(blocks[i].size() <= kBlock, "subnode block too large");
    require(i + 1 == blocks.size() || blocks[i].size() == kBlock, "short non-last stream block");
    out.insert(out.end(), blocks[i].begin(), blocks[i].end());
  }
  return out;
}

std::map<std::uint16_t, PcEntry> readPc(const pst::ndb::NodeData& node) {
  const Heap heap = readHeap(node);
  require(heap.clientSig == 0xBC, "not a PC");
  const Bth bth = readBth(heap, heap.userRoot);
  require(bth.cbKey == 2 && bth.cbEnt == 6, "PC BTH sizes");
  std::map<std::uint16_t, PcEntry> out;
  for (const auto& [k, data] : bth.records) {
    PcEntry e;
    e.type = u16(data.data());
    e.raw = u32(data.data() + 2);
    if (inlineType(e.type)) {
      e.value.assign(data.begin() + 2, data.begin() + 2 + inlineSize(e.type));
      for (std::size_t i = inlineSize(e.type); i < 4; ++i) require(data[2 + i] == 0, "inline padding not zero");
    } else {
      e.value = readHnid(heap, node, e.raw);
    }
    out[static_cast<std::uint16_t>(k)] = std::move(e);
  }
  return out;
}

Table readTc(const pst::ndb::NodeData& node) {
  const Heap heap = readHeap(node);
  require(heap.clientSig == 0x7C, "not a TC");
  const Bytes info = heap.get(heap.userRoot);
  require(info.size() >= 22 && info[0] == 0x7C, "bad TCINFO");
  Table t;
  const std::size_t cCols = info[1];
  require(info.size() == 22 + 8 * cCols, "TCINFO size");
  for (int i = 0; i < 4; ++i) t.rgib[i] = u16(info.data() + 2 + 2 * i);
  const std::uint32_t hidRowIndex = u32(info.data() + 10);
  t.hnidRows = u32(info.data() + 14);
  require(u32(info.data() + 18) == 0, "hidIndex not 0");
  for (std::size_t c = 0; c < cCols; ++c) {
    const std::uint8_t* d = info.data() + 22 + 8 * c;
    t.columns.push_back({u32(d), u16(d + 4), d[6], d[7]});
    require(c == 0 || t.columns[c - 1].tag < t.columns[c].tag, "TCOLDESC not sorted by tag");
  }
  const std::size_t rowSize = t.rgib[3];
  require(t.rgib[3] == t.rgib[2] + (cCols + 7) / 8, "CEB size");
  const Bth index = readBth(heap, hidRowIndex);
  require(index.cbKey == 4 && index.cbEnt == 4, "row index sizes");
  t.indexLevels = index.levels;

  // Rows of the matrix in matrix order.
  std::vector<Bytes> matrix;
  if (t.hnidRows == 0) {
    require(index.records.empty(), "rows indexed but no matrix");
  } else if ((t.hnidRows & 0x1F) == 0) {
    const Bytes m = heap.get(t.hnidRows);
    require(m.size() % rowSize == 0, "heap matrix not whole rows");
    for (std::size_t i = 0; i < m.size(); i += rowSize) matrix.emplace_back(m.begin() + i, m.begin() + i + rowSize);
  } else {
    const auto it = node.subnodes.find(t.hnidRows);
    require(it != node.subnodes.end(), "row matrix subnode missing");
    const auto& blocks = it->second.blocks;
    const std::size_t perBlock = kBlock / rowSize;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      const bool last = b + 1 == blocks.size();
      require(last ? blocks[b].size() % rowSize == 0 && blocks[b].size() <= perBlock * rowSize
                   : blocks[b].size() == kBlock,
              "row matrix block " + std::to_string(b) + " has " + std::to_string(blocks[b].size()) + " bytes");
      const std::size_t rows = last ? blocks[b].size() / rowSize : perBlock;
      for (std::size_t r = 0; r < rows; ++r) {
        matrix.emplace_back(blocks[b].begin() + r * rowSize, blocks[b].begin() + (r + 1) * rowSize);
      }
    }
  }
  require(matrix.size() == index.records.size(), "row index and matrix disagree on the row count");
  std::vector<bool> seen(matrix.size(), false);
  for (const auto& [rowId, data] : index.records) {
    const std::uint32_t number = u32(data.data());
    require(number < matrix.size() && !seen[number], "row index points at a bad row");
    seen[number] = true;
    const Bytes& row = matrix[number];
    require(u32(row.data()) == rowId, "RowId cell != row index key");
    std::map<pst::ltp::PropTag, Bytes> cells;
    for (const auto& c : t.columns) {
      if (!(row[t.rgib[2] + c.iBit / 8] & (0x80 >> (c.iBit % 8)))) continue;
      Bytes raw(row.begin() + c.ibData, row.begin() + c.ibData + c.cbData);
      const std::uint16_t type = c.tag & 0xFFFF;
      const bool fixed = inlineType(type) || type == 0x0005 || type == 0x0006 || type == 0x0007 ||
                         type == 0x0014 || type == 0x0040;
      cells[c.tag] = fixed ? raw : readHnid(heap, node, u32(raw.data()));
    }
    t.rowIds.push_back(static_cast<std::uint32_t>(rowId));
    t.rows.push_back(std::move(cells));
    t.rawRows.push_back(row);
  }
  return t;
}

}  // namespace ltptest

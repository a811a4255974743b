// PC (MS-PST 2.3.3): property values by type, inline or by HNID into the heap or a subnode.
#include "pst/verify/heap.h"

namespace pst::verify {

std::size_t fixedSize(std::uint16_t type) {
  switch (type) {
    case 0x0002: return 2;
    case 0x0003: case 0x0004: case 0x000A: return 4;
    case 0x000B: return 1;
    case 0x0005: case 0x0006: case 0x0007: case 0x0014: case 0x0040: return 8;
    case 0x0048: return 16;
  }
  return 0;
}

namespace {

bool knownVariable(std::uint16_t type) {
  switch (type) {
    case 0x001E: case 0x001F: case 0x0102: case 0x000D: case 0x00FB: case 0x00FD: case 0x00FE:
    case 0x1002: case 0x1003: case 0x1004: case 0x1005: case 0x1006: case 0x1007: case 0x1014:
    case 0x1040: case 0x1048: case 0x101E: case 0x101F: case 0x1102:
      return true;
  }
  return false;
}

// Where a value stored by HNID lives: a heap allocation (its bytes at hand)
// or a subnode's stream (only its size).
struct Located {
  std::optional<Bytes> heapBytes;
  std::uint64_t size = 0;
  bool found = false;
};

Located locate(const Heap& heap, const Subnodes& subnodes, std::uint32_t hnid, const std::string& what) {
  Located l;
  if ((hnid & 0x1F) == 0) {
    l.heapBytes = heap.alloc(hnid, what);
    if (l.heapBytes) {
      l.found = true;
      l.size = l.heapBytes->size();
    }
    return l;
  }
  auto it = subnodes.find(hnid);
  if (it == subnodes.end()) {
    heap.context().problem(heap.where() + ": " + what + " refers to subnode " + hex(hnid) + ", which the node lacks");
    return l;
  }
  l.found = true;
  l.size = it->second ? it->second->size : 0;
  return l;
}

}  // namespace

std::uint64_t checkValue(const Heap& heap, const Subnodes& subnodes, std::uint16_t type, std::uint32_t value,
                         const std::string& what) {
  Context& c = heap.context();
  const auto fixed = fixedSize(type);
  if (fixed && fixed <= 4) return 0;  // stored inline
  if (fixed) {
    auto a = heap.alloc(value, what);
    if (a && a->size() != fixed)
      c.problem(heap.where() + ": " + what + " of type " + hex(type) + " has " + std::to_string(a->size()) +
                " bytes, expected " + std::to_string(fixed));
    return a ? a->size() : 0;
  }
  if (!knownVariable(type)) {
    c.problem(heap.where() + ": " + what + " has unknown property type " + hex(type));
    return 0;
  }
  if (value == 0) return 0;  // empty value
  const auto l = locate(heap, subnodes, value, what);
  if (!l.found) return 0;
  if (type == 0x001F && l.size % 2)
    c.problem(heap.where() + ": " + what + " is a UTF-16 string of odd length " + std::to_string(l.size));
  if ((type & 0x1000) && fixedSize(type & 0x0FFF) && l.size % fixedSize(type & 0x0FFF))
    c.problem(heap.where() + ": " + what + " multi-value of " + std::to_string(l.size) + " bytes is not a whole number of " +
              std::to_string(fixedSize(type & 0x0FFF)) + "-byte elements");
  if ((type == 0x101F || type == 0x101E || type == 0x1102) && l.heapBytes && !l.heapBytes->empty()) {
    const Bytes v = *l.heapBytes;
    const std::uint64_t count = u32(v, 0);
    if (v.size() < 4 || 4 + 4 * count > v.size()) {
      c.problem(heap.where() + ": " + what + " multi-value count " + std::to_string(count) + " does not fit its " +
                std::to_string(v.size()) + " bytes");
      return l.size;
    }
    std::uint64_t previous = 4 + 4 * count;
    for (std::uint64_t k = 0; k < count; ++k) {
      const std::uint64_t off = u32(v, 4 + 4 * k);
      if (off < previous || off > v.size()) {
        c.problem(heap.where() + ": " + what + " multi-value offset " + std::to_string(k) + " (" + std::to_string(off) +
                  ") is out of order or past the value");
        return l.size;
      }
      previous = off;
    }
  }
  return l.size;
}

std::vector<std::uint8_t> valueBytes(const Heap& heap, const Subnodes& subnodes, std::uint32_t hnid) {
  if ((hnid & 0x1F) == 0) {
    if (hnid == 0 || !heap.exists(hnid)) return {};
    const auto a = heap.alloc(hnid, "value");
    return {a->begin(), a->end()};
  }
  auto it = subnodes.find(hnid);
  if (it == subnodes.end() || !it->second) return {};
  std::vector<std::uint8_t> out;
  for (const auto& b : it->second->blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

void checkPropertyContext(const Heap& heap, const Subnodes& subnodes, HeapSummary& summary) {
  auto records = readBth(heap, heap.userRoot(), 2, 6, "PC");
  if (!records) return;
  NodeContents* shown = heap.context().current;
  for (const auto& r : *records) {
    const auto id = u16(r.key, 0), type = u16(r.data, 0);
    const auto value = u32(r.data, 2);
    const std::uint32_t tag = (std::uint32_t(id) << 16) | type;
    const std::string what = "property " + hex(tag);
    const auto size = checkValue(heap, subnodes, type, value, what);
    if (shown) {
      const auto fixed = fixedSize(type);
      shown->properties[tag] = fixed && fixed <= 4 ? valueText(type, r.data.subspan(2, fixed))
                                                   : valueText(type, valueBytes(heap, subnodes, value));
    }
    if ((fixedSize(type) && fixedSize(type) <= 4) || id == 0x0003) summary.properties.push_back({id, {type, value, size}});
    if (id >= 0x8000) heap.context().namedUse.emplace(id, heap.where() + " " + what);
  }
}

}  // namespace pst::verify

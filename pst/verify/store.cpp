// Rules across the nodes of a message store (MS-PST 2.4): every folder has its
// three tables, they list exactly its child folders and messages, the folder's
// counts agree, and every named property ID has an entry in the name-to-ID map.
#include <set>

#include "pst/verify/context.h"

namespace pst::verify {
namespace {

constexpr std::uint32_t kTypeMask = 0x1F;
constexpr std::uint32_t kNormalFolder = 0x02, kSearchFolder = 0x03, kMessage = 0x04, kAssocMessage = 0x08;
constexpr std::uint32_t kHierarchyTable = 0x0D, kContentsTable = 0x0E, kAssocContentsTable = 0x0F;

const char* tableName(std::uint32_t type) {
  return type == kHierarchyTable ? "hierarchy table" : type == kContentsTable ? "contents table" : "FAI contents table";
}

const HeapSummary* summary(const Context& c, std::uint32_t nid, std::uint8_t clientSig) {
  auto it = c.heaps.find(nid);
  return it != c.heaps.end() && it->second->clientSig == clientSig ? it->second.get() : nullptr;
}

void checkNamedProperties(Context& c) {
  if (c.namedUse.empty()) return;
  const auto* map = summary(c, 0x61, 0xBC);
  if (!map) {
    c.problem("name-to-ID map (node 0x61) is missing or unreadable, but " + c.namedUse.begin()->second +
              " is a named property");
    return;
  }
  const auto* entries = map->property(0x0003);  // PidTagNameidStreamEntry: one 8-byte NAMEID per ID
  const std::uint64_t count = entries ? entries->size / 8 : 0;
  for (const auto& [id, user] : c.namedUse)
    if (std::uint64_t(id - 0x8000) >= count)
      c.problem(user + ": property ID " + hex(id) + " has no NAMEID entry (the name-to-ID map has " +
                std::to_string(count) + ")");
}

// Outlook shows a folder's or message's table row, readers its PC: the
// small fixed-size cells of each row must equal the child's properties.
void compareRows(Context& c, const std::string& folder, const char* table, const HeapSummary& t) {
  for (std::size_t r = 0; r < t.rowIds.size() && r < t.rowCells.size(); ++r) {
    const auto* pc = summary(c, t.rowIds[r], 0xBC);
    if (!pc) continue;
    for (const auto& [tag, cell] : t.rowCells[r]) {
      const auto id = static_cast<std::uint16_t>(tag >> 16), type = static_cast<std::uint16_t>(tag);
      if (id == 0x67F2 || id == 0x67F3) continue;  // row ID and version live only in the table
      const auto* p = pc->property(id);
      if (!p || p->type != type) continue;
      const std::uint32_t mask = type == 0x000B ? 0xFF : type == 0x0002 ? 0xFFFF : 0xFFFFFFFF;
      if ((p->value & mask) != (cell & mask))
        c.problem(folder + ": " + table + " row for " + hex(t.rowIds[r]) + " has " + hex(tag) + " = " + hex(cell) +
                  ", its PC has " + hex(p->value & mask));
    }
  }
}

}  // namespace

void checkStore(Context& c) {
  if (!c.options.storeRules || c.header.cryptMethod == 2) return;
  std::set<std::uint32_t> nids;
  for (const auto& n : c.nbt) nids.insert(n.nid);

  // The rows each folder's tables should hold, from the nodes' parents.
  std::map<std::uint32_t, std::set<std::uint32_t>> want;
  for (const auto& n : c.nbt) {
    if ((n.nidParent & kTypeMask) != kNormalFolder || n.nidParent == n.nid) continue;
    const auto type = n.nid & kTypeMask;
    const auto base = n.nidParent & ~kTypeMask;
    if (type == kNormalFolder || type == kSearchFolder) want[base | kHierarchyTable].insert(n.nid);
    if (type == kMessage) want[base | kContentsTable].insert(n.nid);
    if (type == kAssocMessage) want[base | kAssocContentsTable].insert(n.nid);
  }

  for (const auto& n : c.nbt) {
    if ((n.nid & kTypeMask) != kNormalFolder) continue;
    const std::string folder = "folder " + hex(n.nid);
    for (const auto type : {kHierarchyTable, kContentsTable, kAssocContentsTable}) {
      const auto tableNid = (n.nid & ~kTypeMask) | type;
      const auto& rows = want[tableNid];
      if (!nids.count(tableNid)) {
        c.problem(folder + ": its " + tableName(type) + " node " + hex(tableNid) + " is missing");
        continue;
      }
      const auto* table = summary(c, tableNid, 0x7C);
      if (!table) continue;  // reported where its node was read
      const std::set<std::uint32_t> have(table->rowIds.begin(), table->rowIds.end());
      if (type != kAssocContentsTable) compareRows(c, folder, tableName(type), *table);
      for (const auto id : rows)
        if (!have.count(id)) c.problem(folder + ": " + tableName(type) + " " + hex(tableNid) + " has no row for " + hex(id));
      for (const auto id : have)
        if (!rows.count(id))
          c.problem(folder + ": " + tableName(type) + " " + hex(tableNid) + " has a row for " + hex(id) +
                    ", which is not a child of the folder");
    }
    const auto* pc = summary(c, n.nid, 0xBC);
    if (!pc) continue;
    const auto* count = pc->property(0x3602);  // PidTagContentCount
    const auto contents = want[(n.nid & ~kTypeMask) | kContentsTable].size();
    if (count && count->value != contents)
      c.problem(folder + ": PidTagContentCount is " + std::to_string(count->value) + " but it holds " +
                std::to_string(contents) + " messages");
    const auto* sub = pc->property(0x360A);  // PidTagSubfolders
    const bool children = !want[(n.nid & ~kTypeMask) | kHierarchyTable].empty();
    if (sub && ((sub->value & 0xFF) != 0) != children)
      c.problem(folder + ": PidTagSubfolders is " + std::to_string(sub->value & 0xFF) + " but it has " +
                (children ? "subfolders" : "no subfolders"));
  }
  checkNamedProperties(c);
}

}  // namespace pst::verify

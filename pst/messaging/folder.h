// A folder of the store in memory (MS-PST 2.4.4): what its PC and its row in
// the parent's hierarchy table hold, its children and its tables' builders.
// The nodes are written at commit from this state.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pst/ltp/property_context.h"
#include "pst/ltp/table_context.h"
#include "pst/ndb/node_data.h"

namespace pst {

struct Folder {
  ndb::Nid nid = 0;
  ndb::Nid parent = 0;
  std::u16string name;
  std::u16string containerClass;
  std::optional<std::u16string> comment;  // Outlook gives the folders it makes an empty one
  bool hiddenCounts = false;  // PidTagPstHiddenCount / Unread, which Outlook keeps on folders it fills
  bool search = false;  // a search folder: its own node types, no children, no messages
  std::vector<ndb::Nid> children;
  std::uint32_t contentCount = 0;
  std::uint32_t unreadCount = 0;
  std::optional<ltp::TableContextBuilder> hierarchy;  // created with the first child
  std::optional<ltp::TableContextBuilder> contents;   // created with the first message

  // Nodes to write at the next commit.
  bool pcDirty = true;
  bool hierarchyDirty = true;
  bool contentsDirty = true;
  bool assocContentsDirty = true;
  bool rowStale = true;  // its row in the parent's hierarchy table

  ltp::PropertyContextBuilder propertyContext() const;
  // Cells of this folder's row in its parent's hierarchy table.
  std::map<ltp::PropTag, ltp::PropertyValue> hierarchyRow(std::uint32_t rowVer) const;
};

}  // namespace pst

// Table templates of a new store (MS-PST 2.4.4.4-2.4.4.6, 2.4.5.2-2.4.5.3):
// the column layouts Outlook writes, byte for byte, and the fixed NIDs.
#pragma once
#include <span>

#include "pst/ltp/table_context.h"
#include "pst/ndb/node_data.h"

namespace pst::templates {

// Fixed NIDs of a message store (MS-PST 2.4.1).
inline constexpr ndb::Nid NID_MESSAGE_STORE = 0x21;
inline constexpr ndb::Nid NID_NAME_TO_ID_MAP = 0x61;
inline constexpr ndb::Nid NID_ROOT_FOLDER = 0x122;
inline constexpr ndb::Nid NID_SEARCH_MANAGEMENT_QUEUE = 0x1E1;
inline constexpr ndb::Nid NID_SEARCH_ACTIVITY_LIST = 0x201;
inline constexpr ndb::Nid NID_SEARCH_DOMAIN_OBJECT = 0x261;
inline constexpr ndb::Nid NID_HIERARCHY_TABLE_TEMPLATE = 0x60D;
inline constexpr ndb::Nid NID_CONTENTS_TABLE_TEMPLATE = 0x60E;
inline constexpr ndb::Nid NID_ASSOC_CONTENTS_TABLE_TEMPLATE = 0x60F;
inline constexpr ndb::Nid NID_SEARCH_CONTENTS_TABLE_TEMPLATE = 0x610;
inline constexpr ndb::Nid NID_RECEIVE_FOLDER_TABLE = 0x62B;
inline constexpr ndb::Nid NID_OUTGOING_QUEUE_TABLE = 0x64C;
inline constexpr ndb::Nid NID_ATTACHMENT_TABLE = 0x671;
inline constexpr ndb::Nid NID_RECIPIENT_TABLE = 0x692;
// Outlook-internal tables (NID types 0x16-0x18) present in every store it makes.
inline constexpr ndb::Nid NID_INTERNAL_TABLE_16 = 0x6B6;
inline constexpr ndb::Nid NID_INTERNAL_TABLE_17 = 0x6D7;
inline constexpr ndb::Nid NID_INTERNAL_TABLE_18 = 0x6F8;
// Undocumented internal nodes every Outlook store has. 0xC01 is a heap whose
// BTH maps the 16-byte PidTagReplItemid of items to their NIDs; 0xE01 a heap
// of counters over a BTH of 4-byte keys; 0xE41 and 0xEC1 are empty in a new store.
inline constexpr ndb::Nid NID_REPLICA_ITEM_MAP = 0xC01;
inline constexpr ndb::Nid NID_INTERNAL_COUNTERS = 0xE01;
inline constexpr ndb::Nid NID_INTERNAL_E41 = 0xE41;
inline constexpr ndb::Nid NID_INTERNAL_EC1 = 0xEC1;

// Folders every store has; Outlook always uses these indexes.
inline constexpr ndb::Nid NID_IPM_SUBTREE = 0x8022;
inline constexpr ndb::Nid NID_SEARCH_ROOT = 0x8042;
inline constexpr ndb::Nid NID_DELETED_ITEMS = 0x8062;
inline constexpr ndb::Nid NID_COMMON_VIEWS = 0x8082;
// The SPAM search folder and its update queue, criteria and contents table.
inline constexpr ndb::Nid NID_SPAM_SEARCH_FOLDER = 0x2223;
inline constexpr ndb::Nid NID_SPAM_SEARCH_UPDATE_QUEUE = 0x2226;
inline constexpr ndb::Nid NID_SPAM_SEARCH_CRITERIA = 0x2227;
inline constexpr ndb::Nid NID_SPAM_SEARCH_CONTENTS = 0x2230;

// The tables that belong to folder PC nid (same index, other NID types).
constexpr ndb::Nid hierarchyTableOf(ndb::Nid folder) {
  return ndb::makeNid(ndb::NID_TYPE_HIERARCHY_TABLE, ndb::nidIndex(folder));
}
constexpr ndb::Nid contentsTableOf(ndb::Nid folder) {
  return ndb::makeNid(ndb::NID_TYPE_CONTENTS_TABLE, ndb::nidIndex(folder));
}
constexpr ndb::Nid assocContentsTableOf(ndb::Nid folder) {
  return ndb::makeNid(ndb::NID_TYPE_ASSOC_CONTENTS_TABLE, ndb::nidIndex(folder));
}

std::span<const ltp::ColumnDesc> hierarchyColumns();       // 0x60D, 13 columns
std::span<const ltp::ColumnDesc> contentsColumns();        // 0x60E, 28 columns
std::span<const ltp::ColumnDesc> assocContentsColumns();   // 0x60F, 15 columns
std::span<const ltp::ColumnDesc> searchContentsColumns();  // 0x610, 19 columns
std::span<const ltp::ColumnDesc> attachmentColumns();      // 0x671, 6 columns
std::span<const ltp::ColumnDesc> recipientColumns();       // 0x692, 14 columns
std::span<const ltp::ColumnDesc> receiveFolderColumns();   // 0x62B
std::span<const ltp::ColumnDesc> outgoingQueueColumns();   // 0x64C
std::span<const ltp::ColumnDesc> internalTable16Columns(); // 0x6B6
std::span<const ltp::ColumnDesc> internalTable17Columns(); // 0x6D7
std::span<const ltp::ColumnDesc> internalTable18Columns(); // 0x6F8

// A table with the given layout and no rows.
ltp::TableContextBuilder tableWith(std::span<const ltp::ColumnDesc> columns);
// Whether tag is one of the columns.
bool hasColumn(std::span<const ltp::ColumnDesc> columns, ltp::PropTag tag);

}  // namespace pst::templates

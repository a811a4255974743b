// Turns a Message into the nodes of a message object (MS-PST 2.4.5-2.4.6):
// its property context with the properties every message carries, the
// recipient table, the attachment table and attachment objects, and the
// cells of its row in the folder's contents table.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "pst/ltp/property_context.h"
#include "pst/messaging/name_to_id_map.h"
#include "pst/messaging/store.h"

namespace pst {

// The property id a key stands for: named keys are mapped (and added to
// names on first use); plain ids must be valid tag ids or ids names already
// assigned. Throws pst::Error otherwise.
ltp::PropId resolvePropertyKey(const PropertyKey& key, NameToIdMap& names);
// Throws pst::Error naming the property when the value's bytes do not fit its type.
void checkPropertyValue(ltp::PropId id, const ltp::PropertyValue& value);

// The cells of a table row, one per tag, in no particular order.
using RowCells = std::vector<std::pair<ltp::PropTag, ltp::PropertyValue>>;
// Sets the cell of tag, replacing the one the row has.
void setCell(RowCells& cells, ltp::PropTag tag, ltp::PropertyValue value);

struct BuiltMessage {
  ndb::NodeData node;
  RowCells contentsRow;  // without RowId and RowVer
  bool read = true;
};

class MessageBuilder {
 public:
  struct Environment {
    NameToIdMap* names = nullptr;
    std::function<ndb::Nid()> allocateAttachmentNid;
    std::function<std::array<std::uint8_t, 16>()> randomKey;  // search keys
    const ndb::NodeData* emptyRecipientTable = nullptr;
    std::uint64_t now = 0;  // FILETIME for the creation, modification, submit and delivery times
  };

  explicit MessageBuilder(Environment env) : env_(std::move(env)) {}
  BuiltMessage build(const Message& message) const;
  // The same, moving the values out of message.
  BuiltMessage build(Message&& message) const;

 private:
  template <typename M>
  BuiltMessage buildFrom(M&& message) const;
  template <typename Properties>
  ltp::PropertyContextBuilder propertiesOf(Properties&& properties) const;
  Environment env_;
};

// FILETIME of the current time.
std::uint64_t fileTimeNow();

}  // namespace pst

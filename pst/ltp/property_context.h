// Property context builder (MS-PST 2.3.3): a heap-on-node whose BTH maps
// property IDs to values; small values inline, others in the heap, values
// too large for a heap allocation in subnodes.
#pragma once
#include <map>
#include <utility>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/ndb/node_data.h"

namespace pst::ltp {

class PropertyContextBuilder {
 public:
  // Adds the property or replaces the value already set for that id.
  void set(PropId id, PropertyValue value);
  // As set() for each value in turn (a later value for an id replaces an
  // earlier one), sorted once instead of inserted one by one. Checks every
  // value before anything changes.
  void setAll(std::vector<std::pair<PropId, PropertyValue>> values);
  void remove(PropId id);
  const PropertyValue* find(PropId id) const;
  // Sorted by id.
  const std::vector<std::pair<PropId, PropertyValue>>& properties() const { return props_; }

  // The node's heap pages and subnodes. extraSubnodes are added as they are
  // (a message's recipient and attachment tables, say); large values get
  // NID_TYPE_LTP subnodes that never collide with them.
  ndb::NodeData build(const std::map<ndb::Nid, ndb::NodeData>& extraSubnodes = {}) const;
  // The same, taking the extra subnodes over instead of copying them.
  ndb::NodeData build(std::map<ndb::Nid, ndb::NodeData>&& extraSubnodes) const;

 private:
  // A sorted vector: a message sets some fifty properties, and one
  // allocation for all of them beats a tree node each.
  std::vector<std::pair<PropId, PropertyValue>> props_;
};

}  // namespace pst::ltp

// Property context builder: values inline, in the heap or in subnodes by size.
#include "pst/ltp/property_context.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/ltp/bth.h"
#include "pst/ltp/heap.h"
#include "pst/ltp/stream.h"

namespace pst::ltp {

namespace {

constexpr std::uint8_t kPcKeySize = 2;    // wPropId
constexpr std::uint8_t kPcEntrySize = 6;  // wPropType, dwValueHnid

// Subnode NIDs for large values: NID_TYPE_LTP, skipping those the caller uses.
class SubnodeNids {
 public:
  explicit SubnodeNids(const std::map<ndb::Nid, ndb::NodeData>& taken) : taken_(taken) {}
  ndb::Nid next() {
    for (;;) {
      const ndb::Nid nid = ndb::makeNid(ndb::NID_TYPE_LTP, index_++);
      if (!taken_.contains(nid)) return nid;
    }
  }

 private:
  const std::map<ndb::Nid, ndb::NodeData>& taken_;
  std::uint32_t index_ = 1;
};

}  // namespace

namespace {
template <typename V>
auto lowerBound(V& props, PropId id) {
  return std::lower_bound(props.begin(), props.end(), id, [](const auto& p, PropId key) { return p.first < key; });
}
}  // namespace

void PropertyContextBuilder::set(PropId id, PropertyValue value) {
  value.validate();
  if (!props_.empty() && props_.back().first < id) {
    props_.emplace_back(id, std::move(value));
    return;
  }
  const auto it = lowerBound(props_, id);
  if (it != props_.end() && it->first == id) {
    it->second = std::move(value);
  } else {
    props_.emplace(it, id, std::move(value));
  }
}

void PropertyContextBuilder::setAll(std::vector<std::pair<PropId, PropertyValue>> values) {
  for (const auto& [id, value] : values) value.validate();
  if (!props_.empty()) {
    for (auto& [id, value] : values) set(id, std::move(value));
    return;
  }
  // Sorted by id, then position, so the last value of an id is the one kept;
  // the keys are sorted, and each value is moved once.
  std::vector<std::uint64_t> order(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) order[i] = (std::uint64_t{values[i].first} << 32) | i;
  std::sort(order.begin(), order.end());
  props_.reserve(values.size());
  for (const std::uint64_t key : order) {
    auto& entry = values[static_cast<std::uint32_t>(key)];
    if (!props_.empty() && props_.back().first == entry.first) {
      props_.back().second = std::move(entry.second);
    } else {
      props_.push_back(std::move(entry));
    }
  }
}

void PropertyContextBuilder::remove(PropId id) {
  const auto it = lowerBound(props_, id);
  if (it != props_.end() && it->first == id) props_.erase(it);
}

const PropertyValue* PropertyContextBuilder::find(PropId id) const {
  const auto it = lowerBound(props_, id);
  return it != props_.end() && it->first == id ? &it->second : nullptr;
}

ndb::NodeData PropertyContextBuilder::build(const std::map<ndb::Nid, ndb::NodeData>& extraSubnodes) const {
  return build(std::map<ndb::Nid, ndb::NodeData>(extraSubnodes));
}

ndb::NodeData PropertyContextBuilder::build(std::map<ndb::Nid, ndb::NodeData>&& extraSubnodes) const {
  for (const auto& [nid, data] : extraSubnodes) {
    (void)data;
    if (ndb::nidType(nid) == ndb::NID_TYPE_HID)
      throw Error(ErrorKind::BadRequest, "subnode NID " + std::to_string(nid) + " has type HID");
  }
  ndb::NodeData out;
  out.subnodes = std::move(extraSubnodes);
  SubnodeNids nids(out.subnodes);

  HeapBuilder heap(kClientSigPc);
  const Hid header = heap.allocate(kBthHeaderSize);
  heap.setUserRoot(header);

  std::vector<std::uint8_t> records(props_.size() * (kPcKeySize + kPcEntrySize));
  std::uint8_t* rec = records.data();
  for (const auto& [id, value] : props_) {
    le::put<std::uint16_t>(rec, id);
    le::put<std::uint16_t>(rec + 2, static_cast<std::uint16_t>(value.type));
    std::uint32_t hnid = 0;
    const std::size_t fixed = fixedSize(value.type);
    if (fixed != 0 && fixed <= 4) {
      std::uint8_t inlineBytes[4] = {};
      std::memcpy(inlineBytes, value.data.data(), fixed);
      hnid = le::get<std::uint32_t>(inlineBytes);
    } else if (value.data.empty()) {
      hnid = 0;
    } else if (value.data.size() <= kMaxHeapAlloc) {
      hnid = heap.allocate(value.data);
    } else {
      const ndb::Nid nid = nids.next();
      out.subnodes.emplace(nid, streamNode(value.data));
      hnid = nid;
    }
    le::put<std::uint32_t>(rec + 4, hnid);
    rec += kPcKeySize + kPcEntrySize;
  }
  writeBth(heap, header, kPcKeySize, kPcEntrySize, records);
  out.blocks = std::move(heap).build();
  return out;
}

}  // namespace pst::ltp

// Message objects: property context, recipient and attachment tables,
// attachment objects and the contents-table row.
#include "pst/messaging/message_builder.h"

#include <chrono>
#include <limits>
#include <string>
#include <type_traits>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/messaging/tags.h"
#include "pst/messaging/templates.h"

namespace pst {
namespace {

using ltp::PropertyValue;
using ltp::PropId;
using ltp::PropType;

std::string hex(std::uint32_t v, int width) {
  static const char* digits = "0123456789ABCDEF";
  std::string s(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = digits[v & 0xF];
  return s;
}

[[noreturn]] void badValue(PropId id, const PropertyValue& v, const std::string& why) {
  throw Error(ErrorKind::BadRequest,
              "property 0x" + hex(id, 4) + " of type 0x" + hex(static_cast<std::uint16_t>(v.type), 4) + ": " + why);
}

// Bytes a value occupies, for PidTagMessageSize and PidTagAttachSize.
std::uint64_t valueSize(const PropertyValue& v) {
  const std::size_t fixed = ltp::fixedSize(v.type);
  return fixed != 0 ? fixed : v.data.size();
}

std::uint64_t propertiesSize(const ltp::PropertyContextBuilder& pc) {
  std::uint64_t size = 0;
  for (const auto& [id, value] : pc.properties()) size += 8 + valueSize(value);  // entry + value
  return size;
}

std::int32_t clampedInt32(std::uint64_t v) {
  return static_cast<std::int32_t>(std::min<std::uint64_t>(v, std::numeric_limits<std::int32_t>::max()));
}

void setIfAbsent(ltp::PropertyContextBuilder& pc, ltp::PropTag tag, PropertyValue value) {
  const PropertyValue* existing = pc.find(ltp::tagId(tag));
  if (existing == nullptr || existing->type != ltp::tagType(tag)) pc.set(ltp::tagId(tag), std::move(value));
}

std::int32_t int32Of(const ltp::PropertyContextBuilder& pc, ltp::PropTag tag, std::int32_t fallback) {
  const PropertyValue* v = pc.find(ltp::tagId(tag));
  if (v == nullptr || v->type != ltp::tagType(tag)) return fallback;
  return le::get<std::int32_t>(v->data, 0);
}

// Cells of a table row: every column whose property the object has, same type.
std::map<ltp::PropTag, PropertyValue> rowCells(const ltp::PropertyContextBuilder& pc,
                                               std::span<const ltp::ColumnDesc> columns) {
  std::map<ltp::PropTag, PropertyValue> cells;
  for (const auto& column : columns) {
    const PropertyValue* v = pc.find(ltp::tagId(column.tag));
    if (v != nullptr && v->type == ltp::tagType(column.tag)) cells.emplace(column.tag, *v);
  }
  return cells;
}

}  // namespace

void checkPropertyValue(PropId id, const PropertyValue& v) {
  try {
    v.validate();
  } catch (const Error& e) {
    badValue(id, v, e.what());
  }
}

PropId resolvePropertyKey(const PropertyKey& key, NameToIdMap& names) {
  if (const auto* named = std::get_if<NamedId>(&key)) return names.idFor(*named);
  if (const auto* named = std::get_if<NamedString>(&key)) return names.idFor(*named);
  const PropId id = std::get<PropId>(key);
  if (id == 0 || id == 0xFFFF)
    throw Error(ErrorKind::BadRequest, "property id 0x" + hex(id, 4) + " is not a valid property id");
  if (id >= NameToIdMap::kFirstId && std::size_t{id} - NameToIdMap::kFirstId >= names.size())
    throw Error(ErrorKind::BadRequest,
                "property id 0x" + hex(id, 4) + " is a named-property id this store never assigned");
  return id;
}

template <typename Properties>
ltp::PropertyContextBuilder MessageBuilder::propertiesOf(Properties&& properties) const {
  ltp::PropertyContextBuilder pc;
  for (auto& p : properties) {
    const PropId id = resolvePropertyKey(p.key, *env_.names);
    checkPropertyValue(id, p.value);
    if constexpr (std::is_const_v<std::remove_reference_t<decltype(p)>>) {
      pc.set(id, p.value);
    } else {
      pc.set(id, std::move(p.value));
    }
  }
  return pc;
}

BuiltMessage MessageBuilder::build(const Message& message) const { return buildFrom(message); }
BuiltMessage MessageBuilder::build(Message&& message) const { return buildFrom(message); }

template <typename M>
BuiltMessage MessageBuilder::buildFrom(M&& message) const {
  ltp::PropertyContextBuilder pc = propertiesOf(message.properties);

  // Attachments first: their sizes count in the message size.
  std::map<ndb::Nid, ndb::NodeData> subnodes;
  subnodes.emplace(templates::NID_RECIPIENT_TABLE, *env_.emptyRecipientTable);
  std::uint64_t attachmentsSize = 0;
  if (!message.attachments.empty()) {
    auto table = templates::tableWith(templates::attachmentColumns());
    std::uint32_t rowVer = 1;
    for (auto& attachment : message.attachments) {
      ltp::PropertyContextBuilder apc = propertiesOf(attachment.properties);
      setIfAbsent(apc, tags::AttachMethod, PropertyValue::integer32(tags::ATTACH_BY_VALUE));
      setIfAbsent(apc, tags::RenderingPosition, PropertyValue::integer32(-1));
      const std::uint64_t size = propertiesSize(apc) + 8;  // + PidTagAttachSize itself
      apc.set(ltp::tagId(tags::AttachSize), PropertyValue::integer32(clampedInt32(size)));
      attachmentsSize += size;

      const ndb::Nid nid = env_.allocateAttachmentNid();
      auto cells = rowCells(apc, templates::attachmentColumns());
      cells.insert_or_assign(tags::LtpRowId, PropertyValue::integer32(static_cast<std::int32_t>(nid)));
      cells.insert_or_assign(tags::LtpRowVer, PropertyValue::integer32(static_cast<std::int32_t>(rowVer++)));
      table.setRow(nid, cells);
      subnodes.emplace(nid, apc.build());
    }
    subnodes.emplace(templates::NID_ATTACHMENT_TABLE, table.build());
  }

  // What every message carries; the caller's values win where given.
  setIfAbsent(pc, tags::MessageClass, PropertyValue::string(u"IPM.Note"));
  setIfAbsent(pc, tags::MessageFlags, PropertyValue::integer32(tags::MSGFLAG_READ));
  setIfAbsent(pc, tags::MessageStatus, PropertyValue::integer32(0));
  setIfAbsent(pc, tags::Importance, PropertyValue::integer32(1));
  setIfAbsent(pc, tags::Sensitivity, PropertyValue::integer32(0));
  setIfAbsent(pc, tags::CreationTime, PropertyValue::time(env_.now));
  setIfAbsent(pc, tags::LastModificationTime, PropertyValue::time(env_.now));
  setIfAbsent(pc, tags::SearchKey, PropertyValue::binary(env_.randomKey()));
  setIfAbsent(pc, tags::RecordKey, PropertyValue::binary(env_.randomKey()));
  std::int32_t flags = int32Of(pc, tags::MessageFlags, tags::MSGFLAG_READ);
  if (message.attachments.empty()) {
    flags &= ~tags::MSGFLAG_HASATTACH;
  } else {
    flags |= tags::MSGFLAG_HASATTACH;
  }
  pc.set(ltp::tagId(tags::MessageFlags), PropertyValue::integer32(flags));
  pc.set(ltp::tagId(tags::HasAttachments), PropertyValue::boolean(!message.attachments.empty()));
  pc.set(ltp::tagId(tags::MessageSize), PropertyValue::integer32(0));
  pc.set(ltp::tagId(tags::MessageSize),
         PropertyValue::integer32(clampedInt32(propertiesSize(pc) + attachmentsSize)));

  BuiltMessage built;
  built.read = (flags & tags::MSGFLAG_READ) != 0;
  built.contentsRow = rowCells(pc, templates::contentsColumns());
  built.node = pc.build(subnodes);
  return built;
}

std::uint64_t fileTimeNow() {
  using namespace std::chrono;
  // FILETIME counts 100 ns from 1601-01-01; the Unix epoch is 11644473600 s later.
  const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(since1970 / 100) + 116444736000000000ULL;
}

}  // namespace pst

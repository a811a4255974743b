// Message objects: property context, recipient and attachment tables,
// attachment objects and the contents-table row.
#include "pst/messaging/message_builder.h"

#include <algorithm>
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

// value() makes the value only when it is needed.
template <typename MakeValue>
void setIfAbsent(ltp::PropertyContextBuilder& pc, ltp::PropTag tag, MakeValue&& value) {
  const PropertyValue* existing = pc.find(ltp::tagId(tag));
  if (existing == nullptr || existing->type != ltp::tagType(tag)) pc.set(ltp::tagId(tag), value());
}

std::int32_t int32Of(const ltp::PropertyContextBuilder& pc, ltp::PropTag tag, std::int32_t fallback) {
  const PropertyValue* v = pc.find(ltp::tagId(tag));
  if (v == nullptr || v->type != ltp::tagType(tag)) return fallback;
  return le::get<std::int32_t>(v->data, 0);
}

// Cells of a table row: every column whose property the object has, same type.
RowCells rowCells(const ltp::PropertyContextBuilder& pc, std::span<const ltp::ColumnDesc> columns) {
  RowCells cells;
  cells.reserve(columns.size() + 2);
  for (const auto& column : columns) {
    const PropertyValue* v = pc.find(ltp::tagId(column.tag));
    if (v != nullptr && v->type == ltp::tagType(column.tag)) setCell(cells, column.tag, *v);
  }
  return cells;
}

// Outlook stores a message's subject as 0x01, 1 + the length of its prefix
// ("RE: "), then the whole text; PidTagSubjectPrefix and
// PidTagNormalizedSubject are derived from it when read, never stored.
void storeSubject(ltp::PropertyContextBuilder& pc) {
  const PropId subjectId = ltp::tagId(tags::Subject), prefixId = ltp::tagId(tags::SubjectPrefix),
               normalizedId = ltp::tagId(tags::NormalizedSubject);
  auto text = [&](PropId id) -> const PropertyValue* {
    const PropertyValue* v = pc.find(id);
    return v != nullptr && (v->type == PropType::String || v->type == PropType::String8) ? v : nullptr;
  };
  const PropertyValue* subject = text(subjectId);
  const PropertyValue* normalized = text(normalizedId);
  const PropertyValue* given = subject != nullptr ? subject : normalized;
  if (given == nullptr) {
    pc.remove(prefixId);
    pc.remove(normalizedId);
    return;
  }
  const PropType type = given->type;
  const std::size_t unit = type == PropType::String ? 2 : 1;
  const PropertyValue* prefix = text(prefixId);
  if (prefix != nullptr && prefix->type != type) prefix = nullptr;

  std::vector<std::uint8_t> data(2 * unit);  // the marker, filled in below, then the text
  if (subject == nullptr && prefix != nullptr) data.insert(data.end(), prefix->data.begin(), prefix->data.end());
  data.insert(data.end(), given->data.begin(), given->data.end());
  std::size_t prefixUnits = 0;
  if (prefix != nullptr && prefix->data.size() <= data.size() - 2 * unit &&
      std::equal(prefix->data.begin(), prefix->data.end(), data.begin() + static_cast<std::ptrdiff_t>(2 * unit)))
    prefixUnits = prefix->data.size() / unit;
  if (unit == 2) {
    if (prefixUnits >= 0xFFFF) prefixUnits = 0;
    le::put<std::uint16_t>(data, 0, 0x0001);
    le::put<std::uint16_t>(data, 2, static_cast<std::uint16_t>(prefixUnits + 1));
  } else {
    if (prefixUnits >= 0xFF) prefixUnits = 0;
    data[0] = 0x01;
    data[1] = static_cast<std::uint8_t>(prefixUnits + 1);
  }
  pc.remove(prefixId);
  pc.remove(normalizedId);
  pc.set(subjectId, PropertyValue{type, std::move(data)});
}

}  // namespace

void setCell(RowCells& cells, ltp::PropTag tag, PropertyValue value) {
  for (auto& [have, cell] : cells) {
    if (have == tag) {
      cell = std::move(value);
      return;
    }
  }
  cells.emplace_back(tag, std::move(value));
}

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
  std::vector<std::pair<PropId, PropertyValue>> values;
  values.reserve(properties.size() + 16);  // room for what every message adds
  for (auto& p : properties) {
    const PropId id = resolvePropertyKey(p.key, *env_.names);
    checkPropertyValue(id, p.value);
    if constexpr (std::is_const_v<std::remove_reference_t<decltype(p)>>) {
      values.emplace_back(id, p.value);
    } else {
      values.emplace_back(id, std::move(p.value));
    }
  }
  ltp::PropertyContextBuilder pc;
  pc.setAll(std::move(values));
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
      setIfAbsent(apc, tags::AttachMethod, [&] { return PropertyValue::integer32(tags::ATTACH_BY_VALUE); });
      setIfAbsent(apc, tags::RenderingPosition, [&] { return PropertyValue::integer32(-1); });
      setIfAbsent(apc, tags::CreationTime, [&] { return PropertyValue::time(env_.now); });
      setIfAbsent(apc, tags::LastModificationTime, [&] { return PropertyValue::time(env_.now); });
      const std::uint64_t size = propertiesSize(apc) + 8;  // + PidTagAttachSize itself
      apc.set(ltp::tagId(tags::AttachSize), PropertyValue::integer32(clampedInt32(size)));
      attachmentsSize += size;

      const ndb::Nid nid = env_.allocateAttachmentNid();
      auto cells = rowCells(apc, templates::attachmentColumns());
      setCell(cells, tags::LtpRowId, PropertyValue::integer32(static_cast<std::int32_t>(nid)));
      setCell(cells, tags::LtpRowVer, PropertyValue::integer32(static_cast<std::int32_t>(rowVer++)));
      table.setRow(nid, cells);
      subnodes.emplace(nid, apc.build());
    }
    subnodes.emplace(templates::NID_ATTACHMENT_TABLE, table.build());
  }

  // What every message carries; the caller's values win where given.
  setIfAbsent(pc, tags::MessageClass, [&] { return PropertyValue::string(u"IPM.Note"); });
  setIfAbsent(pc, tags::MessageFlags, [&] { return PropertyValue::integer32(tags::MSGFLAG_READ); });
  setIfAbsent(pc, tags::Importance, [&] { return PropertyValue::integer32(1); });
  setIfAbsent(pc, tags::Sensitivity, [&] { return PropertyValue::integer32(0); });
  setIfAbsent(pc, tags::CreationTime, [&] { return PropertyValue::time(env_.now); });
  setIfAbsent(pc, tags::LastModificationTime, [&] { return PropertyValue::time(env_.now); });
  setIfAbsent(pc, tags::ClientSubmitTime, [&] { return PropertyValue::time(env_.now); });
  setIfAbsent(pc, tags::MessageDeliveryTime, [&] { return PropertyValue::time(env_.now); });
  setIfAbsent(pc, tags::SearchKey, [&] { return PropertyValue::binary(env_.randomKey()); });
  std::int32_t flags = int32Of(pc, tags::MessageFlags, tags::MSGFLAG_READ);
  if (message.attachments.empty()) {
    flags &= ~tags::MSGFLAG_HASATTACH;
  } else {
    flags |= tags::MSGFLAG_HASATTACH;
  }
  pc.set(ltp::tagId(tags::MessageFlags), PropertyValue::integer32(flags));
  // What the store computes when a message is read: Outlook stores none of
  // these in the message, and the status only in the contents-table row.
  const std::int32_t status = int32Of(pc, tags::MessageStatus, 0);
  storeSubject(pc);
  pc.remove(ltp::tagId(tags::MessageStatus));
  pc.remove(ltp::tagId(tags::HasAttachments));
  pc.remove(ltp::tagId(tags::RecordKey));
  pc.set(ltp::tagId(tags::MessageSize), PropertyValue::integer32(0));
  pc.set(ltp::tagId(tags::MessageSize),
         PropertyValue::integer32(clampedInt32(propertiesSize(pc) + attachmentsSize)));

  BuiltMessage built;
  built.read = (flags & tags::MSGFLAG_READ) != 0;
  built.contentsRow = rowCells(pc, templates::contentsColumns());
  setCell(built.contentsRow, tags::MessageStatus, PropertyValue::integer32(status));
  built.node = pc.build(std::move(subnodes));
  return built;
}

std::uint64_t fileTimeNow() {
  using namespace std::chrono;
  // FILETIME counts 100 ns from 1601-01-01; the Unix epoch is 11644473600 s later.
  const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(since1970 / 100) + 116444736000000000ULL;
}

}  // namespace pst

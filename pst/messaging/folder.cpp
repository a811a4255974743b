// A folder's property context and hierarchy-table row.
#include "pst/messaging/folder.h"

#include "pst/messaging/tags.h"
#include "pst/messaging/templates.h"

namespace pst {

using ltp::PropertyValue;

ltp::PropertyContextBuilder Folder::propertyContext() const {
  ltp::PropertyContextBuilder pc;
  pc.set(ltp::tagId(tags::DisplayName), PropertyValue::string(name));
  pc.set(ltp::tagId(tags::ContentCount), PropertyValue::integer32(static_cast<std::int32_t>(contentCount)));
  pc.set(ltp::tagId(tags::ContentUnreadCount), PropertyValue::integer32(static_cast<std::int32_t>(unreadCount)));
  pc.set(ltp::tagId(tags::Subfolders), PropertyValue::boolean(!children.empty()));
  if (!containerClass.empty()) pc.set(ltp::tagId(tags::ContainerClass), PropertyValue::string(containerClass));
  if (comment) pc.set(ltp::tagId(tags::Comment), PropertyValue::string(*comment));
  if (hiddenCounts) {
    pc.set(ltp::tagId(tags::PstHiddenCount), PropertyValue::integer32(0));
    pc.set(ltp::tagId(tags::PstHiddenUnread), PropertyValue::integer32(0));
  }
  return pc;
}

std::map<ltp::PropTag, ltp::PropertyValue> Folder::hierarchyRow(std::uint32_t rowVer) const {
  // Every property of the PC the hierarchy table has a column for.
  std::map<ltp::PropTag, PropertyValue> row;
  const ltp::PropertyContextBuilder pc = propertyContext();
  for (const auto& [id, value] : pc.properties()) {
    const ltp::PropTag tag = ltp::makeTag(id, value.type);
    if (templates::hasColumn(templates::hierarchyColumns(), tag)) row.emplace(tag, value);
  }
  row.emplace(tags::LtpRowId, PropertyValue::integer32(static_cast<std::int32_t>(nid)));
  row.emplace(tags::LtpRowVer, PropertyValue::integer32(static_cast<std::int32_t>(rowVer)));
  return row;
}

}  // namespace pst

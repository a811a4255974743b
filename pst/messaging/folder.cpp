// A folder's property context and hierarchy-table row.
#include "pst/messaging/folder.h"

#include "pst/messaging/tags.h"

namespace pst {

using ltp::PropertyValue;

ltp::PropertyContextBuilder Folder::propertyContext() const {
  ltp::PropertyContextBuilder pc;
  pc.set(ltp::tagId(tags::DisplayName), PropertyValue::string(name));
  pc.set(ltp::tagId(tags::ContentCount), PropertyValue::integer32(static_cast<std::int32_t>(contentCount)));
  pc.set(ltp::tagId(tags::ContentUnreadCount), PropertyValue::integer32(static_cast<std::int32_t>(unreadCount)));
  pc.set(ltp::tagId(tags::Subfolders), PropertyValue::boolean(!children.empty()));
  if (!containerClass.empty()) pc.set(ltp::tagId(tags::ContainerClass), PropertyValue::string(containerClass));
  if (!comment.empty()) pc.set(ltp::tagId(tags::Comment), PropertyValue::string(comment));
  return pc;
}

std::map<ltp::PropTag, ltp::PropertyValue> Folder::hierarchyRow(std::uint32_t rowVer) const {
  std::map<ltp::PropTag, PropertyValue> row{
      {tags::LtpRowId, PropertyValue::integer32(static_cast<std::int32_t>(nid))},
      {tags::LtpRowVer, PropertyValue::integer32(static_cast<std::int32_t>(rowVer))},
      {tags::DisplayName, PropertyValue::string(name)},
      {tags::ContentCount, PropertyValue::integer32(static_cast<std::int32_t>(contentCount))},
      {tags::ContentUnreadCount, PropertyValue::integer32(static_cast<std::int32_t>(unreadCount))},
      {tags::Subfolders, PropertyValue::boolean(!children.empty())},
  };
  if (!containerClass.empty()) row.emplace(tags::ContainerClass, PropertyValue::string(containerClass));
  return row;
}

}  // namespace pst

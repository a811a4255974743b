// Property tags the messaging layer writes or reads (MS-OXPROPS names).
#pragma once
#include "pst/ltp/property_value.h"

namespace pst::tags {

using ltp::makeTag;
using ltp::PropTag;
using T = ltp::PropType;

// Message store (MS-PST 2.4.3).
inline constexpr PropTag RecordKey = makeTag(0x0FF9, T::Binary);
inline constexpr PropTag DisplayName = makeTag(0x3001, T::String);
inline constexpr PropTag ValidFolderMask = makeTag(0x35DF, T::Integer32);
inline constexpr PropTag IpmSubTreeEntryId = makeTag(0x35E0, T::Binary);
inline constexpr PropTag IpmWastebasketEntryId = makeTag(0x35E3, T::Binary);
inline constexpr PropTag CommonViewsEntryId = makeTag(0x35E6, T::Binary);
inline constexpr PropTag FinderEntryId = makeTag(0x35E7, T::Binary);
inline constexpr PropTag ReplFlags = makeTag(0x0E38, T::Integer32);
inline constexpr PropTag PstLrNoRestrictions = makeTag(0x6633, T::Boolean);
inline constexpr PropTag PstPassword = makeTag(0x67FF, T::Integer32);
// Undocumented: a store property every store Outlook makes carries.
inline constexpr PropTag PstInternal66FA = makeTag(0x66FA, T::Integer32);

// Folders (MS-PST 2.4.4).
inline constexpr PropTag Comment = makeTag(0x3004, T::String);
inline constexpr PropTag ContentCount = makeTag(0x3602, T::Integer32);
inline constexpr PropTag ContentUnreadCount = makeTag(0x3603, T::Integer32);
inline constexpr PropTag Subfolders = makeTag(0x360A, T::Boolean);
inline constexpr PropTag ContainerClass = makeTag(0x3613, T::String);
inline constexpr PropTag PstHiddenCount = makeTag(0x6635, T::Integer32);
inline constexpr PropTag PstHiddenUnread = makeTag(0x6636, T::Integer32);
inline constexpr PropTag SearchFolderCriteria = makeTag(0x660B, T::Integer32);

// Messages (MS-PST 2.4.5).
inline constexpr PropTag MessageClass = makeTag(0x001A, T::String);
inline constexpr PropTag Importance = makeTag(0x0017, T::Integer32);
inline constexpr PropTag Sensitivity = makeTag(0x0036, T::Integer32);
inline constexpr PropTag Subject = makeTag(0x0037, T::String);
inline constexpr PropTag ClientSubmitTime = makeTag(0x0039, T::Time);
inline constexpr PropTag SubjectPrefix = makeTag(0x003D, T::String);
inline constexpr PropTag MessageDeliveryTime = makeTag(0x0E06, T::Time);
inline constexpr PropTag MessageFlags = makeTag(0x0E07, T::Integer32);
inline constexpr PropTag MessageSize = makeTag(0x0E08, T::Integer32);
inline constexpr PropTag MessageStatus = makeTag(0x0E17, T::Integer32);
inline constexpr PropTag HasAttachments = makeTag(0x0E1B, T::Boolean);
inline constexpr PropTag NormalizedSubject = makeTag(0x0E1D, T::String);
inline constexpr PropTag CreationTime = makeTag(0x3007, T::Time);
inline constexpr PropTag LastModificationTime = makeTag(0x3008, T::Time);
inline constexpr PropTag SearchKey = makeTag(0x300B, T::Binary);

// Attachments (MS-PST 2.4.6).
inline constexpr PropTag AttachSize = makeTag(0x0E20, T::Integer32);
inline constexpr PropTag AttachDataBinary = makeTag(0x3701, T::Binary);
inline constexpr PropTag AttachFilename = makeTag(0x3704, T::String);
inline constexpr PropTag AttachMethod = makeTag(0x3705, T::Integer32);
inline constexpr PropTag RenderingPosition = makeTag(0x370B, T::Integer32);

// Table columns.
inline constexpr PropTag LtpRowId = makeTag(0x67F2, T::Integer32);
inline constexpr PropTag LtpRowVer = makeTag(0x67F3, T::Integer32);

// Name-to-id map (MS-PST 2.4.7).
inline constexpr PropTag NameidBucketCount = makeTag(0x0001, T::Integer32);
inline constexpr PropTag NameidStreamGuid = makeTag(0x0002, T::Binary);
inline constexpr PropTag NameidStreamEntry = makeTag(0x0003, T::Binary);
inline constexpr PropTag NameidStreamString = makeTag(0x0004, T::Binary);
inline constexpr ltp::PropId NameidBucketBase = 0x1000;

// Message flags and attach methods.
inline constexpr std::int32_t MSGFLAG_READ = 0x01;
inline constexpr std::int32_t MSGFLAG_HASATTACH = 0x10;
inline constexpr std::int32_t ATTACH_BY_VALUE = 1;

}  // namespace pst::tags

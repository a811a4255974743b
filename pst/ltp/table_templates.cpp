// The table layouts Outlook writes into a new store, as {tag, ibData, cbData, iBit}.
#include "pst/ltp/table_templates.h"

namespace pst::ltp::templates {

std::vector<ColumnDesc> hierarchyTable() {
  return {
      {0x0E300102, 20, 4, 6},   // PidTagReplItemid
      {0x0E330014, 24, 8, 7},   // PidTagReplChangenum
      {0x0E340102, 32, 4, 8},   // PidTagReplVersionhistory
      {0x0E380003, 36, 4, 9},   // PidTagReplFlags
      {0x3001001F, 8, 4, 2},    // PidTagDisplayName
      {0x36020003, 12, 4, 3},   // PidTagContentCount
      {0x36030003, 16, 4, 4},   // PidTagContentUnreadCount
      {0x360A000B, 52, 1, 5},   // PidTagSubfolders
      {0x3613001F, 40, 4, 10},  // PidTagContainerClass
      {0x66350003, 44, 4, 11},  // PidTagPstHiddenCount
      {0x66360003, 48, 4, 12},  // PidTagPstHiddenUnread
      {0x67F20003, 0, 4, 0},    // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},    // PidTagLtpRowVer
  };
}

std::vector<ColumnDesc> contentsTable() {
  return {
      {0x00170003, 20, 4, 5},    // PidTagImportance
      {0x001A001F, 12, 4, 3},    // PidTagMessageClass
      {0x00360003, 60, 4, 15},   // PidTagSensitivity
      {0x0037001F, 28, 4, 7},    // PidTagSubject
      {0x00390040, 40, 8, 9},    // PidTagClientSubmitTime
      {0x0042001F, 24, 4, 6},    // PidTagSentRepresentingName
      {0x0057000B, 120, 1, 13},  // PidTagMessageToMe
      {0x0058000B, 121, 1, 14},  // PidTagMessageCcMe
      {0x0070001F, 68, 4, 17},   // PidTagConversationTopic
      {0x00710102, 72, 4, 18},   // PidTagConversationIndex
      {0x0E03001F, 56, 4, 12},   // PidTagDisplayCc
      {0x0E04001F, 52, 4, 11},   // PidTagDisplayTo
      {0x0E060040, 32, 8, 8},    // PidTagMessageDeliveryTime
      {0x0E070003, 16, 4, 4},    // PidTagMessageFlags
      {0x0E080003, 48, 4, 10},   // PidTagMessageSize
      {0x0E170003, 8, 4, 2},     // PidTagMessageStatus
      {0x0E300102, 92, 4, 22},   // PidTagReplItemid
      {0x0E330014, 96, 8, 23},   // PidTagReplChangenum
      {0x0E340102, 104, 4, 24},  // PidTagReplVersionhistory
      {0x0E380003, 116, 4, 27},  // PidTagReplFlags
      {0x0E3C0102, 112, 4, 26},  // PidTagReplCopiedfromVersionhistory
      {0x0E3D0102, 108, 4, 25},  // PidTagReplCopiedfromItemid
      {0x10970003, 64, 4, 16},   // PidTagItemTemporaryFlags
      {0x30080040, 84, 8, 21},   // PidTagLastModificationTime
      {0x30130102, 76, 4, 19},   // change-tracking binary
      {0x65C60003, 80, 4, 20},   // PidTagSecureSubmitFlags
      {0x67F20003, 0, 4, 0},     // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},     // PidTagLtpRowVer
  };
}

std::vector<ColumnDesc> faiContentsTable() {
  return {
      {0x001A001F, 12, 4, 3},   // PidTagMessageClass
      {0x0E070003, 16, 4, 4},   // PidTagMessageFlags
      {0x0E170003, 8, 4, 2},    // PidTagMessageStatus
      {0x3001001F, 20, 4, 5},   // PidTagDisplayName
      {0x67F20003, 0, 4, 0},    // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},    // PidTagLtpRowVer
      {0x6800001F, 44, 4, 11},  // PidTagOfflineAddressBookName
      {0x6803000B, 56, 1, 12},  // PidTagSendOutlookRecallReport
      {0x68051003, 48, 4, 13},  // PidTagOfflineAddressBookTruncatedProperties
      {0x682F001F, 52, 4, 14},  // string column of the FAI template
      {0x70030003, 24, 4, 6},   // PidTagViewDescriptorFlags
      {0x70040102, 28, 4, 7},   // PidTagViewDescriptorLinkTo
      {0x70050102, 32, 4, 8},   // PidTagViewDescriptorViewFolder
      {0x7006001F, 36, 4, 9},   // PidTagViewDescriptorName
      {0x70070003, 40, 4, 10},  // PidTagViewDescriptorVersion
  };
}

std::vector<ColumnDesc> searchContentsTable() {
  return {
      {0x00170003, 28, 4, 7},   // PidTagImportance
      {0x001A001F, 20, 4, 5},   // PidTagMessageClass
      {0x00360003, 60, 4, 16},  // PidTagSensitivity
      {0x0037001F, 36, 4, 9},   // PidTagSubject
      {0x0042001F, 32, 4, 8},   // PidTagSentRepresentingName
      {0x0057000B, 72, 1, 14},  // PidTagMessageToMe
      {0x0058000B, 73, 1, 15},  // PidTagMessageCcMe
      {0x0E03001F, 56, 4, 13},  // PidTagDisplayCc
      {0x0E04001F, 52, 4, 12},  // PidTagDisplayTo
      {0x0E05001F, 12, 4, 3},   // PidTagParentDisplay
      {0x0E060040, 40, 8, 10},  // PidTagMessageDeliveryTime
      {0x0E070003, 24, 4, 6},   // PidTagMessageFlags
      {0x0E080003, 48, 4, 11},  // PidTagMessageSize
      {0x0E170003, 16, 4, 4},   // PidTagMessageStatus
      {0x0E2A000B, 74, 1, 17},  // boolean column of the search template
      {0x30080040, 64, 8, 18},  // PidTagLastModificationTime
      {0x67F10003, 8, 4, 2},    // PidTagLtpParentNid
      {0x67F20003, 0, 4, 0},    // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},    // PidTagLtpRowVer
  };
}

std::vector<ColumnDesc> attachmentTable() {
  return {
      {0x0E200003, 12, 4, 3},  // PidTagAttachSize
      {0x3704001F, 20, 4, 5},  // PidTagAttachFilename
      {0x37050003, 16, 4, 4},  // PidTagAttachMethod
      {0x370B0003, 8, 4, 2},   // PidTagRenderingPosition
      {0x67F20003, 0, 4, 0},   // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},   // PidTagLtpRowVer
  };
}

std::vector<ColumnDesc> recipientTable() {
  return {
      {0x0C150003, 24, 4, 7},   // PidTagRecipientType
      {0x0E0F000B, 48, 1, 2},   // PidTagResponsibility
      {0x0FF90102, 32, 4, 9},   // PidTagRecordKey
      {0x0FFE0003, 36, 4, 10},  // PidTagObjectType
      {0x0FFF0102, 16, 4, 5},   // PidTagEntryId
      {0x3001001F, 20, 4, 6},   // PidTagDisplayName
      {0x3002001F, 8, 4, 3},    // PidTagAddressType
      {0x3003001F, 12, 4, 4},   // PidTagEmailAddress
      {0x300B0102, 28, 4, 8},   // PidTagSearchKey
      {0x39000003, 40, 4, 11},  // PidTagDisplayType
      {0x39FF001F, 44, 4, 13},  // PidTagAddressBookDisplayNamePrintable
      {0x3A40000B, 49, 1, 12},  // PidTagSendRichInfo
      {0x67F20003, 0, 4, 0},    // PidTagLtpRowId
      {0x67F30003, 4, 4, 1},    // PidTagLtpRowVer
  };
}

}  // namespace pst::ltp::templates

// Outlook distribution lists (IPM.DistList, MS-OXOCNTC 2.2.2) made from
// contact groups: the list message with its member entry IDs, and the lists
// of a store that wait for the end of the import to find their members.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "automation/objects.h"
#include "pst/messaging/store.h"
#include "vcard/contact.h"

namespace quillonet::automation {

// One member as Outlook keeps it: the entry ID it resolves (a wrapped contact
// entry ID, or a one-off) and the one-off entry ID that keeps its address.
struct ListMember {
  std::vector<std::uint8_t> entryId;
  std::vector<std::uint8_t> oneOff;
};

// A WrappedEntryId (MS-OXOCNTC 2.2.2.2.4.1.1) of a contact message's
// e-mail address slot 1 to 3.
std::vector<std::uint8_t> WrappedContactEntryId(std::span<const std::uint8_t> contactEntryId, int emailSlot);
// PidLidDistributionListChecksum: the CRC-32 of the member entry IDs.
std::uint32_t DistListChecksum(const std::vector<ListMember>& members);
// Outlook keeps each member array of a list below 15,000 bytes (MS-OXOCNTC
// 2.2.2.2.1-2), counted as stored: a count, an offset per value, the values.
inline constexpr std::size_t kMemberArrayLimit = 15000;
// The members in order, cut into runs whose arrays each stay below the limit.
std::vector<std::vector<ListMember>> InOutlookSizedRuns(std::vector<ListMember> members);
// The list message: name, file-as, icon and the member arrays.
pst::Message ToDistListMessage(const std::u16string& name, const std::vector<ListMember>& members);

class DistributionLists {
 public:
  // A contact the store holds, found by lists through the key of its UID
  // (vcard::uidKey). The first contact with a key keeps it.
  void addContact(const std::u16string& uidKey, pst::MessageId message, const vcard::ContactItem& contact);
  // A group that becomes a list in folder once every card has been read.
  void addList(pst::FolderId folder, std::u16string name, std::u16string uidKey, std::vector<std::u16string> members);
  bool pending() const { return completed_ < lists_.size(); }
  // Writes every waiting list into store, resolving its members: a contact
  // by UID, a "mailto:" address as a one-off; the rest are reported.
  DistListReport complete(pst::Store& store);

 private:
  struct Contact {
    pst::MessageId message = 0;
    std::u16string displayName;
    std::u16string address;  // empty: the contact has no e-mail address
    int emailSlot = 0;
  };
  struct List {
    pst::FolderId folder = 0;
    std::u16string name;
    std::u16string uidKey;
    std::vector<std::u16string> members;
  };
  std::map<std::u16string, Contact> contacts_;
  std::vector<List> lists_;
  std::size_t completed_ = 0;
};

}  // namespace quillonet::automation

// Distribution lists: member entry IDs, the list message, resolving members.
#include "automation/dist_list.h"

#include <set>

#include "pst/error.h"
#include "util/text.h"
#include "pst/ndb/crc.h"
#include "vcard/entry_id.h"
#include "vcard/group.h"

namespace quillonet::automation {

namespace {

using pst::ltp::PropertyValue;

// The provider UID of a WrappedEntryId.
constexpr std::uint8_t kWrappedProvider[16] = {0xC0, 0x91, 0xAD, 0xD3, 0x51, 0x9D, 0xCF, 0x11,
                                               0xA4, 0xA9, 0x00, 0xAA, 0x00, 0x47, 0xFA, 0xA4};
// Type byte: the embedded ID is a message's (0x80) of a contact (0x03);
// bits 0x70 name the address: 4, 5, 6 for e-mail 1, 2, 3 (Outlook writes
// 0xC3 for a contact's first address).
constexpr std::uint8_t kEmbeddedMessage = 0x80;
constexpr std::uint8_t kContactEntry = 0x03;
constexpr int kFirstEmailIndex = 4;

constexpr std::uint32_t kFileUnder = 0x8005;
constexpr std::uint32_t kFileUnderId = 0x8006;
constexpr std::uint32_t kDistributionListChecksum = 0x804C;
constexpr std::uint32_t kDistributionListName = 0x8053;
constexpr std::uint32_t kDistributionListOneOffMembers = 0x8054;
constexpr std::uint32_t kDistributionListMembers = 0x8055;
constexpr std::uint32_t kEmailAddress[3] = {0x8083, 0x8093, 0x80A3};

constexpr std::int32_t kDistListIcon = 514;
// PidLidFileUnderId of a list: a file-as text that follows no name rule.
constexpr std::int32_t kFileUnderCustom = -1;

pst::Property Tag(std::uint16_t id, PropertyValue value) { return {pst::ltp::PropId{id}, std::move(value)}; }
pst::Property Address(std::uint32_t lid, PropertyValue value) {
  return {pst::NamedId{pst::PSETID_Address, lid}, std::move(value)};
}

const std::u16string* TextOf(const vcard::ContactItem& contact, const vcard::PropertyKey& key) {
  const vcard::Value* value = contact.find(key);
  return value ? std::get_if<std::u16string>(value) : nullptr;
}

}  // namespace

std::vector<std::uint8_t> WrappedContactEntryId(std::span<const std::uint8_t> contactEntryId, int emailSlot) {
  std::vector<std::uint8_t> id;
  id.reserve(4 + sizeof kWrappedProvider + 1 + contactEntryId.size());
  id.insert(id.end(), 4, 0);  // flags
  id.insert(id.end(), std::begin(kWrappedProvider), std::end(kWrappedProvider));
  id.push_back(static_cast<std::uint8_t>(kEmbeddedMessage | ((kFirstEmailIndex + emailSlot - 1) << 4) |
                                         kContactEntry));
  id.insert(id.end(), contactEntryId.begin(), contactEntryId.end());
  return id;
}

std::uint32_t DistListChecksum(const std::vector<ListMember>& members) {
  std::uint32_t crc = 0;
  for (const ListMember& member : members) crc = pst::ndb::computeCrc(member.entryId, crc);
  return crc;
}

std::vector<std::vector<ListMember>> InOutlookSizedRuns(std::vector<ListMember> members) {
  std::vector<std::vector<ListMember>> runs(1);
  std::size_t entryIds = 4;
  std::size_t oneOffs = 4;
  for (ListMember& member : members) {
    const std::size_t entryId = 4 + member.entryId.size();
    const std::size_t oneOff = 4 + member.oneOff.size();
    if (!runs.back().empty() &&
        (entryIds + entryId >= kMemberArrayLimit || oneOffs + oneOff >= kMemberArrayLimit)) {
      runs.emplace_back();
      entryIds = 4;
      oneOffs = 4;
    }
    entryIds += entryId;
    oneOffs += oneOff;
    runs.back().push_back(std::move(member));
  }
  return runs;
}

pst::Message ToDistListMessage(const std::u16string& name, const std::vector<ListMember>& members) {
  pst::Message message;
  auto& p = message.properties;
  p.push_back(Tag(0x001A, PropertyValue::string(u"IPM.DistList")));  // PidTagMessageClass
  for (std::uint16_t id : {0x3001, 0x0037, 0x0E1D, 0x0070})  // display name, subject, normalized subject, topic
    p.push_back(Tag(id, PropertyValue::string(name)));
  p.push_back(Tag(0x003D, PropertyValue::string(u"")));  // PidTagSubjectPrefix
  p.push_back(Tag(0x1080, PropertyValue::integer32(kDistListIcon)));  // PidTagIconIndex
  p.push_back(Address(kFileUnder, PropertyValue::string(name)));
  p.push_back(Address(kFileUnderId, PropertyValue::integer32(kFileUnderCustom)));
  p.push_back(Address(kDistributionListName, PropertyValue::string(name)));
  std::vector<std::vector<std::uint8_t>> entryIds;
  std::vector<std::vector<std::uint8_t>> oneOffs;
  for (const ListMember& member : members) {
    entryIds.push_back(member.entryId);
    oneOffs.push_back(member.oneOff);
  }
  p.push_back(Address(kDistributionListMembers, PropertyValue::multipleBinary(entryIds)));
  p.push_back(Address(kDistributionListOneOffMembers, PropertyValue::multipleBinary(oneOffs)));
  p.push_back(Address(kDistributionListChecksum,
                      PropertyValue::integer32(static_cast<std::int32_t>(DistListChecksum(members)))));
  return message;
}

void DistributionLists::addContact(const std::u16string& uidKey, pst::MessageId message,
                                   const vcard::ContactItem& contact) {
  if (uidKey.empty() || contacts_.contains(uidKey)) return;
  Contact entry;
  entry.message = message;
  if (const auto* name = TextOf(contact, std::uint16_t{0x3001})) entry.displayName = *name;
  for (int slot = 1; slot <= 3; ++slot) {
    const auto* address = TextOf(contact, vcard::NamedId{vcard::PSETID_Address, kEmailAddress[slot - 1]});
    if (address && !address->empty()) {
      entry.address = *address;
      entry.emailSlot = slot;
      break;
    }
  }
  contacts_.emplace(uidKey, std::move(entry));
}

void DistributionLists::addList(pst::FolderId folder, std::u16string name, std::u16string uidKey,
                                std::vector<std::u16string> members) {
  lists_.push_back({folder, std::move(name), std::move(uidKey), std::move(members)});
}

DistListReport DistributionLists::complete(pst::Store& store) {
  DistListReport report;
  std::set<std::u16string> groups;
  for (const List& list : lists_)
    if (!list.uidKey.empty()) groups.insert(list.uidKey);

  for (; completed_ < lists_.size(); ++completed_) {
    const List& list = lists_[completed_];
    const auto problem = [&](const std::u16string& member, std::u16string reason) {
      report.problems.push_back({completed_, list.name, member, std::move(reason)});
    };
    std::vector<ListMember> members;
    for (const std::u16string& member : list.members) {
      const std::u16string key = vcard::uidKey(member);
      if (const auto found = contacts_.find(key); found != contacts_.end()) {
        const Contact& contact = found->second;
        if (contact.address.empty()) {
          problem(member, text::Format(u"the contact \"%1\" has no e-mail address", {contact.displayName}));
          continue;
        }
        members.push_back({WrappedContactEntryId(store.entryId(contact.message), contact.emailSlot),
                           vcard::oneOffEntryId(contact.displayName, u"SMTP", contact.address)});
      } else if (groups.contains(key)) {
        problem(member, u"it is a group, and a list does not hold other lists");
      } else if (const auto address = vcard::mailtoAddress(member)) {
        auto oneOff = vcard::oneOffEntryId(*address, u"SMTP", *address);
        members.push_back({oneOff, oneOff});
      } else {
        problem(member, u"no contact of this import has this UID");
      }
    }
    // A group larger than one Outlook list becomes several, numbered.
    const std::size_t kept = members.size();
    const auto runs = InOutlookSizedRuns(std::move(members));
    if (runs.size() > 1) {
      problem(u"", text::Format(u"%1 members are more than one Outlook list holds: saved as %2 lists, "
                                u"\"%3 (1)\" to \"%3 (%2)\"",
                                {text::Number(static_cast<std::int64_t>(kept)),
                                 text::Number(static_cast<std::int64_t>(runs.size())), list.name}));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const std::u16string name =
          runs.size() == 1 ? list.name : list.name + u" (" + text::Number(static_cast<std::int64_t>(i + 1)) + u")";
      try {
        store.addMessage(list.folder, ToDistListMessage(name, runs[i]));
        ++report.saved;
      } catch (const pst::Error& e) {
        problem(u"", text::Format(u"\"%1\" could not be saved: %2", {name, text::FromUtf8(e.what())}));
      }
    }
  }
  return report;
}

}  // namespace quillonet::automation

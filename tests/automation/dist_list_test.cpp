// Distribution-list members: the entry IDs and checksum come out byte for
// byte as in a list Outlook made (samples/dist-list.pst: a contact's first
// address, then two one-off addresses).
#include <gtest/gtest.h>

#include "util/text.h"

#include <QByteArray>

#include "automation/dist_list.h"
#include "pst/messaging/entry_id.h"
#include "vcard/entry_id.h"
#include "vcard/group.h"

namespace quillonet::automation {
namespace {

std::vector<std::uint8_t> Hex(const char* hex) {
  const QByteArray bytes = QByteArray::fromHex(hex);
  return {bytes.begin(), bytes.end()};
}

TEST(DistListMembers, EntryIdsAndChecksumAsOutlookWritesThem) {
  const auto key = Hex("a41d63dbc53b8e4ab8071e15e55750ce");
  std::array<std::uint8_t, 16> recordKey{};
  std::copy(key.begin(), key.end(), recordKey.begin());
  const std::vector<ListMember> members = {
      {WrappedContactEntryId(pst::makeEntryId(recordKey, 0x200064), 1),
       vcard::oneOffEntryId(u"contact name 1", u"SMTP", u"contact1@rjohnson.id.au")},
      {vcard::oneOffEntryId(u"dist name 1", u"SMTP", u"dist1@rjohnson.id.au"), {}},
      {vcard::oneOffEntryId(u"dist name 2", u"SMTP", u"dist2@rjohnson.id.au"), {}},
  };
  EXPECT_EQ(members[0].entryId,
            Hex("00000000c091add3519dcf11a4a900aa0047faa4c300000000a41d63dbc53b8e4ab8071e15e55750ce64002000"));
  EXPECT_EQ(members[0].oneOff,
            Hex("00000000812b1fa4bea310199d6e00dd010f54020000018063006f006e00740061006300740020006e0061006d0065"
                "0020003100000053004d0054005000000063006f006e0074006100630074003100400072006a006f0068006e0073"
                "006f006e002e00690064002e00610075000000"));
  EXPECT_EQ(DistListChecksum(members), 4205190967u);
  // The second and third address slots of a contact.
  EXPECT_EQ(WrappedContactEntryId(pst::makeEntryId(recordKey, 0x200064), 2)[20], 0xD3);
  EXPECT_EQ(WrappedContactEntryId(pst::makeEntryId(recordKey, 0x200064), 3)[20], 0xE3);
}

TEST(DistListMembers, UidsAndMailtoAsMembersWriteThem) {
  EXPECT_EQ(vcard::uidKey(u" urn:uuid:6F1A2B3C-0000-4000-8000-00000000A001"),
            vcard::uidKey(u"6f1a2b3c-0000-4000-8000-00000000a001"));
  EXPECT_EQ(vcard::uidKey(u"URN:UUID:abc"), u"abc");
  // A UID that is no UUID keeps its case.
  EXPECT_NE(vcard::uidKey(u"Contact-1"), vcard::uidKey(u"contact-1"));
  EXPECT_EQ(vcard::mailtoAddress(u"MAILTO:j%C3%BCrgen@example.org?subject=hi"), u"jürgen@example.org");
  EXPECT_EQ(vcard::mailtoAddress(u"urn:uuid:abc"), std::nullopt);
  EXPECT_EQ(vcard::mailtoAddress(u"mailto:"), std::nullopt);
}

TEST(DistListMembers, AGroupLargerThanOneListIsCutIntoListsOutlookAccepts) {
  std::vector<ListMember> members;
  for (int i = 0; i < 400; ++i) {
    const std::u16string address = u"member" + quillonet::text::Number(i) + u"@example.org";
    members.push_back({vcard::oneOffEntryId(address, u"SMTP", address), vcard::oneOffEntryId(address, u"SMTP", address)});
  }
  const auto runs = InOutlookSizedRuns(members);
  ASSERT_GT(runs.size(), 1u);
  std::vector<ListMember> joined;
  for (const auto& run : runs) {
    std::size_t size = 4;
    for (const ListMember& member : run) size += 4 + member.oneOff.size();
    EXPECT_LT(size, kMemberArrayLimit);
    // Full, not a few members each: the next member would not have fitted.
    if (&run != &runs.back()) {
      EXPECT_GE(size + 4 + members[0].oneOff.size(), kMemberArrayLimit);
    }
    joined.insert(joined.end(), run.begin(), run.end());
  }
  ASSERT_EQ(joined.size(), members.size());
  for (std::size_t i = 0; i < members.size(); ++i) EXPECT_EQ(joined[i].oneOff, members[i].oneOff);
  EXPECT_EQ(InOutlookSizedRuns({}).size(), 1u);  // an empty group is one empty list
}

}  // namespace
}  // namespace quillonet::automation

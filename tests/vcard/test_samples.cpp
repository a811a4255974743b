// Sample files in the styles of real exporters, each named for its quirk, converted end to end.
#include <gtest/gtest.h>

#include <fstream>

#include "helpers.h"
#include "vcard/date.h"

namespace vcard::test {
namespace {

ContactItem sample(const char* name) { return importFile(std::filesystem::path(QUILLONET_TEST_DATA) / name); }

std::vector<Card> sampleCards(const char* name) {
  std::ifstream in(std::filesystem::path(QUILLONET_TEST_DATA) / name, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parse(bytes);
}

TEST(Samples, Outlook21Export) {
  const auto c = sample("outlook-2.1-export.vcf");
  EXPECT_EQ(str(c, tag::DisplayName), "Dr. Jane Q. Doe PhD");
  EXPECT_EQ(str(c, addr(lid::FileUnder)), "Doe, Jane Q.");
  EXPECT_EQ(str(c, tag::CompanyName), "Contoso Ltd.");
  EXPECT_EQ(str(c, tag::DepartmentName), "Research");
  EXPECT_EQ(str(c, tag::Title), "Chief Scientist");
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "+1 425 555 0100");
  EXPECT_EQ(str(c, tag::HomeTelephoneNumber), "+1 425 555 0150");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "+1 425 555 0101");
  EXPECT_EQ(str(c, tag::BusinessFaxNumber), "+1 425 555 0102");
  EXPECT_EQ(str(c, tag::AssistantTelephoneNumber), "+1 425 555 0199");
  EXPECT_EQ(str(c, addr(lid::WorkAddressStreet)), "1 Main St.");
  EXPECT_EQ(str(c, addr(lid::WorkAddress)), "1 Main St.\r\nRedmond, WA  98052\r\nUnited States of America");
  EXPECT_EQ(str(c, tag::HomeAddressCity), "Bellevue");
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 2);
  EXPECT_EQ(str(c, tag::Locality), "Redmond");
  EXPECT_EQ(str(c, tag::BusinessHomePage), "http://www.contoso.com/");
  EXPECT_EQ(get<FileTime>(c, tag::Birthday), fileTimeOf(1975, 4, 15));
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(2001, 9, 22));
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress)), "jane@contoso.com");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress + 0x10)), "jane.doe@example.org");
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "jane@im.contoso.com");
  EXPECT_EQ(str(c, tag::ManagerName), "Mia Manager");
  EXPECT_EQ(str(c, tag::Assistant), "Sam Helper");
  EXPECT_EQ(str(c, tag::SpouseName), "Pat Doe");
  EXPECT_EQ(str(c, tag::Body), "Met at the \r\nconference in Seattle.");
  EXPECT_EQ(get<std::vector<std::u16string>>(c, NamedString{PS_PUBLIC_STRINGS, u"Keywords"}),
            (std::vector<std::u16string>{u"VIP", u"Research"}));
  // The 2.1 base64 block (indented, ended by a blank line) is the photo.
  ASSERT_EQ(c.attachments.size(), 1u);
  ContactItem att{c.attachments[0].properties, {}};
  const auto data = get<std::vector<std::uint8_t>>(att, tag::AttachDataBinary);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->size(), 6u + 5 + 768 + 2);
  EXPECT_EQ((*data)[0], 0xFF);
  EXPECT_EQ(data->back(), 0xD9);
}

TEST(Samples, Apple30Contacts) {
  const auto c = sample("apple-3.0-contacts.vcf");
  EXPECT_EQ(str(c, tag::DisplayName), "John Appleseed");
  EXPECT_EQ(str(c, tag::Nickname), "Johnny");
  EXPECT_EQ(str(c, tag::CompanyName), "Apple Inc.");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress)), "john@example.com");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress + 0x10)), "john.appleseed@apple.example");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "+1 (408) 555-0123");
  // The second mobile finds its slot taken and lands in Other.
  EXPECT_EQ(str(c, tag::OtherTelephoneNumber), "+1 (408) 555-0124");
  EXPECT_EQ(str(c, tag::HomeTelephoneNumber), "+1 (408) 555-0125");
  EXPECT_EQ(str(c, tag::AssistantTelephoneNumber), "+1 (408) 555-0126");
  EXPECT_EQ(str(c, tag::HomeAddressStreet), "1 Infinite Loop");
  EXPECT_EQ(str(c, addr(lid::HomeAddressCountryCode)), "US");
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 1);
  EXPECT_EQ(str(c, tag::PersonalHomePage), "https://www.apple.example");
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(2004, 10, 24));
  EXPECT_EQ(str(c, tag::SpouseName), "Jane Appleseed");
  EXPECT_EQ(str(c, tag::ManagerName), "Tim");
  EXPECT_EQ(get<FileTime>(c, tag::Birthday), fileTimeOf(1604, 5, 12));
  EXPECT_EQ(str(c, tag::Body), "Likes apples, pears\r\nand plums.");
  EXPECT_EQ(c.attachments.size(), 1u);
}

TEST(Samples, Google30ExportWithTwoCards) {
  const auto cards = sampleCards("google-3.0-export.vcf");
  ASSERT_EQ(cards.size(), 2u);
  const auto c = toContact(cards[0]);
  EXPECT_EQ(str(c, tag::MiddleName), "Brewster Murray");
  EXPECT_EQ(str(c, tag::DisplayNamePrefix), "Rear Admiral");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress + 0x20)), "cobol@example.com");
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "+1 202-555-0182");
  EXPECT_EQ(str(c, addr(lid::WorkAddressCity)), "Washington");
  EXPECT_EQ(str(c, tag::PersonalHomePage), "http://www.example.com/grace");
  EXPECT_EQ(get<FileTime>(c, tag::Birthday), fileTimeOf(1906, 12, 9));
  EXPECT_TRUE(c.attachments.empty());  // remote photo URL
  EXPECT_EQ(str(c, tag::Body), "First line\r\nSecond line");
  // Empty FN and N: the e-mail address names the contact.
  const auto second = toContact(cards[1]);
  EXPECT_EQ(str(second, tag::DisplayName), "noname@example.com");
  EXPECT_EQ(str(second, addr(lid::Email1DisplayName)), "noname@example.com");
}

TEST(Samples, Rfc6350WithDataUris) {
  const auto c = sample("rfc6350-4.0-data-uris.vcf");
  EXPECT_EQ(str(c, tag::Generation), "ing. jr M.Sc.");
  EXPECT_EQ(get<FileTime>(c, tag::Birthday), fileTimeOf(kNoYear, 2, 3));
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(2009, 8, 8));
  EXPECT_EQ(get<std::int16_t>(c, tag::Gender), 2);
  EXPECT_EQ(str(c, tag::Language), "fr");
  EXPECT_EQ(str(c, tag::CompanyName), "Viagenie");
  EXPECT_EQ(str(c, addr(lid::WorkAddressStreet)), "2875 Laurier\r\nSuite D2-630");
  EXPECT_EQ(str(c, addr(lid::WorkAddressCity)), "Quebec");
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "+1-418-656-9254 x102");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "+1-418-262-6501");
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "simon@viagenie.ca");
  EXPECT_EQ(str(c, tag::SpouseName), "Marie Perreault");
  EXPECT_EQ(str(c, tag::PersonalHomePage), "http://nomis80.org");
  ASSERT_EQ(c.attachments.size(), 1u);
  ContactItem att{c.attachments[0].properties, {}};
  EXPECT_EQ(get<std::vector<std::uint8_t>>(att, tag::AttachDataBinary)->size(), 36u);
}

TEST(Samples, Android21QuotedPrintableMultiLine) {
  const auto c = sample("android-2.1-quoted-printable.vcf");
  EXPECT_EQ(str(c, tag::DisplayName), "\xE5\xBC\xA0\xE4\xB8\x89");  // 张三
  EXPECT_EQ(str(c, tag::Surname), "\xE5\xBC\xA0");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "13800138000");
  EXPECT_EQ(str(c, tag::Nickname), "Xiao Zhang");  // from X-ANDROID-CUSTOM
  EXPECT_EQ(str(c, tag::SpouseName), "Li Si");
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(2010, 10, 1));
  EXPECT_EQ(str(c, tag::OtherTelephoneNumber), "+86 10 1234");
  EXPECT_EQ(str(c, tag::HomeAddressStreet), "\xE4\xB8\xAD\xE5\x85\xB3\xE6\x9D\x91\xE5\xA4\xA7\xE8\xA1\x97"
                                             "1\xE5\x8F\xB7");  // 中关村大街1号
  EXPECT_EQ(str(c, tag::HomeAddressCity), "\xE5\x8C\x97\xE4\xBA\xAC");
  EXPECT_EQ(str(c, tag::Body), "\xE7\xAC\xAC\xE4\xB8\x80\xE8\xA1\x8C\r\n\xE7\xAC\xAC\xE4\xBA\x8C\xE8\xA1\x8C"
                               "\xE7\xBB\xA7\xE7\xBB\xAD");
  ASSERT_EQ(c.attachments.size(), 1u);
}

TEST(Samples, Evolution30) {
  const auto c = sample("evolution-3.0.vcf");
  EXPECT_EQ(str(c, addr(lid::FileUnder)), "Lovelace, Ada");
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::FileUnderId)), 0x8017);
  EXPECT_EQ(str(c, tag::ManagerName), "Charles Babbage");
  EXPECT_EQ(str(c, tag::Assistant), "Mary Somerville");
  EXPECT_EQ(str(c, tag::SpouseName), "William King");
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(1835, 7, 8));
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "ada@jabber.example");
  EXPECT_EQ(str(c, tag::BusinessFaxNumber), "+44 20 7946 0003");
  EXPECT_EQ(str(c, tag::HomeAddressStreet), "12 St James's Square");
  EXPECT_EQ(str(c, tag::DepartmentName), "Programming");
}

TEST(Samples, KdeKAddressBook) {
  const auto c = sample("kde-3.0-kaddressbook.vcf");
  EXPECT_EQ(get<std::int32_t>(c, tag::Sensitivity), 3);
  EXPECT_EQ(str(c, tag::Assistant), "Katie");
  EXPECT_EQ(str(c, tag::ManagerName), "Tux");
  EXPECT_EQ(str(c, tag::OfficeLocation), "Room 42");
  EXPECT_EQ(str(c, tag::Profession), "Mascot");
  EXPECT_EQ(str(c, tag::SpouseName), "Kandalf");
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(1996, 10, 14));
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "konqi@im.kde.example");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress)), "konqi@kde.example");
}

TEST(Samples, Nokia21Windows1251WithCrLineEnds) {
  const auto c = sample("nokia-2.1-windows-1251-cr.vcf");
  EXPECT_EQ(str(c, tag::Surname), "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2");  // Иванов
  EXPECT_EQ(str(c, tag::DisplayName), "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "+7 495 123-45-67");
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "+7 495 765-43-21");
}

TEST(Samples, WindowsUtf16LittleEndianWithBom) {
  const auto c = sample("windows-utf16le-bom.vcf");
  EXPECT_EQ(str(c, tag::Surname), "M\xC3\xBCller");
  EXPECT_EQ(str(c, tag::CompanyName), "Stra\xC3\x9F" "e AG");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress)), "juergen@example.de");
}

TEST(Samples, ReadpstOutputWithUnclosedAgent) {
  const auto c = sample("readpst-3.0-output.vcf");
  EXPECT_EQ(str(c, tag::Surname), "Doe");
  EXPECT_EQ(str(c, tag::CompanyName), "Contoso Ltd.");
  EXPECT_EQ(str(c, tag::Assistant), "Sam Helper");
  EXPECT_EQ(str(c, tag::AssistantTelephoneNumber), "+1 425 555 0199");
  EXPECT_EQ(str(c, tag::Body), "Met at the \r\nconference.");
  EXPECT_EQ(get<std::vector<std::u16string>>(c, NamedString{PS_PUBLIC_STRINGS, u"Keywords"}),
            (std::vector<std::u16string>{u"VIP", u"Research"}));
}

}  // namespace
}  // namespace vcard::test

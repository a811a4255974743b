// Conversion tests: each vCard property to its contact properties, and the derived ones.
#include <gtest/gtest.h>

#include "helpers.h"
#include "vcard/date.h"
#include "vcard/entry_id.h"

namespace vcard::test {
namespace {

std::string card(std::string_view version, std::string_view body) {
  return "BEGIN:VCARD\r\nVERSION:" + std::string(version) + "\r\n" + std::string(body) + "END:VCARD\r\n";
}

TEST(Convert, NamesDisplayNameAndFileAs) {
  const auto c = convert(card("2.1", "N;LANGUAGE=en-us:Doe;Jane;Q.;Dr.;PhD\r\nFN:Dr. Jane Q. Doe PhD\r\n"));
  EXPECT_EQ(str(c, tag::MessageClass), "IPM.Contact");
  EXPECT_EQ(str(c, tag::Surname), "Doe");
  EXPECT_EQ(str(c, tag::GivenName), "Jane");
  EXPECT_EQ(str(c, tag::MiddleName), "Q.");
  EXPECT_EQ(str(c, tag::DisplayNamePrefix), "Dr.");
  EXPECT_EQ(str(c, tag::Generation), "PhD");
  EXPECT_EQ(str(c, tag::DisplayName), "Dr. Jane Q. Doe PhD");
  // Outlook's subject leaves the title out; the store derives the normalized subject.
  EXPECT_EQ(str(c, tag::Subject), "Jane Q. Doe PhD");
  EXPECT_EQ(str(c, tag::ConversationTopic), "Jane Q. Doe PhD");
  EXPECT_EQ(c.find(PropertyKey{std::uint16_t{0x0E1D}}), nullptr);
  EXPECT_EQ(str(c, addr(lid::FileUnder)), "Doe, Jane Q.");
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::FileUnderId)), 0x8017);
  EXPECT_EQ(str(c, tag::Initials), "J.Q.D.");
  // A file-as of the card's own, as Outlook 2003 marks its custom File As.
  const auto custom = convert(card("3.0", "N:Doe;Jane;;;\r\nX-EVOLUTION-FILE-AS:JD\r\n"));
  EXPECT_EQ(str(custom, addr(lid::FileUnder)), "JD");
  EXPECT_EQ(get<std::int32_t>(custom, addr(lid::FileUnderId)), -1);
}

TEST(Convert, InitialsAsOutlookWritesThem) {
  auto initials = [](std::string_view n) { return str(convert(card("3.0", "N:" + std::string(n) + "\r\n")), tag::Initials); };
  EXPECT_EQ(initials("Last Name;First Name;Second Name;Title;Suffix"), "F.N.S.N.L.N.");  // Outlook 2013
  EXPECT_EQ(initials("1;contact;name;;"), "c.n.1.");                                     // Outlook 2007
  EXPECT_EQ(initials("contact;(full name) A;completely bogus;;"), "f.A.c.b.c.");          // Outlook 2003
  EXPECT_EQ(initials("Martin-Dupont;Jean-Luc;;;"), "J.-L.M.-D.");
  // A title FN does not start with stays in the subject.
  EXPECT_EQ(str(convert(card("3.0", "N:Doe;Jane;;Dr.;\r\nFN:Jane Doe\r\n")), tag::Subject), "Jane Doe");
}

TEST(Convert, OutlooksDefaultsOnEveryContact) {
  const auto c = convert(card("3.0", "FN:x\r\nURL;TYPE=work:www.example.com\r\nTEL;TYPE=work,fax:Fax number\r\n"));
  EXPECT_EQ(get<std::int32_t>(c, tag::IconIndex), 512);
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::ContactCharacterSet)), 256);
  EXPECT_EQ(get<std::vector<std::int32_t>>(c, addr(lid::FileUnderList)),
            (std::vector<std::int32_t>{0x8017, 0x8037, 0x3A16, 0x8019, 0x8018}));
  EXPECT_EQ(get<std::vector<std::int32_t>>(c, addr(lid::EmailDisplayNameList)),
            (std::vector<std::int32_t>{0x8080, 0x8090, 0x80A0}));
  // The form shows the business address, e-mail 1 and its four default phones.
  EXPECT_EQ(get<std::vector<std::int32_t>>(c, addr(lid::ContactItemData)),
            (std::vector<std::int32_t>{2, 0x8080, 0x3A08, 0x3A09, 0x3A24, 0x3A1C}));
  for (std::uint32_t type : {lid::Fax1AddressType, lid::Fax1AddressType + 0x10, lid::Fax1AddressType + 0x20})
    EXPECT_EQ(str(c, addr(type)), "FAX");
  // A fax "number" without a digit gets no fax address.
  EXPECT_EQ(c.find(addr(lid::Fax1EmailAddress)), nullptr);
  EXPECT_EQ(c.find(addr(lid::AddressBookProviderEmailList)), nullptr);
  EXPECT_EQ(get<bool>(c, NamedId{PSETID_Common, lid::Private}), false);
  EXPECT_EQ(get<std::int32_t>(c, NamedId{PSETID_Common, lid::SideEffects}), 0x51);
  EXPECT_EQ(str(c, NamedId{PSETID_Common, lid::CurrentVersionName}), "15.0");
  // The form's web page field reads PidLidHtml.
  EXPECT_EQ(str(c, tag::BusinessHomePage), "www.example.com");
  EXPECT_EQ(str(c, addr(lid::Html)), "www.example.com");
  EXPECT_EQ(c.find(NamedId{PSETID_Common, lid::SmartNoAttach}), nullptr);
  // The address the form shows: the mailing address, else the first there is.
  const auto home = convert(card("3.0", "FN:x\r\nADR;TYPE=home:;;1 Road;Town;;;\r\n"));
  EXPECT_EQ(get<std::vector<std::int32_t>>(home, addr(lid::ContactItemData))->front(), 1);
}

TEST(Convert, DisplayNameFallsBackToNameOrgEmail) {
  EXPECT_EQ(str(convert(card("3.0", "N:Lee;Ann;;Ms.;\r\n")), tag::DisplayName), "Ms. Ann Lee");
  const auto org = convert(card("3.0", "ORG:Contoso\r\n"));
  EXPECT_EQ(str(org, tag::DisplayName), "Contoso");
  EXPECT_EQ(str(org, addr(lid::FileUnder)), "Contoso");
  EXPECT_EQ(get<std::int32_t>(org, addr(lid::FileUnderId)), tag::CompanyName);
  EXPECT_EQ(str(convert(card("3.0", "EMAIL:x@y.z\r\n")), tag::DisplayName), "x@y.z");
  // Only a surname: no dangling comma.
  EXPECT_EQ(str(convert(card("3.0", "N:Smith;;;;\r\n")), addr(lid::FileUnder)), "Smith");
  // Apple's "show as company".
  EXPECT_EQ(str(convert(card("3.0", "N:Lee;Ann;;;\r\nORG:Contoso;\r\nX-ABShowAs:COMPANY\r\n")),
                addr(lid::FileUnder)),
            "Contoso");
}

TEST(Convert, NicknameOrgTitleRoleAndRelatedPeople) {
  const auto c = convert(card("3.0",
                              "FN:A\r\nNICKNAME:Al,Bert\r\nORG:Contoso\\, Ltd.;Sales;EMEA\r\nTITLE:Boss\r\n"
                              "ROLE:Engineer\r\nX-MS-MANAGER;N:Mia Manager\r\nX-MS-ASSISTANT;TYPE=N: Sam\r\n"
                              "X-MS-SPOUSE;N:Pat\r\nX-MS-CHILD;N:Kim\r\nX-MS-CHILD;N:Lou\r\n"
                              "X-MS-INTERESTS:golf,chess\r\n"));
  EXPECT_EQ(str(c, tag::Nickname), "Al, Bert");
  EXPECT_EQ(str(c, tag::CompanyName), "Contoso, Ltd.");
  EXPECT_EQ(str(c, tag::DepartmentName), "Sales; EMEA");
  EXPECT_EQ(str(c, tag::Title), "Boss");
  EXPECT_EQ(str(c, tag::Profession), "Engineer");
  EXPECT_EQ(str(c, tag::ManagerName), "Mia Manager");
  EXPECT_EQ(str(c, tag::Assistant), "Sam");
  EXPECT_EQ(str(c, tag::SpouseName), "Pat");
  EXPECT_EQ(get<std::vector<std::u16string>>(c, tag::ChildrensNames),
            (std::vector<std::u16string>{u"Kim", u"Lou"}));
  EXPECT_EQ(str(c, tag::Hobbies), "golf,chess");
}

TEST(Convert, TelephoneKindsAndRepeats) {
  const auto c = convert(card("2.1",
                              "TEL;WORK;VOICE:w1\r\nTEL;WORK:w2\r\nTEL;HOME:h1\r\nTEL;HOME;VOICE:h2\r\n"
                              "TEL;CELL;VOICE:m\r\nTEL;CAR:car\r\nTEL;PAGER:pg\r\nTEL;ISDN:isdn\r\n"
                              "TEL;HOME;FAX:hf\r\nTEL;WORK;FAX:wf\r\nTEL;FAX:pf\r\nTEL;PREF:pr\r\n"
                              "TEL:other\r\nTEL;VOICE:other2\r\nTEL;PCS:dropped\r\n"
                              "X-MS-TEL;TYPE=ASSISTANT:as\r\nX-MS-TEL;TYPE=CALLBACK:cb\r\n"
                              "X-MS-TEL;TYPE=COMPANY:co\r\nX-MS-TEL;TYPE=RADIO:ra\r\nX-MS-TEL;TYPE=TTYTDD:tt\r\n"
                              "EMAIL;TLX:tx\r\n"));
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "w1");
  EXPECT_EQ(str(c, tag::Business2TelephoneNumber), "w2");
  EXPECT_EQ(str(c, tag::HomeTelephoneNumber), "h1");
  EXPECT_EQ(str(c, tag::Home2TelephoneNumber), "h2");
  EXPECT_EQ(str(c, tag::MobileTelephoneNumber), "m");
  EXPECT_EQ(str(c, tag::CarTelephoneNumber), "car");
  EXPECT_EQ(str(c, tag::PagerTelephoneNumber), "pg");
  EXPECT_EQ(str(c, tag::IsdnNumber), "isdn");
  EXPECT_EQ(str(c, tag::HomeFaxNumber), "hf");
  EXPECT_EQ(str(c, tag::BusinessFaxNumber), "wf");
  EXPECT_EQ(str(c, tag::PrimaryFaxNumber), "pf");
  EXPECT_EQ(str(c, tag::PrimaryTelephoneNumber), "pr");
  EXPECT_EQ(str(c, tag::OtherTelephoneNumber), "other");
  EXPECT_EQ(str(c, tag::AssistantTelephoneNumber), "as");
  EXPECT_EQ(str(c, tag::CallbackTelephoneNumber), "cb");
  EXPECT_EQ(str(c, tag::CompanyMainTelephoneNumber), "co");
  EXPECT_EQ(str(c, tag::RadioTelephoneNumber), "ra");
  EXPECT_EQ(str(c, tag::TelecommunicationsDeviceForDeafTelephoneNumber), "tt");
  EXPECT_EQ(str(c, tag::TelexNumber), "tx");
}

TEST(Convert, ThirdHomeNumberGoesToOtherRatherThanBeingLost) {
  const auto c = convert(card("3.0", "TEL;TYPE=home:1\r\nTEL;TYPE=home:2\r\nTEL;TYPE=home:3\r\n"));
  EXPECT_EQ(str(c, tag::OtherTelephoneNumber), "3");
}

TEST(Convert, TelUrisAndAppleLabels) {
  const auto c = convert(card("4.0",
                              "TEL;VALUE=uri;TYPE=work:tel:+1-555-0100;ext=12\r\n"
                              "TEL;TYPE=textphone:tel:+1-555-0199\r\n"
                              "item1.TEL:555 0123\r\nitem1.X-ABLabel:Assistant\r\n"));
  EXPECT_EQ(str(c, tag::BusinessTelephoneNumber), "+1-555-0100 x12");
  EXPECT_EQ(str(c, tag::TelecommunicationsDeviceForDeafTelephoneNumber), "+1-555-0199");
  EXPECT_EQ(str(c, tag::AssistantTelephoneNumber), "555 0123");
}

TEST(Convert, EmailSlotsWithDerivedProperties) {
  const auto c = convert(card("3.0",
                              "FN:Jane Doe\r\nEMAIL;TYPE=INTERNET,pref:jane@contoso.com\r\n"
                              "EMAIL:  \r\nEMAIL;TYPE=work:mailto:j2@x.org\r\nEMAIL;TYPE=IM:jd@im.example\r\n"
                              "EMAIL;TYPE=x400:j3@x.org\r\nEMAIL:j4@x.org\r\nTEL;TYPE=work,fax:+1 555\r\n"));
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress)), "jane@contoso.com");
  EXPECT_EQ(str(c, addr(lid::Email1AddressType)), "SMTP");
  EXPECT_EQ(str(c, addr(lid::Email1DisplayName)), "Jane Doe (jane@contoso.com)");
  EXPECT_EQ(str(c, addr(lid::Email1OriginalDisplayName)), "jane@contoso.com");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress + 0x10)), "j2@x.org");
  EXPECT_EQ(str(c, addr(lid::Email1EmailAddress + 0x20)), "j3@x.org");
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "jd@im.example");
  const auto entryId = get<std::vector<std::uint8_t>>(c, addr(lid::Email1OriginalEntryId));
  ASSERT_TRUE(entryId);
  EXPECT_EQ(*entryId, oneOffEntryId(u"Jane Doe (jane@contoso.com)", u"SMTP", u"jane@contoso.com"));
  // Three e-mail slots and the business fax.
  EXPECT_EQ(get<std::vector<std::int32_t>>(c, addr(lid::AddressBookProviderEmailList)),
            (std::vector<std::int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::AddressBookProviderArrayType)), 0x0F);
  EXPECT_EQ(str(c, addr(lid::Fax1AddressType)), "FAX");
  EXPECT_EQ(str(c, addr(lid::Fax1EmailAddress)), "Jane Doe@+1 555");
  EXPECT_EQ(str(c, addr(lid::Fax1OriginalDisplayName)), "Jane Doe");
}

TEST(Convert, NoEmailNoProviderArrays) {
  const auto c = convert(card("3.0", "FN:x\r\n"));
  EXPECT_EQ(c.find(addr(lid::AddressBookProviderEmailList)), nullptr);
  EXPECT_EQ(c.find(addr(lid::AddressBookProviderArrayType)), nullptr);
}

TEST(Convert, OneOffEntryIdLayout) {
  const auto id = oneOffEntryId(u"A", u"SMTP", u"a@b");
  const std::vector<std::uint8_t> expected = {
      0, 0, 0, 0, 0x81, 0x2B, 0x1F, 0xA4, 0xBE, 0xA3, 0x10, 0x19, 0x9D, 0x6E, 0x00, 0xDD, 0x01, 0x0F, 0x54, 0x02,
      0, 0, 0x01, 0x80, 'A', 0, 0, 0, 'S', 0, 'M', 0, 'T', 0, 'P', 0, 0, 0, 'a', 0, '@', 0, 'b', 0, 0, 0};
  EXPECT_EQ(id, expected);
}

TEST(Convert, AddressGroupsAndMailingAddress) {
  const auto c = convert(card("2.1",
                              "ADR;HOME:;;12 Oak Rd;Springfield;IL;62701;USA\r\n"
                              "ADR;WORK;PREF:PO 7;Suite 5;1 Main St.;Redmond;WA;98052;USA\r\n"
                              "ADR;POSTAL:;;3 Elm;Paris;;75001;France\r\n"
                              "ADR;HOME:;;ignored;;;;\r\n"
                              "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:ignored=0D=0Atoo\r\n"));
  EXPECT_EQ(str(c, tag::HomeAddressStreet), "12 Oak Rd");
  EXPECT_EQ(str(c, tag::HomeAddressCity), "Springfield");
  EXPECT_EQ(str(c, tag::HomeAddressStateOrProvince), "IL");
  EXPECT_EQ(str(c, tag::HomeAddressPostalCode), "62701");
  EXPECT_EQ(str(c, tag::HomeAddressCountry), "USA");
  EXPECT_EQ(str(c, addr(lid::HomeAddress)), "12 Oak Rd\r\nSpringfield, IL  62701\r\nUSA");
  EXPECT_EQ(str(c, addr(lid::WorkAddressStreet)), "1 Main St.\r\nSuite 5");
  EXPECT_EQ(str(c, addr(lid::WorkAddressPostOfficeBox)), "PO 7");
  EXPECT_EQ(str(c, addr(lid::WorkAddressCity)), "Redmond");
  EXPECT_EQ(str(c, addr(lid::WorkAddressState)), "WA");
  EXPECT_EQ(str(c, addr(lid::WorkAddressPostalCode)), "98052");
  EXPECT_EQ(str(c, addr(lid::WorkAddressCountry)), "USA");
  EXPECT_EQ(str(c, tag::OtherAddressStreet), "3 Elm");
  EXPECT_EQ(str(c, tag::OtherAddressCity), "Paris");
  EXPECT_EQ(str(c, addr(lid::OtherAddress)), "3 Elm\r\nParis, 75001\r\nFrance");
  // PREF picks the work address as the mailing address.
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 2);
  EXPECT_EQ(str(c, tag::StreetAddress), "1 Main St.\r\nSuite 5");
  EXPECT_EQ(str(c, tag::Locality), "Redmond");
  EXPECT_EQ(str(c, tag::StateOrProvince), "WA");
  EXPECT_EQ(str(c, tag::PostalCode), "98052");
  EXPECT_EQ(str(c, tag::Country), "USA");
  EXPECT_EQ(str(c, tag::PostOfficeBox), "PO 7");
  EXPECT_EQ(str(c, tag::PostalAddress), str(c, addr(lid::WorkAddress)));
}

TEST(Convert, MailingAddressChoice) {
  // The Outlook extension wins over PREF.
  auto c = convert(card("2.1", "ADR;HOME:;;h;;;;\r\nADR;WORK;PREF:;;w;;;;\r\nX-MS-OL-DEFAULT-POSTAL-ADDRESS:1\r\n"));
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 1);
  EXPECT_EQ(str(c, tag::StreetAddress), "h");
  // 0 means none: the mailing copy must then be absent.
  c = convert(card("2.1", "ADR;HOME:;;h;;;;\r\nX-MS-OL-DEFAULT-POSTAL-ADDRESS:0\r\n"));
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 0);
  EXPECT_EQ(c.find(std::uint16_t{tag::StreetAddress}), nullptr);
  EXPECT_EQ(c.find(std::uint16_t{tag::PostalAddress}), nullptr);
  // No choice at all: the first address of the card.
  c = convert(card("3.0", "ADR;TYPE=work:;;w;;;;\r\nADR;TYPE=home:;;h;;;;\r\n"));
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 2);
  // Pointing at a missing group selects nothing.
  c = convert(card("2.1", "ADR;HOME:;;h;;;;\r\nX-MS-OL-DEFAULT-POSTAL-ADDRESS:3\r\n"));
  EXPECT_EQ(get<std::int32_t>(c, addr(lid::PostalAddressId)), 0);
}

TEST(Convert, AppleAddressLabelAndCountryCode) {
  const auto c = convert(card("3.0", "item2.ADR;type=WORK:;;1 Infinite Loop;Cupertino;CA;95014;United States\r\n"
                                     "item2.X-ABADR:us\r\n"));
  EXPECT_EQ(str(c, addr(lid::WorkAddressCountryCode)), "US");
  EXPECT_EQ(str(c, addr(lid::AddressCountryCode)), "US");
}

TEST(Convert, Dates) {
  const auto c = convert(card("3.0", "BDAY:1980-05-31\r\nX-MS-ANNIVERSARY:20050618\r\n"));
  EXPECT_EQ(get<FileTime>(c, tag::Birthday), fileTimeOf(1980, 5, 31));
  EXPECT_EQ(get<FileTime>(c, addr(lid::BirthdayLocal)), fileTimeOf(1980, 5, 31));
  EXPECT_EQ(get<FileTime>(c, tag::WeddingAnniversary), fileTimeOf(2005, 6, 18));
  EXPECT_EQ(get<FileTime>(c, addr(lid::WeddingAnniversaryLocal)), fileTimeOf(2005, 6, 18));
  // Apple anniversaries come as labelled X-ABDATE.
  const auto apple = convert(card("3.0", "item1.X-ABDATE:2001-02-03\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\n"));
  EXPECT_EQ(get<FileTime>(apple, tag::WeddingAnniversary), fileTimeOf(2001, 2, 3));
  // Text birthdays are not dates.
  EXPECT_EQ(convert(card("4.0", "BDAY;VALUE=text:circa 1800\r\n")).find(std::uint16_t{tag::Birthday}), nullptr);
}

TEST(Convert, DateForms) {
  EXPECT_EQ(fileTimeOf(1970, 1, 1).ticks, 116444736000000000LL);
  EXPECT_EQ(fileTimeOf(1601, 1, 1).ticks, 0);
  EXPECT_EQ(parseDate(u"19800531"), fileTimeOf(1980, 5, 31));
  EXPECT_EQ(parseDate(u"1980-05-31T23:30:00-05:00"), fileTimeOf(1980, 5, 31));
  EXPECT_EQ(parseDate(u"19800531T000000Z"), fileTimeOf(1980, 5, 31));
  EXPECT_EQ(parseDate(u"--0531"), fileTimeOf(kNoYear, 5, 31));
  EXPECT_EQ(parseDate(u"--05-31"), fileTimeOf(kNoYear, 5, 31));
  EXPECT_EQ(parseDate(u"2000-02-29"), fileTimeOf(2000, 2, 29));
  for (auto bad : {u"1900-02-29", u"1980-13-01", u"1980-00-10", u"1980", u"yesterday", u"1980-05-31x", u""})
    EXPECT_FALSE(parseDate(bad)) << utf8(bad);
}

TEST(Convert, WebPagesImCategoriesNoteSensitivityGender) {
  const auto c = convert(card("3.0",
                              "URL:http://first\r\nURL:http://second\r\nURL:http://third\r\n"
                              "IMPP:xmpp:jane@jabber.example\r\nCATEGORIES:VIP,Research\r\n"
                              "CATEGORIES:vip, ,Friends\r\nNOTE:line1\\nline2\r\nNOTE:more\r\n"
                              "CLASS:PRIVATE\r\nX-WAB-GENDER:1\r\n"));
  EXPECT_EQ(str(c, tag::PersonalHomePage), "http://first");
  EXPECT_EQ(str(c, tag::BusinessHomePage), "http://second");
  EXPECT_EQ(str(c, addr(lid::InstantMessagingAddress)), "jane@jabber.example");
  EXPECT_EQ(get<std::vector<std::u16string>>(c, NamedString{PS_PUBLIC_STRINGS, u"Keywords"}),
            (std::vector<std::u16string>{u"VIP", u"Research", u"Friends"}));
  EXPECT_EQ(str(c, tag::Body), "line1\r\nline2\r\nmore");
  EXPECT_EQ(get<std::int32_t>(c, tag::Sensitivity), 2);
  EXPECT_EQ(get<bool>(c, NamedId{PSETID_Common, lid::Private}), true);
  EXPECT_EQ(get<std::int16_t>(c, tag::Gender), 1);

  const auto typed = convert(card("4.0", "URL;TYPE=work:http://w\r\nURL;TYPE=home:http://h\r\nGENDER:M;\r\n"
                                         "CLASS:CONFIDENTIAL\r\n"));
  EXPECT_EQ(str(typed, tag::BusinessHomePage), "http://w");
  EXPECT_EQ(str(typed, tag::PersonalHomePage), "http://h");
  EXPECT_EQ(get<std::int16_t>(typed, tag::Gender), 2);
  EXPECT_EQ(get<std::int32_t>(typed, tag::Sensitivity), 3);
  EXPECT_EQ(get<std::int32_t>(convert(card("3.0", "FN:x\r\n")), tag::Sensitivity), 0);
}

TEST(Convert, PhotoBecomesTheContactPictureAttachment) {
  const auto c = convert(card("3.0",
                              "LOGO;ENCODING=b;TYPE=PNG:iVBORw0KGgo=\r\n"
                              "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\nPHOTO;ENCODING=b:iVBORw0KGgo=\r\n"));
  ASSERT_EQ(c.attachments.size(), 1u);
  EXPECT_EQ(get<bool>(c, addr(lid::HasPicture)), true);
  ContactItem att;
  att.properties = c.attachments[0].properties;
  EXPECT_EQ(get<std::vector<std::uint8_t>>(att, tag::AttachDataBinary),
            (std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}));
  EXPECT_EQ(get<std::int32_t>(att, tag::AttachMethod), 1);
  EXPECT_EQ(get<bool>(att, tag::AttachmentContactPhoto), true);
  // As Outlook makes it: shown, but the contact says its only attachment is
  // the photo, so lists show no paper clip.
  EXPECT_EQ(get<bool>(att, tag::AttachmentHidden), false);
  EXPECT_EQ(get<bool>(c, NamedId{PSETID_Common, lid::SmartNoAttach}), true);
  EXPECT_EQ(str(att, tag::AttachLongFilename), "ContactPicture.jpg");
  EXPECT_EQ(str(att, tag::AttachFilename), "");
  EXPECT_EQ(str(att, tag::AttachExtension), ".jpg");
  EXPECT_EQ(att.find(std::uint16_t{tag::AttachMimeTag}), nullptr);
  EXPECT_EQ(get<std::int32_t>(att, tag::RenderingPosition), -1);
  EXPECT_EQ(get<FileTime>(att, tag::ExceptionStartTime), fileTimeOf(4501, 1, 1));
  // A metafile of the size its header states.
  const auto rendering = get<std::vector<std::uint8_t>>(att, tag::AttachRendering);
  ASSERT_TRUE(rendering && rendering->size() > 18);
  EXPECT_EQ((*rendering)[0], 1);
  EXPECT_EQ(2u * ((*rendering)[6] | (*rendering)[7] << 8 | (*rendering)[8] << 16), rendering->size());

  const auto remote = convert(card("3.0", "PHOTO;VALUE=uri:https://x/p.jpg\r\n"));
  EXPECT_TRUE(remote.attachments.empty());
  EXPECT_EQ(remote.find(addr(lid::HasPicture)), nullptr);
}

TEST(Convert, CertificatesRelatedAndPhoneticNames) {
  const auto c = convert(card("4.0",
                              "KEY:data:application/pkix-cert;base64,MIIB\r\nKEY;TYPE=PGP:data:,abc\r\n"
                              "RELATED;TYPE=spouse;VALUE=text:Pat\r\nRELATED;TYPE=child:urn:uuid:1234\r\n"
                              "X-PHONETIC-FIRST-NAME:Jen\r\nX-PHONETIC-LAST-NAME:Doh\r\n"));
  const auto certs = get<std::vector<std::vector<std::uint8_t>>>(c, addr(lid::UserX509Certificate));
  ASSERT_TRUE(certs);
  EXPECT_EQ(certs->size(), 1u);
  EXPECT_EQ(str(c, tag::SpouseName), "Pat");
  EXPECT_EQ(c.find(std::uint16_t{tag::ChildrensNames}), nullptr);
  EXPECT_EQ(str(c, addr(lid::YomiFirstName)), "Jen");
  EXPECT_EQ(str(c, addr(lid::YomiLastName)), "Doh");
}

TEST(Convert, EveryKeyAppearsOnce) {
  const auto c = convert(card("3.0", "FN:A\r\nFN:B\r\nN:X;Y;;;\r\nN:Z;W;;;\r\nTITLE:t1\r\nTITLE:t2\r\n"
                                     "BDAY:2000-01-01\r\nBDAY:2001-01-01\r\nORG:o1\r\nORG:o2\r\n"));
  for (std::size_t i = 0; i < c.properties.size(); ++i)
    for (std::size_t j = i + 1; j < c.properties.size(); ++j)
      EXPECT_FALSE(c.properties[i].key == c.properties[j].key) << i << " " << j;
  EXPECT_EQ(str(c, tag::DisplayName), "A");
  EXPECT_EQ(str(c, tag::Surname), "X");
  EXPECT_EQ(str(c, tag::Title), "t1");
  EXPECT_EQ(str(c, tag::CompanyName), "o1");
}

}  // namespace
}  // namespace vcard::test

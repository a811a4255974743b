// Round trip: each sample imported into a PST through the in-process session,
// read back by readpst's vCard export, and compared field by field.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "automation/in_process.h"
#include "helpers.h"

namespace vcard::test {
namespace {

using quillonet::automation::InProcessComponents;
using quillonet::automation::Profile;

const char* const kSamples[] = {
    "outlook-2.1-export.vcf", "apple-3.0-contacts.vcf",   "google-3.0-export.vcf",
    "rfc6350-4.0-data-uris.vcf", "android-2.1-quoted-printable.vcf", "evolution-3.0.vcf",
    "kde-3.0-kaddressbook.vcf",  "nokia-2.1-windows-1251-cr.vcf",    "windows-utf16le-bom.vcf",
};

std::string lf(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

std::string text(const CardProperty* p) { return p ? lf(utf8(p->text())) : "<absent>"; }

std::vector<std::string> components(const CardProperty& p) {
  std::vector<std::string> out;
  for (const auto& c : p.components(u",")) out.push_back(lf(utf8(c)));
  out.resize(std::max<std::size_t>(out.size(), 7));
  return out;
}

// readpst's TEL type list -> the property it was written from.
std::uint16_t phoneTag(const CardProperty& tel) {
  std::string types;
  for (std::string_view t : tel.typeValues()) types += (types.empty() ? "" : ",") + std::string(t);
  static const std::pair<const char*, std::uint16_t> kTypes[] = {
      {"WORK,FAX", tag::BusinessFaxNumber}, {"CAR,VOICE", tag::CarTelephoneNumber},
      {"HOME,FAX", tag::HomeFaxNumber},     {"ISDN", tag::IsdnNumber},
      {"CELL,VOICE", tag::MobileTelephoneNumber}, {"MSG", tag::OtherTelephoneNumber},
      {"PAGER", tag::PagerTelephoneNumber}, {"FAX,PREF", tag::PrimaryFaxNumber},
      {"PHONE,PREF", tag::PrimaryTelephoneNumber}, {"PCS", tag::RadioTelephoneNumber},
      {"BBS", tag::TelexNumber}};
  for (const auto& [list, id] : kTypes)
    if (types == list) return id;
  return 0;  // work,voice and home,voice come twice; checked by value below
}

// The sample as one card: a contact takes one, so a sample of several gives
// its first, cut off where the second begins (as the import's splitter would).
std::filesystem::path firstCard(const char* name, const QString& dir) {
  const std::filesystem::path path = std::filesystem::path(QUILLONET_TEST_DATA) / name;
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t second = bytes.find("BEGIN:VCARD", bytes.find("BEGIN:VCARD") + 1);
  if (second == std::string::npos) return path;
  const std::filesystem::path cut = std::filesystem::path(dir.toStdString()) / name;
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, second);
  return cut;
}

class RoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    if (qEnvironmentVariableIsSet("KEEP_ROUNDTRIP")) {  // to look at readpst's output by hand
      dir_.setAutoRemove(false);
      std::printf("kept %s\n", qPrintable(dir_.path()));
    }
    const QString pst = dir_.filePath("samples.pst");
    {
      Profile profile;
      InProcessComponents components{profile};
      auto session = components.CreateRDOSession();
      session->Logon();
      auto store = session->Stores()->AddPSTStore(pst.toStdU16String(), 1, u"Samples");
      auto folder = store->IPMRootFolder()->Folders()->Add(u"Cards", 10);
      for (const char* name : kSamples) {
        auto item = folder->Items()->Add(2);
        item->Import(firstCard(name, dir_.path()).u16string(), 6);
        item->Save();
      }
      store->Remove();
      session->Logoff();
    }
    QDir(dir_.path()).mkdir("out");
    QProcess readpst;
    readpst.start("readpst", {"-j", "0", "-t", "c", "-cv", "-o", dir_.filePath("out"), pst});
    ASSERT_TRUE(readpst.waitForFinished(120000));
    ASSERT_EQ(readpst.exitCode(), 0) << readpst.readAllStandardError().toStdString();
    QDirIterator it(dir_.filePath("out"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      std::ifstream in(it.next().toStdString(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      for (Card& card : parse(bytes)) readBack_.push_back(std::move(card));
    }
  }

  // The card readpst wrote for a contact: the one with the same N.
  const Card* cardFor(const ContactItem& c) const {
    const std::string n = str(c, tag::Surname) + ";" + str(c, tag::GivenName);
    for (const Card& card : readBack_) {
      const CardProperty* p = card.find("N");
      if (!p) continue;
      const auto parts = components(*p);
      if (parts[0] + ";" + parts[1] == n) return &card;
    }
    return nullptr;
  }

  QTemporaryDir dir_;
  std::vector<Card> readBack_;
};

std::string orEmpty(const std::string& s) { return s == "<absent>" ? "" : lf(s); }

TEST_F(RoundTrip, ReadpstSeesTheSameFields) {
  EXPECT_EQ(readBack_.size(), std::size(kSamples));
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const ContactItem c = importFile(firstCard(name, dir_.path()));
    const Card* card = cardFor(c);
    ASSERT_NE(card, nullptr);
    // Names: FN is readpst's view of the file-as name.
    EXPECT_EQ(text(card->find("FN")), orEmpty(str(c, addr(lid::FileUnder))));
    const auto n = components(*card->find("N"));
    EXPECT_EQ(n[2], orEmpty(str(c, tag::MiddleName)));
    EXPECT_EQ(n[3], orEmpty(str(c, tag::DisplayNamePrefix)));
    EXPECT_EQ(n[4], orEmpty(str(c, tag::Generation)));
    EXPECT_EQ(text(card->find("TITLE")), str(c, tag::Title));
    EXPECT_EQ(text(card->find("ORG")), str(c, tag::CompanyName));
    // readpst writes the assistant as an AGENT card that it never closes.
    const ContactItem back = toContact(*card);
    EXPECT_EQ(str(back, tag::Assistant), str(c, tag::Assistant));
    EXPECT_EQ(str(back, tag::AssistantTelephoneNumber), str(c, tag::AssistantTelephoneNumber));
    EXPECT_EQ(str(back, tag::Body), str(c, tag::Body));

    std::vector<std::string> emails, expectedEmails;
    for (const CardProperty& p : card->properties)
      if (p.name == "EMAIL") emails.push_back(lf(utf8(p.text())));
    for (std::uint32_t slot = 0; slot < 3; ++slot)
      if (auto e = str(c, addr(lid::Email1EmailAddress + 0x10 * slot)); e != "<absent>") expectedEmails.push_back(e);
    EXPECT_EQ(emails, expectedEmails);

    for (const CardProperty& p : card->properties) {
      if (p.name != "TEL") continue;
      const std::string number = lf(utf8(p.text()));
      if (const std::uint16_t id = phoneTag(p)) {
        EXPECT_EQ(number, str(c, id)) << "TEL types of " << number;
      } else {
        const bool work = p.hasType("WORK");
        const std::uint16_t a = work ? tag::BusinessTelephoneNumber : tag::HomeTelephoneNumber;
        const std::uint16_t b = work ? tag::Business2TelephoneNumber : tag::Home2TelephoneNumber;
        EXPECT_TRUE(number == str(c, a) || number == str(c, b)) << number;
      }
    }

    // Home and other addresses by their own tags; "work" shows the mailing copy.
    for (const CardProperty& p : card->properties) {
      if (p.name != "ADR") continue;
      const auto adr = components(p);
      if (p.hasType("HOME")) {
        EXPECT_EQ(adr[2], orEmpty(str(c, tag::HomeAddressStreet)));
        EXPECT_EQ(adr[3], orEmpty(str(c, tag::HomeAddressCity)));
        EXPECT_EQ(adr[5], orEmpty(str(c, tag::HomeAddressPostalCode)));
        EXPECT_EQ(adr[6], orEmpty(str(c, tag::HomeAddressCountry)));
      } else if (p.hasType("WORK")) {
        EXPECT_EQ(adr[2], orEmpty(str(c, tag::StreetAddress)));
        EXPECT_EQ(adr[3], orEmpty(str(c, tag::Locality)));
        EXPECT_EQ(adr[4], orEmpty(str(c, tag::StateOrProvince)));
        EXPECT_EQ(adr[6], orEmpty(str(c, tag::Country)));
        if (get<std::int32_t>(c, addr(lid::PostalAddressId)) == 2) {
          EXPECT_EQ(adr[3], orEmpty(str(c, addr(lid::WorkAddressCity))));
        }
      } else if (p.hasType("POSTAL")) {
        EXPECT_EQ(adr[2], orEmpty(str(c, tag::OtherAddressStreet)));
        EXPECT_EQ(adr[3], orEmpty(str(c, tag::OtherAddressCity)));
      }
    }
  }
}

}  // namespace
}  // namespace vcard::test

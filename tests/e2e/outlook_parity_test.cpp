// Our contact against Outlook's own: the contact Outlook 2013 wrote into the
// sedatools sample and the vCard carrying the same data, imported by
// quillonet-import, compared property by property. Every property Outlook
// stores that we do not, or store otherwise, is listed below with its reason;
// anything else must be equal, and we store nothing Outlook leaves out.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace quillonet::testing {
namespace {

enum class Differs { Absent, Value };
struct Deliberate {
  const char* key;  // as contact_properties.py writes it
  Differs how;
  const char* why;
};

constexpr const char* kSender = "the Outlook user who saved the item; an import has no user";
constexpr const char* kSubmit = "a flag for sending mail; a contact is never sent";
constexpr const char* kEmpty = "an empty field of Outlook's form; we store no empty text";
constexpr const char* kTime = "the time the item was saved";
constexpr const char* kFrench = "composed in the order of the French Outlook that wrote it (postal code  town  province); "
                                "we compose the US order (town, state  postal code)";

constexpr Deliberate kMessage[] = {
    {"0002000B", Differs::Absent, kSubmit},  // PidTagAlternateRecipientAllowed
    {"0023000B", Differs::Absent, kSubmit},  // PidTagOriginatorDeliveryReportRequested
    {"00260003", Differs::Absent, kSubmit},  // PidTagPriority
    {"0029000B", Differs::Absent, kSubmit},  // PidTagReadReceiptRequested
    {"0E01000B", Differs::Absent, kSubmit},  // PidTagDeleteAfterSubmit
    {"003B0102", Differs::Absent, kSender},  // PidTagSentRepresentingSearchKey
    {"00410102", Differs::Absent, kSender},  // PidTagSentRepresentingEntryId
    {"0042001F", Differs::Absent, kSender},  // PidTagSentRepresentingName
    {"0064001F", Differs::Absent, kSender},  // PidTagSentRepresentingAddressType
    {"0065001F", Differs::Absent, kSender},  // PidTagSentRepresentingEmailAddress
    {"0C190102", Differs::Absent, kSender},  // PidTagSenderEntryId
    {"0C1A001F", Differs::Absent, kSender},  // PidTagSenderName
    {"0C1D0102", Differs::Absent, kSender},  // PidTagSenderSearchKey
    {"0C1E001F", Differs::Absent, kSender},  // PidTagSenderAddressType
    {"0C1F001F", Differs::Absent, kSender},  // PidTagSenderEmailAddress
    {"00710102", Differs::Absent, "a mail thread's index (time and random GUID); a contact is in no thread"},
    {"10090102", Differs::Absent, "the RTF body; Outlook builds it from PidTagBody when it opens the contact"},
    {"6619001F", Differs::Absent, "an undocumented copy of the body"},
    {"PSETID_Common:85BF:0040", Differs::Absent, "when a follow-up flag's text was set; the contact has no flag"},
    {"PSETID_Address:8063:000B", Differs::Absent, "undocumented, false"},
    {"3A00001F", Differs::Absent, kEmpty},  // PidTagAccount
    {"3A0B001F", Differs::Absent, kEmpty},  // PidTagKeyword
    {"3A0C001F", Differs::Absent, kEmpty},  // PidTagLanguage
    {"3A0D001F", Differs::Absent, kEmpty},  // PidTagLocation
    {"3A18001F", Differs::Absent, kEmpty},  // PidTagDepartmentName
    {"PSETID_Address:800E:001F", Differs::Absent, kEmpty},  // ReferredBy
    {"PSETID_Address:8010:001F", Differs::Absent, kEmpty},  // Department
    {"PSETID_Address:80B3:001F", Differs::Absent, kEmpty},  // Fax1EmailAddress: "Fax number" has no digit to dial
    {"PSETID_Address:80B4:001F", Differs::Absent, kEmpty},  // Fax1OriginalDisplayName
    {"PSETID_Address:80C3:001F", Differs::Absent, kEmpty},  // Fax2EmailAddress
    {"PSETID_Address:80C4:001F", Differs::Absent, kEmpty},  // Fax2OriginalDisplayName
    {"PSETID_Address:80D3:001F", Differs::Absent, kEmpty},  // Fax3EmailAddress
    {"PSETID_Address:80D4:001F", Differs::Absent, kEmpty},  // Fax3OriginalDisplayName
    {"PSETID_Address:80DA:001F", Differs::Absent, kEmpty},  // HomeAddressCountryCode
    {"PSETID_Address:80DB:001F", Differs::Absent, kEmpty},  // WorkAddressCountryCode
    {"PSETID_Address:80DC:001F", Differs::Absent, kEmpty},  // OtherAddressCountryCode
    {"PSETID_Address:80DD:001F", Differs::Absent, kEmpty},  // AddressCountryCode
    {"00390040", Differs::Value, kTime},  // PidTagClientSubmitTime
    {"0E060040", Differs::Value, kTime},  // PidTagMessageDeliveryTime
    {"30070040", Differs::Value, kTime},  // PidTagCreationTime
    {"30080040", Differs::Value, kTime},  // PidTagLastModificationTime
    {"300B0102", Differs::Value, "the search key, random per item"},
    {"0E080003", Differs::Value, "the message size, which counts the RTF body and Outlook's rendering"},
    {"3FDE0003", Differs::Value, "Outlook writes Latin-1 (28591), which cannot carry every character of a vCard; we write UTF-8"},
    {"3FF10003", Differs::Value, "the locale of the French Outlook that wrote it (1036); ours is English (1033)"},
    {"3A15001F", Differs::Value, kFrench},                  // PidTagPostalAddress
    {"PSETID_Address:801A:001F", Differs::Value, kFrench},  // HomeAddress
    {"PSETID_Address:801B:001F", Differs::Value, kFrench},  // WorkAddress
    {"PSETID_Address:801C:001F", Differs::Value, kFrench},  // OtherAddress
    {"PSETID_Address:8007:1003", Differs::Value,
     "ContactItemData: the fields the user last picked on Outlook's form (other address, e-mail 3, business 2); "
     "we show the mailing address, e-mail 1 and the form's default phones"},
};

constexpr Deliberate kPhoto[] = {
    {"0E200003", Differs::Value, "the attachment size, which counts the rendering"},
    {"30070040", Differs::Value, kTime},
    {"30080040", Differs::Value, kTime},
    {"37090102", Differs::Value, "the rendering: Windows' own icon for .jpg files there, our picture icon here"},
};

std::map<std::string, std::string> Object(const QJsonObject& o) {
  std::map<std::string, std::string> out;
  for (auto it = o.begin(); it != o.end(); ++it) out[it.key().toStdString()] = it.value().toString().toStdString();
  return out;
}

struct ContactProperties {
  std::map<std::string, std::string> message;
  std::vector<std::map<std::string, std::string>> attachments;
};

ContactProperties Read(const QString& pst, const QString& displayName) {
  QProcess process;
  process.start(QStringLiteral("python3"), {QStringLiteral(QUILLONET_TESTS_DIR "/e2e/contact_properties.py"), pst, displayName});
  ContactProperties read;
  if (!process.waitForFinished(300000) || process.exitCode() != 0) {
    ADD_FAILURE() << "contact_properties.py " << pst.toStdString() << ": "
                  << process.readAllStandardError().toStdString();
    return read;
  }
  const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
  read.message = Object(json.value("properties").toObject());
  for (const auto& a : json.value("attachments").toArray()) read.attachments.push_back(Object(a.toObject()));
  return read;
}

template <std::size_t N>
void Compare(const char* what, const std::map<std::string, std::string>& outlook,
             const std::map<std::string, std::string>& ours, const Deliberate (&deliberate)[N]) {
  std::map<std::string, const Deliberate*> listed;
  for (const Deliberate& d : deliberate) listed[d.key] = &d;
  for (const auto& [key, value] : outlook) {
    SCOPED_TRACE(std::string(what) + " " + key);
    const auto mine = ours.find(key);
    const auto reason = listed.find(key);
    const bool have = mine != ours.end();
    if (reason == listed.end()) {
      EXPECT_TRUE(have) << "Outlook stores it, we do not";
      if (have) {
        EXPECT_EQ(mine->second, value) << "Outlook's value differs";
      }
    } else if (reason->second->how == Differs::Absent) {
      EXPECT_FALSE(have) << "listed as left out (" << reason->second->why << ") but we store it";
    } else if (!have) {
      ADD_FAILURE() << "listed with another value (" << reason->second->why << ") but we lack it";
    } else {
      EXPECT_NE(mine->second, value) << "listed as different (" << reason->second->why << ") but equal";
    }
  }
  for (const auto& [key, value] : ours) EXPECT_TRUE(outlook.count(key)) << what << " " << key << ": Outlook leaves it out";
  for (const Deliberate& d : deliberate) EXPECT_TRUE(outlook.count(d.key)) << what << " " << d.key << " listed, but Outlook has none";
}

TEST(OutlookParity, Outlook2013ContactFromItsVCard) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir().mkpath(dir.path() + "/out"));
  const QString card = dir.path() + "/sedatools-contact.vcf";
  ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLONET_TESTS_DIR "/e2e/data/sedatools-contact.vcf"), card));
  QProcess import;
  import.start(QStringLiteral(QUILLONET_BIN_DIR "/quillonet-import"), {"--dest", dir.path() + "/out", card});
  ASSERT_TRUE(import.waitForFinished(300000));
  ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
  const QStringList lines = QString::fromLocal8Bit(import.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());

  const QString name = QStringLiteral("Title First Name Second Name Last Name Suffix");
  const ContactProperties ours = Read(lines.last(), name);
  const ContactProperties outlook = Read(QStringLiteral(QUILLONET_TESTS_DIR "/data/sedatools-contact-calendar.pst.xz"), name);
  ASSERT_FALSE(outlook.message.empty());
  Compare("contact", outlook.message, ours.message, kMessage);
  ASSERT_EQ(ours.attachments.size(), 1u);
  ASSERT_EQ(outlook.attachments.size(), 1u);
  Compare("photo attachment", outlook.attachments[0], ours.attachments[0], kPhoto);
}

}  // namespace
}  // namespace quillonet::testing

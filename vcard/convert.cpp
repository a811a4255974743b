// vCard -> contact item: one small rule per vCard property, then the derived properties.
#include <algorithm>
#include <array>
#include <functional>
#include <unordered_map>

#include "vcard/contact.h"
#include "vcard/date.h"
#include "vcard/entry_id.h"
#include "vcard/mapi.h"
#include "vcard/rendering.h"
#include "vcard/text.h"

namespace vcard {

const Guid PSETID_Address = {0x04, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                             0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const Guid PSETID_Common = {0x08, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const Guid PS_PUBLIC_STRINGS = {0x29, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

const Value* ContactItem::find(const PropertyKey& key) const {
  for (const Property& p : properties)
    if (p.key == key) return &p.value;
  return nullptr;
}

namespace {

using detail::equalsNoCase;

// Every property a contact can get, in the order they are emitted. Kind:
// T fixed tag, A PSETID_Address LID, C PSETID_Common LID, K the "Keywords" name.
// Address groups (Home, Work, Other, Mailing) and e-mail / fax slots are
// contiguous runs so that a group or slot number selects a member.
#define VCARD_SLOTS(X)                                                                  \
  X(MessageClass, T, tag::MessageClass)                                                 \
  X(Subject, T, tag::Subject)                                                           \
  X(ConversationTopic, T, tag::ConversationTopic)                                       \
  X(DisplayName, T, tag::DisplayName)                                                   \
  X(MessageFlags, T, tag::MessageFlags)                                                 \
  X(IconIndex, T, tag::IconIndex)                                                       \
  X(MessageLocaleId, T, tag::MessageLocaleId)                                           \
  X(Sensitivity, T, tag::Sensitivity)                                                   \
  X(Private, C, lid::Private)                                                           \
  X(ReminderSet, C, lid::ReminderSet)                                                   \
  X(ReminderDelta, C, lid::ReminderDelta)                                               \
  X(AgingDontAgeMe, C, lid::AgingDontAgeMe)                                             \
  X(SideEffects, C, lid::SideEffects)                                                   \
  X(TaskMode, C, lid::TaskMode)                                                         \
  X(CurrentVersion, C, lid::CurrentVersion)                                             \
  X(CurrentVersionName, C, lid::CurrentVersionName)                                     \
  X(SmartNoAttach, C, lid::SmartNoAttach)                                               \
  X(ContactCharacterSet, A, lid::ContactCharacterSet)                                   \
  X(ContactItemData, A, lid::ContactItemData)                                           \
  X(AutoLog, A, lid::AutoLog)                                                           \
  X(Body, T, tag::Body)                                                                 \
  X(InternetCodepage, T, tag::InternetCodepage)                                         \
  X(Surname, T, tag::Surname)                                                           \
  X(GivenName, T, tag::GivenName)                                                       \
  X(MiddleName, T, tag::MiddleName)                                                     \
  X(DisplayNamePrefix, T, tag::DisplayNamePrefix)                                       \
  X(Generation, T, tag::Generation)                                                     \
  X(Initials, T, tag::Initials)                                                         \
  X(Nickname, T, tag::Nickname)                                                         \
  X(FileUnder, A, lid::FileUnder)                                                       \
  X(FileUnderId, A, lid::FileUnderId)                                                   \
  X(FileUnderList, A, lid::FileUnderList)                                               \
  X(YomiFirstName, A, lid::YomiFirstName)                                               \
  X(YomiLastName, A, lid::YomiLastName)                                                 \
  X(YomiCompanyName, A, lid::YomiCompanyName)                                           \
  X(CompanyName, T, tag::CompanyName)                                                   \
  X(DepartmentName, T, tag::DepartmentName)                                             \
  X(Title, T, tag::Title)                                                               \
  X(Profession, T, tag::Profession)                                                     \
  X(OfficeLocation, T, tag::OfficeLocation)                                             \
  X(ManagerName, T, tag::ManagerName)                                                   \
  X(Assistant, T, tag::Assistant)                                                       \
  X(SpouseName, T, tag::SpouseName)                                                     \
  X(ChildrensNames, T, tag::ChildrensNames)                                             \
  X(Hobbies, T, tag::Hobbies)                                                           \
  X(Language, T, tag::Language)                                                         \
  X(Gender, T, tag::Gender)                                                             \
  X(Birthday, T, tag::Birthday)                                                         \
  X(BirthdayLocal, A, lid::BirthdayLocal)                                               \
  X(WeddingAnniversary, T, tag::WeddingAnniversary)                                     \
  X(WeddingAnniversaryLocal, A, lid::WeddingAnniversaryLocal)                           \
  X(PersonalHomePage, T, tag::PersonalHomePage)                                         \
  X(BusinessHomePage, T, tag::BusinessHomePage)                                         \
  X(Html, A, lid::Html)                                                                 \
  X(InstantMessagingAddress, A, lid::InstantMessagingAddress)                           \
  X(Keywords, K, 0)                                                                     \
  X(UserX509Certificate, A, lid::UserX509Certificate)                                   \
  X(HomeTelephoneNumber, T, tag::HomeTelephoneNumber)                                   \
  X(Home2TelephoneNumber, T, tag::Home2TelephoneNumber)                                 \
  X(BusinessTelephoneNumber, T, tag::BusinessTelephoneNumber)                           \
  X(Business2TelephoneNumber, T, tag::Business2TelephoneNumber)                         \
  X(MobileTelephoneNumber, T, tag::MobileTelephoneNumber)                               \
  X(PagerTelephoneNumber, T, tag::PagerTelephoneNumber)                                 \
  X(CarTelephoneNumber, T, tag::CarTelephoneNumber)                                     \
  X(IsdnNumber, T, tag::IsdnNumber)                                                     \
  X(PrimaryTelephoneNumber, T, tag::PrimaryTelephoneNumber)                             \
  X(OtherTelephoneNumber, T, tag::OtherTelephoneNumber)                                 \
  X(AssistantTelephoneNumber, T, tag::AssistantTelephoneNumber)                         \
  X(CallbackTelephoneNumber, T, tag::CallbackTelephoneNumber)                           \
  X(CompanyMainTelephoneNumber, T, tag::CompanyMainTelephoneNumber)                     \
  X(RadioTelephoneNumber, T, tag::RadioTelephoneNumber)                                 \
  X(TtyTddPhoneNumber, T, tag::TelecommunicationsDeviceForDeafTelephoneNumber)          \
  X(TelexNumber, T, tag::TelexNumber)                                                   \
  X(BusinessFaxNumber, T, tag::BusinessFaxNumber)                                       \
  X(HomeFaxNumber, T, tag::HomeFaxNumber)                                               \
  X(PrimaryFaxNumber, T, tag::PrimaryFaxNumber)                                         \
  X(HomePoBox, T, tag::HomeAddressPostOfficeBox)                                        \
  X(HomeStreet, T, tag::HomeAddressStreet)                                              \
  X(HomeCity, T, tag::HomeAddressCity)                                                  \
  X(HomeState, T, tag::HomeAddressStateOrProvince)                                      \
  X(HomePostalCode, T, tag::HomeAddressPostalCode)                                      \
  X(HomeCountry, T, tag::HomeAddressCountry)                                            \
  X(HomeCountryCode, A, lid::HomeAddressCountryCode)                                    \
  X(HomeAddress, A, lid::HomeAddress)                                                   \
  X(WorkPoBox, A, lid::WorkAddressPostOfficeBox)                                        \
  X(WorkStreet, A, lid::WorkAddressStreet)                                              \
  X(WorkCity, A, lid::WorkAddressCity)                                                  \
  X(WorkState, A, lid::WorkAddressState)                                                \
  X(WorkPostalCode, A, lid::WorkAddressPostalCode)                                      \
  X(WorkCountry, A, lid::WorkAddressCountry)                                            \
  X(WorkCountryCode, A, lid::WorkAddressCountryCode)                                    \
  X(WorkAddress, A, lid::WorkAddress)                                                   \
  X(OtherPoBox, T, tag::OtherAddressPostOfficeBox)                                      \
  X(OtherStreet, T, tag::OtherAddressStreet)                                            \
  X(OtherCity, T, tag::OtherAddressCity)                                                \
  X(OtherState, T, tag::OtherAddressStateOrProvince)                                    \
  X(OtherPostalCode, T, tag::OtherAddressPostalCode)                                    \
  X(OtherCountry, T, tag::OtherAddressCountry)                                          \
  X(OtherCountryCode, A, lid::OtherAddressCountryCode)                                  \
  X(OtherAddress, A, lid::OtherAddress)                                                 \
  X(MailingPoBox, T, tag::PostOfficeBox)                                                \
  X(MailingStreet, T, tag::StreetAddress)                                               \
  X(MailingCity, T, tag::Locality)                                                      \
  X(MailingState, T, tag::StateOrProvince)                                              \
  X(MailingPostalCode, T, tag::PostalCode)                                              \
  X(MailingCountry, T, tag::Country)                                                    \
  X(MailingCountryCode, A, lid::AddressCountryCode)                                     \
  X(MailingAddress, T, tag::PostalAddress)                                              \
  X(PostalAddressId, A, lid::PostalAddressId)                                           \
  X(Email1DisplayName, A, lid::Email1DisplayName)                                       \
  X(Email1AddressType, A, lid::Email1AddressType)                                       \
  X(Email1EmailAddress, A, lid::Email1EmailAddress)                                     \
  X(Email1OriginalDisplayName, A, lid::Email1OriginalDisplayName)                       \
  X(Email1OriginalEntryId, A, lid::Email1OriginalEntryId)                               \
  X(Email2DisplayName, A, lid::Email1DisplayName + 0x10)                                \
  X(Email2AddressType, A, lid::Email1AddressType + 0x10)                                \
  X(Email2EmailAddress, A, lid::Email1EmailAddress + 0x10)                              \
  X(Email2OriginalDisplayName, A, lid::Email1OriginalDisplayName + 0x10)                \
  X(Email2OriginalEntryId, A, lid::Email1OriginalEntryId + 0x10)                        \
  X(Email3DisplayName, A, lid::Email1DisplayName + 0x20)                                \
  X(Email3AddressType, A, lid::Email1AddressType + 0x20)                                \
  X(Email3EmailAddress, A, lid::Email1EmailAddress + 0x20)                              \
  X(Email3OriginalDisplayName, A, lid::Email1OriginalDisplayName + 0x20)                \
  X(Email3OriginalEntryId, A, lid::Email1OriginalEntryId + 0x20)                        \
  X(Fax1AddressType, A, lid::Fax1AddressType)                                           \
  X(Fax1EmailAddress, A, lid::Fax1EmailAddress)                                         \
  X(Fax1OriginalDisplayName, A, lid::Fax1OriginalDisplayName)                           \
  X(Fax1OriginalEntryId, A, lid::Fax1OriginalEntryId)                                   \
  X(Fax2AddressType, A, lid::Fax1AddressType + 0x10)                                    \
  X(Fax2EmailAddress, A, lid::Fax1EmailAddress + 0x10)                                  \
  X(Fax2OriginalDisplayName, A, lid::Fax1OriginalDisplayName + 0x10)                    \
  X(Fax2OriginalEntryId, A, lid::Fax1OriginalEntryId + 0x10)                            \
  X(Fax3AddressType, A, lid::Fax1AddressType + 0x20)                                    \
  X(Fax3EmailAddress, A, lid::Fax1EmailAddress + 0x20)                                  \
  X(Fax3OriginalDisplayName, A, lid::Fax1OriginalDisplayName + 0x20)                    \
  X(Fax3OriginalEntryId, A, lid::Fax1OriginalEntryId + 0x20)                            \
  X(AddressBookProviderEmailList, A, lid::AddressBookProviderEmailList)                 \
  X(AddressBookProviderArrayType, A, lid::AddressBookProviderArrayType)                 \
  X(EmailDisplayNameList, A, lid::EmailDisplayNameList)                                 \
  X(HasPicture, A, lid::HasPicture)

enum class S : int {
#define VCARD_SLOT_ENUM(name, kind, id) name,
  VCARD_SLOTS(VCARD_SLOT_ENUM)
#undef VCARD_SLOT_ENUM
  Count
};

enum class KeyKind : std::uint8_t { T, A, C, K };
struct SlotKey {
  KeyKind kind;
  std::uint32_t id;
};
constexpr SlotKey kSlotKeys[] = {
#define VCARD_SLOT_KEY(name, kind, id) {KeyKind::kind, id},
    VCARD_SLOTS(VCARD_SLOT_KEY)
#undef VCARD_SLOT_KEY
};
static_assert(std::size(kSlotKeys) == static_cast<std::size_t>(S::Count));

PropertyKey keyOf(S slot) {
  const SlotKey& k = kSlotKeys[static_cast<int>(slot)];
  switch (k.kind) {
    case KeyKind::T: return static_cast<std::uint16_t>(k.id);
    case KeyKind::A: return NamedId{PSETID_Address, k.id};
    case KeyKind::C: return NamedId{PSETID_Common, k.id};
    case KeyKind::K: break;
  }
  return NamedString{PS_PUBLIC_STRINGS, u"Keywords"};
}

S operator+(S s, int n) { return static_cast<S>(static_cast<int>(s) + n); }

enum Group { Home = 0, Work = 1, Other = 2, Mailing = 3 };
constexpr S kGroupFirst[] = {S::HomePoBox, S::WorkPoBox, S::OtherPoBox, S::MailingPoBox};
enum AddressPart { PoBox, Street, City, State, PostalCode, Country, CountryCode, FullText };
constexpr int kAddressParts = 8;
constexpr int kEmailStride = 5;
constexpr int kFaxStride = 4;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string trimmed(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return std::u16string(s);
}

// The same, in place, for a string that is ours anyway.
std::u16string trimmed(std::u16string&& s) {
  std::size_t end = s.size();
  while (end > 0 && isBlank(s[end - 1])) --end;
  s.resize(end);
  std::size_t begin = 0;
  while (begin < s.size() && isBlank(s[begin])) ++begin;
  if (begin > 0) s.erase(0, begin);
  return std::move(s);
}
std::u16string trimmed(const std::u16string& s) { return trimmed(std::u16string_view(s)); }

std::u16string join(const std::vector<std::u16string>& parts, std::u16string_view sep) {
  std::u16string out;
  for (const auto& p : parts) {
    if (p.empty()) continue;
    if (!out.empty()) out += sep;
    out += p;
  }
  return out;
}

// Line breaks of any kind become CRLF, the form Outlook shows as multi-line.
std::u16string crlf(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      out += u"\r\n";
    } else if (s[i] == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::u16string lowerAscii(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return out;
}

bool equalsNoCase16(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Apple's "_$!<Spouse>!$_" style labels and free labels, as lower case words.
std::u16string normalLabel(std::u16string_view label) {
  if (label.size() >= 8 && label.substr(0, 4) == u"_$!<" && label.substr(label.size() - 4) == u">!$_")
    label = label.substr(4, label.size() - 8);
  return lowerAscii(trimmed(label));
}

// Everything after a "scheme:" prefix (mailto:, tel:, xmpp:...).
std::u16string withoutScheme(std::u16string_view value, std::initializer_list<std::u16string_view> schemes) {
  for (std::u16string_view scheme : schemes)
    if (value.size() >= scheme.size() && equalsNoCase16(value.substr(0, scheme.size()), scheme))
      return trimmed(value.substr(scheme.size()));
  return trimmed(value);
}

// The name without a leading title ("Dr. Jane Doe" -> "Jane Doe"), as
// Outlook composes the subject and the e-mail display names.
std::u16string withoutTitle(std::u16string_view name, std::u16string_view title) {
  if (title.empty() || name.size() <= title.size() || name.substr(0, title.size()) != title ||
      !isBlank(name[title.size()]))
    return std::u16string(name);
  return trimmed(name.substr(title.size()));
}

// Outlook's initials: the first letter of every word of the names, each with
// a dot; a hyphenated word keeps its hyphen ("Jean-Luc" -> "J.-L."), words
// in parentheses count as one.
std::u16string initialsOf(std::initializer_list<const std::u16string*> names) {
  std::u16string out;
  for (const std::u16string* name : names) {
    std::u16string_view rest = *name;
    for (;;) {
      while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
      if (rest.empty()) break;
      std::size_t end = 0;
      if (rest.front() == u'(') {
        end = rest.find(u')');
        end = end == std::u16string_view::npos ? rest.size() : end + 1;
      } else {
        while (end < rest.size() && !isBlank(rest[end])) ++end;
      }
      std::u16string_view word = rest.substr(0, end);
      rest.remove_prefix(end);
      bool first = true;
      while (!word.empty()) {
        const std::size_t hyphen = word.find(u'-');
        std::u16string_view part = word.substr(0, hyphen);
        word = hyphen == std::u16string_view::npos ? std::u16string_view() : word.substr(hyphen + 1);
        while (!part.empty() && std::u16string_view(u"([{\"'").find(part.front()) != std::u16string_view::npos)
          part.remove_prefix(1);
        if (part.empty()) continue;
        if (!first) out += u'-';
        out += part.front();
        out += u'.';
        first = false;
      }
    }
  }
  return out;
}

class Converter {
 public:
  Converter(const Card& card, bool ownsCard) : card_(card), ownsCard_(ownsCard) {
    for (const CardProperty& p : card.properties) {
      if (p.group.empty()) continue;
      if (p.name == "X-ABLABEL") labels_.emplace(detail::upper(p.group), normalLabel(p.text()));
      if (p.name == "X-ABADR") countryCodes_.emplace(detail::upper(p.group), trimmed(p.text()));
    }
  }

  ContactItem run();
  // True when the card is a temporary of toContact(Card&&): its data may be moved.
  bool ownsCard() const { return ownsCard_; }

  // --- state the rules fill ---
  bool has(S s) const { return slots_[static_cast<int>(s)].has_value(); }
  void set(S s, Value v) { slots_[static_cast<int>(s)] = std::move(v); }
  bool setText(S s, std::u16string text) {
    if (text.empty()) return false;
    set(s, std::move(text));
    return true;
  }
  bool setFirst(S s, std::u16string text) {  // the first non-empty value wins
    if (has(s) || text.empty()) return false;
    set(s, std::move(text));
    return true;
  }
  template <typename T>
  const T* valueOf(S s) const {
    const auto& v = slots_[static_cast<int>(s)];
    return v ? std::get_if<T>(&*v) : nullptr;
  }
  const std::u16string* textOf(S s) const { return valueOf<std::u16string>(s); }

  std::u16string label(const CardProperty& p) const {
    if (p.group.empty()) return {};
    auto it = labels_.find(detail::upper(p.group));
    return it == labels_.end() ? std::u16string() : it->second;
  }
  std::u16string countryCode(const CardProperty& p) const {
    if (p.group.empty()) return {};
    auto it = countryCodes_.find(detail::upper(p.group));
    return it == countryCodes_.end() ? std::u16string() : it->second;
  }

  struct Address {
    std::array<std::u16string, kAddressParts> parts;
    int pref = 0;
    int order = 0;
  };
  std::array<std::optional<Address>, 3> addresses;
  int addressCount = 0;
  std::optional<int> defaultPostal;

  std::optional<std::u16string> fn;
  int fnRank = 0;
  bool haveN = false;
  std::vector<std::u16string> nicknames, categories, children, notes, emails;
  std::vector<std::vector<std::uint8_t>> certificates;
  std::vector<std::uint8_t> photo;
  bool showAsCompany = false;
  std::optional<std::u16string> fileAs;

  void setDate(S utc, S local, const CardProperty& p) {
    if (has(utc) || p.hasParam("VALUE", "TEXT")) return;
    if (auto t = parseDate(p.text())) {
      set(utc, *t);  // midnight UTC, so readers that print UTC show the same day
      set(local, *t);
    }
  }

 private:
  void finishNames();
  void finishAddresses();
  void finishEmails();
  void finishFormFields();
  std::optional<Attachment> photoAttachment();

  const Card& card_;
  bool ownsCard_;
  std::unordered_map<std::string, std::u16string> labels_, countryCodes_;
  std::array<std::optional<Value>, static_cast<int>(S::Count)> slots_;
};

// --- telephone numbers ---

// The slot a TEL goes to by its TYPE values (and Apple label), or nullopt to drop it.
std::optional<S> phoneSlot(const Converter& c, const CardProperty& p) {
  const std::u16string label = c.label(p);
  static const std::pair<std::u16string_view, S> kLabels[] = {
      {u"assistant", S::AssistantTelephoneNumber}, {u"callback", S::CallbackTelephoneNumber},
      {u"company main", S::CompanyMainTelephoneNumber}, {u"company", S::CompanyMainTelephoneNumber},
      {u"radio", S::RadioTelephoneNumber}, {u"tty/tdd", S::TtyTddPhoneNumber},
      {u"ttytdd", S::TtyTddPhoneNumber}, {u"tty", S::TtyTddPhoneNumber}, {u"telex", S::TelexNumber},
      {u"car", S::CarTelephoneNumber}, {u"isdn", S::IsdnNumber}, {u"pager", S::PagerTelephoneNumber},
  };
  for (const auto& [name, slot] : kLabels)
    if (label == name) return slot;

  bool fax = false, cell = false, pager = false, car = false, isdn = false, pcs = false, home = false,
       work = false, pref = false, textphone = false, main = false;
  for (std::string_view t : p.typeValues()) {
    if (t == "FAX") fax = true;
    else if (t == "CELL" || t == "TEXT" || t == "IPHONE" || t == "MOBILE") cell = true;
    else if (t == "PAGER") pager = true;
    else if (t == "CAR") car = true;
    else if (t == "ISDN") isdn = true;
    else if (t == "PCS") pcs = true;
    else if (t == "HOME") home = true;
    else if (t == "WORK") work = true;
    else if (t == "PREF") pref = true;
    else if (t == "TEXTPHONE") textphone = true;
    else if (t == "MAIN") main = true;
  }
  if (p.prefRank() > 0) pref = true;
  if (fax) return home ? S::HomeFaxNumber : work ? S::BusinessFaxNumber : S::PrimaryFaxNumber;
  if (cell) return S::MobileTelephoneNumber;
  if (pager) return S::PagerTelephoneNumber;
  if (car) return S::CarTelephoneNumber;
  if (isdn) return S::IsdnNumber;
  if (textphone) return S::TtyTddPhoneNumber;
  if (pcs && !home && !work) return std::nullopt;
  if (home) return c.has(S::HomeTelephoneNumber) ? S::Home2TelephoneNumber : S::HomeTelephoneNumber;
  if (work) return c.has(S::BusinessTelephoneNumber) ? S::Business2TelephoneNumber : S::BusinessTelephoneNumber;
  if (pref || main) return S::PrimaryTelephoneNumber;
  return S::OtherTelephoneNumber;
}

// "tel:+1-555-0100;ext=12" -> "+1-555-0100 x12"; plain text stays as it is.
std::u16string phoneNumber(const CardProperty& p) {
  std::u16string v = trimmed(p.text());
  if (v.size() < 4 || !equalsNoCase16(v.substr(0, 4), u"tel:")) return v;
  v = v.substr(4);
  std::u16string ext;
  const std::size_t semi = v.find(u';');
  if (semi != std::u16string::npos) {
    std::u16string_view rest = std::u16string_view(v).substr(semi);
    const std::size_t e = lowerAscii(rest).find(u";ext=");
    if (e != std::u16string::npos) {
      std::u16string_view x = rest.substr(e + 5);
      ext = std::u16string(x.substr(0, x.find(u';')));
    }
    v.resize(semi);
  }
  return ext.empty() ? v : v + u" x" + ext;
}

void onTel(Converter& c, const CardProperty& p) {
  std::u16string number = phoneNumber(p);
  if (number.empty()) return;
  const auto slot = phoneSlot(c, p);
  if (!slot) return;
  // A number whose slot is taken goes to Other phone rather than being lost.
  if (!c.setFirst(*slot, number) && *slot != S::OtherTelephoneNumber)
    c.setFirst(S::OtherTelephoneNumber, std::move(number));
}

void onMsTel(Converter& c, const CardProperty& p) {
  static const std::pair<std::string_view, S> kTypes[] = {
      {"ASSISTANT", S::AssistantTelephoneNumber}, {"CALLBACK", S::CallbackTelephoneNumber},
      {"COMPANY", S::CompanyMainTelephoneNumber}, {"RADIO", S::RadioTelephoneNumber},
      {"TTYTDD", S::TtyTddPhoneNumber}};
  for (std::string_view t : p.typeValues())
    for (const auto& [type, slot] : kTypes)
      if (t == type) {
        c.setFirst(slot, phoneNumber(p));
        return;
      }
  onTel(c, p);
}

// --- names ---

void onFn(Converter& c, const CardProperty& p) {
  std::u16string name = trimmed(p.text());
  if (name.empty()) return;
  const int rank = p.prefRank();
  const bool better = !c.fn || (rank > 0 && (c.fnRank == 0 || rank < c.fnRank));
  if (better) {
    c.fn = std::move(name);
    c.fnRank = rank;
  }
}

void onN(Converter& c, const CardProperty& p) {
  if (c.haveN) return;
  c.haveN = true;
  const auto parts = p.structured();
  constexpr S kParts[] = {S::Surname, S::GivenName, S::MiddleName, S::DisplayNamePrefix, S::Generation};
  for (std::size_t i = 0; i < std::size(kParts) && i < parts.size(); ++i) {
    std::vector<std::u16string> pieces;
    for (const auto& piece : parts[i]) pieces.push_back(trimmed(piece));
    c.setText(kParts[i], join(pieces, u" "));
  }
}

void onNickname(Converter& c, const CardProperty& p) {
  for (const auto& v : p.list())
    if (auto t = trimmed(v); !t.empty()) c.nicknames.push_back(std::move(t));
}

// A name-valued property such as X-MS-MANAGER;N: or X-EVOLUTION-SPOUSE.
template <S slot>
void onText(Converter& c, const CardProperty& p) {
  c.setFirst(slot, trimmed(p.text()));
}

void onChild(Converter& c, const CardProperty& p) {
  if (auto t = trimmed(p.text()); !t.empty()) c.children.push_back(std::move(t));
}

// Apple related names and 4.0 RELATED: by label or TYPE.
void relatedName(Converter& c, std::u16string_view kind, std::u16string name) {
  if (name.empty()) return;
  if (kind == u"spouse" || kind == u"partner" || kind == u"wife" || kind == u"husband")
    c.setFirst(S::SpouseName, std::move(name));
  else if (kind == u"manager")
    c.setFirst(S::ManagerName, std::move(name));
  else if (kind == u"assistant")
    c.setFirst(S::Assistant, std::move(name));
  else if (kind == u"child" || kind == u"son" || kind == u"daughter")
    c.children.push_back(std::move(name));
}

void onAppleRelated(Converter& c, const CardProperty& p) { relatedName(c, c.label(p), trimmed(p.text())); }

void onRelated(Converter& c, const CardProperty& p) {
  std::u16string value = trimmed(p.text());
  // Only plain text names; URIs (urn:uuid:, http:) point at other cards.
  if (!p.hasParam("VALUE", "TEXT") && value.find(u':') != std::u16string::npos) return;
  for (std::string_view t : p.typeValues()) {
    std::u16string kind;
    for (char ch : t) kind.push_back(static_cast<char16_t>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch));
    relatedName(c, kind, value);
  }
}

void onFileAs(Converter& c, const CardProperty& p) {
  if (auto t = trimmed(p.text()); !t.empty() && !c.fileAs) c.fileAs = std::move(t);
}

// --- organization ---

void onOrg(Converter& c, const CardProperty& p) {
  if (c.has(S::CompanyName) || c.has(S::DepartmentName)) return;
  // Unescaped commas in a unit are kept as written.
  std::vector<std::u16string> units = p.components(u",");
  for (auto& unit : units) unit = trimmed(std::move(unit));
  if (!units.empty()) c.setText(S::CompanyName, units[0]);
  if (units.size() > 1) c.setText(S::DepartmentName, join({units.begin() + 1, units.end()}, u"; "));
}

// --- addresses ---

void onAdr(Converter& c, const CardProperty& p) {
  int group = Other;
  for (std::string_view t : p.typeValues()) {
    if (t == "HOME") { group = Home; break; }
    if (t == "WORK") { group = Work; break; }
  }
  if (group == Other) {
    const std::u16string label = c.label(p);
    if (label == u"home") group = Home;
    else if (label == u"work") group = Work;
  }
  if (c.addresses[group]) return;  // the first address of a kind wins

  std::vector<std::u16string> components = p.components(u",");
  auto part = [&](std::size_t i) {
    return i < components.size() ? crlf(trimmed(std::move(components[i]))) : std::u16string();
  };
  Converter::Address a;
  a.parts[PoBox] = part(0);
  a.parts[Street] = part(2);
  if (auto extended = part(1); !extended.empty())
    a.parts[Street] = a.parts[Street].empty() ? extended : a.parts[Street] + u"\r\n" + extended;
  a.parts[City] = part(3);
  a.parts[State] = part(4);
  a.parts[PostalCode] = part(5);
  a.parts[Country] = part(6);
  std::u16string code = c.countryCode(p);
  for (char16_t& ch : code)
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
  a.parts[CountryCode] = code;
  bool empty = true;
  for (const auto& s : a.parts) empty = empty && s.empty();
  if (empty) return;
  a.pref = p.prefRank();
  a.order = c.addressCount++;
  c.addresses[group] = std::move(a);
}

void onDefaultPostal(Converter& c, const CardProperty& p) {
  const std::u16string v = trimmed(p.text());
  c.defaultPostal = v.size() == 1 && v[0] >= u'0' && v[0] <= u'3' ? v[0] - u'0' : 0;
}

// --- e-mail, IM, web ---

void onEmail(Converter& c, const CardProperty& p) {
  std::u16string address = withoutScheme(p.text(), {u"mailto:"});
  if (address.empty()) return;
  for (std::string_view t : p.typeValues()) {
    if (t == "INTERNET") break;
    if (t == "IM") { c.setFirst(S::InstantMessagingAddress, std::move(address)); return; }
    if (t == "TLX") { c.setFirst(S::TelexNumber, std::move(address)); return; }
  }
  c.emails.push_back(std::move(address));
}

void onIm(Converter& c, const CardProperty& p) {
  c.setFirst(S::InstantMessagingAddress,
             withoutScheme(p.text(), {u"xmpp:", u"sip:", u"im:", u"aim:", u"ymsgr:", u"msnim:", u"skype:",
                                      u"icq:", u"gg:", u"mailto:"}));
}

void onUrl(Converter& c, const CardProperty& p) {
  std::u16string url = trimmed(p.text());
  if (url.empty()) return;
  const std::u16string label = c.label(p);
  if (p.hasType("WORK") || label == u"work") {
    c.setFirst(S::BusinessHomePage, std::move(url));
  } else if (p.hasType("HOME") || label == u"home" || label == u"homepage") {
    c.setFirst(S::PersonalHomePage, std::move(url));
  } else if (!c.setFirst(S::PersonalHomePage, url)) {
    c.setFirst(S::BusinessHomePage, std::move(url));
  }
}

// --- dates ---

void onBday(Converter& c, const CardProperty& p) { c.setDate(S::Birthday, S::BirthdayLocal, p); }
void onAnniversary(Converter& c, const CardProperty& p) {
  c.setDate(S::WeddingAnniversary, S::WeddingAnniversaryLocal, p);
}
void onAppleDate(Converter& c, const CardProperty& p) {
  if (c.label(p) == u"anniversary") onAnniversary(c, p);
}

// --- the rest ---

void onCategories(Converter& c, const CardProperty& p) {
  for (const auto& v : p.list())
    if (auto t = trimmed(v); !t.empty()) c.categories.push_back(std::move(t));
}

void onNote(Converter& c, const CardProperty& p) {
  if (auto t = p.text(); !trimmed(t).empty()) c.notes.push_back(crlf(t));
}

void onClass(Converter& c, const CardProperty& p) {
  const std::u16string v = lowerAscii(trimmed(p.text()));
  if (v == u"private") {
    c.set(S::Sensitivity, std::int32_t{2});
    c.set(S::Private, true);
  } else if (v == u"confidential") {
    c.set(S::Sensitivity, std::int32_t{3});
  }
}

void setGender(Converter& c, std::u16string_view v) {
  const std::u16string g = lowerAscii(trimmed(v));
  std::int16_t value = 0;
  if (g == u"f" || g == u"female" || g == u"1") value = 1;
  else if (g == u"m" || g == u"male" || g == u"2") value = 2;
  if (!c.has(S::Gender)) c.set(S::Gender, value);
}
void onGender(Converter& c, const CardProperty& p) {
  const auto parts = p.structured();  // sex ; identity
  if (!parts.empty() && !parts[0].empty()) setGender(c, parts[0][0]);
}
void onWabGender(Converter& c, const CardProperty& p) { setGender(c, p.text()); }

void onPhoto(Converter& c, const CardProperty& p) {
  if (!c.photo.empty() || !p.binary || p.binary->empty()) return;
  // A photo can be tens of megabytes: move it out of a card we were given to consume.
  if (c.ownsCard())
    c.photo = std::move(*const_cast<CardProperty&>(p).binary);
  else
    c.photo = *p.binary;
}

void onKey(Converter& c, const CardProperty& p) {
  if (!p.binary || p.binary->empty()) return;
  const bool x509 = p.hasType("X509") || p.mediaType == "application/pkix-cert" ||
                    p.mediaType == "application/x-x509-ca-cert" ||
                    (p.typeValues().empty() && p.mediaType.empty() && (*p.binary)[0] == 0x30);
  if (x509) c.certificates.push_back(*p.binary);
}

void onShowAs(Converter& c, const CardProperty& p) {
  if (equalsNoCase16(trimmed(p.text()), u"company")) c.showAsCompany = true;
}

void onLang(Converter& c, const CardProperty& p) { c.setFirst(S::Language, trimmed(p.text())); }

// AGENT: the person who acts for the contact, which Outlook calls the
// assistant (readpst exports the assistant this way too).
void onAgent(Converter& c, const CardProperty& p) {
  if (p.agent.empty()) return;
  const Card& agent = p.agent.front();
  if (const CardProperty* fn = agent.find("FN")) c.setFirst(S::Assistant, trimmed(fn->text()));
  if (const CardProperty* tel = agent.find("TEL")) c.setFirst(S::AssistantTelephoneNumber, phoneNumber(*tel));
}

// Android's X-ANDROID-CUSTOM:vnd.android.cursor.item/<kind>;<data1>;<data2>;...
// carries what its 2.1 export has no property for: nickname, relations, events.
void onAndroidCustom(Converter& c, const CardProperty& p) {
  const std::vector<std::u16string> fields = p.components(u",");
  if (fields.size() < 2) return;
  const std::u16string kind = lowerAscii(trimmed(fields[0]));
  std::u16string data = trimmed(fields[1]);
  const std::u16string type = fields.size() > 2 ? trimmed(fields[2]) : std::u16string();
  if (kind == u"vnd.android.cursor.item/nickname") {
    if (!data.empty()) c.nicknames.push_back(std::move(data));
  } else if (kind == u"vnd.android.cursor.item/relation") {
    // Relation types: 1 assistant, 3 child, 7 manager, 10 partner, 14 spouse.
    static const std::pair<std::u16string_view, std::u16string_view> kTypes[] = {
        {u"1", u"assistant"}, {u"3", u"child"}, {u"7", u"manager"}, {u"10", u"partner"}, {u"14", u"spouse"}};
    for (const auto& [code, relation] : kTypes)
      if (type == code) relatedName(c, relation, std::move(data));
  } else if (kind == u"vnd.android.cursor.item/contact_event" && type == u"1") {  // 1: anniversary
    if (auto t = parseDate(data); t && !c.has(S::WeddingAnniversary)) {
      c.set(S::WeddingAnniversary, *t);
      c.set(S::WeddingAnniversaryLocal, *t);
    }
  }
}

using Rule = void (*)(Converter&, const CardProperty&);

// vCard property name -> rule. Unlisted properties (LABEL, REV, UID, PRODID,
// X-MS-OL-DESIGN, X-MS-CARDPICTURE, ...) have no contact field.
const std::unordered_map<std::string_view, Rule>& rules() {
  static const std::unordered_map<std::string_view, Rule> kRules = {
      {"FN", onFn},
      {"N", onN},
      {"NICKNAME", onNickname},
      {"ORG", onOrg},
      {"TITLE", onText<S::Title>},
      {"ROLE", onText<S::Profession>},
      {"TEL", onTel},
      {"EMAIL", onEmail},
      {"ADR", onAdr},
      {"URL", onUrl},
      {"BDAY", onBday},
      {"ANNIVERSARY", onAnniversary},
      {"CATEGORIES", onCategories},
      {"NOTE", onNote},
      {"CLASS", onClass},
      {"GENDER", onGender},
      {"PHOTO", onPhoto},
      {"KEY", onKey},
      {"IMPP", onIm},
      {"RELATED", onRelated},
      {"LANG", onLang},
      {"X-MS-TEL", onMsTel},
      {"X-MS-IMADDRESS", onIm},
      {"X-MS-MANAGER", onText<S::ManagerName>},
      {"X-MS-ASSISTANT", onText<S::Assistant>},
      {"X-MS-SPOUSE", onText<S::SpouseName>},
      {"X-MS-CHILD", onChild},
      {"X-MS-ANNIVERSARY", onAnniversary},
      {"X-MS-INTERESTS", onText<S::Hobbies>},
      {"X-MS-OL-DEFAULT-POSTAL-ADDRESS", onDefaultPostal},
      {"X-WAB-GENDER", onWabGender},
      {"X-GENDER", onWabGender},
      {"X-ABRELATEDNAMES", onAppleRelated},
      {"X-ABDATE", onAppleDate},
      {"X-ABSHOWAS", onShowAs},
      {"X-PHONETIC-FIRST-NAME", onText<S::YomiFirstName>},
      {"X-PHONETIC-LAST-NAME", onText<S::YomiLastName>},
      {"X-PHONETIC-ORG", onText<S::YomiCompanyName>},
      {"X-EVOLUTION-FILE-AS", onFileAs},
      {"X-EVOLUTION-SPOUSE", onText<S::SpouseName>},
      {"X-EVOLUTION-MANAGER", onText<S::ManagerName>},
      {"X-EVOLUTION-ASSISTANT", onText<S::Assistant>},
      {"X-EVOLUTION-ANNIVERSARY", onAnniversary},
      {"X-ANNIVERSARY", onAnniversary},
      {"X-SPOUSE", onText<S::SpouseName>},
      {"X-MANAGER", onText<S::ManagerName>},
      {"X-ASSISTANT", onText<S::Assistant>},
      {"X-KADDRESSBOOK-X-SPOUSESNAME", onText<S::SpouseName>},
      {"X-KADDRESSBOOK-X-MANAGERSNAME", onText<S::ManagerName>},
      {"X-KADDRESSBOOK-X-ASSISTANTSNAME", onText<S::Assistant>},
      {"X-KADDRESSBOOK-X-PROFESSION", onText<S::Profession>},
      {"X-KADDRESSBOOK-X-OFFICE", onText<S::OfficeLocation>},
      {"X-KADDRESSBOOK-X-ANNIVERSARY", onAnniversary},
      {"X-KADDRESSBOOK-X-IMADDRESS", onIm},
      {"X-AIM", onIm},
      {"X-JABBER", onIm},
      {"X-ICQ", onIm},
      {"X-MSN", onIm},
      {"X-YAHOO", onIm},
      {"X-SKYPE", onIm},
      {"X-SKYPE-USERNAME", onIm},
      {"X-GOOGLE-TALK", onIm},
      {"X-GADUGADU", onIm},
      {"X-ANDROID-CUSTOM", onAndroidCustom},
      {"AGENT", onAgent},
  };
  return kRules;
}

// --- derived properties ---

void Converter::finishNames() {
  static const std::u16string kNone;
  auto text = [&](S s) -> const std::u16string& { const auto* t = textOf(s); return t ? *t : kNone; };
  const std::u16string &surname = text(S::Surname), &given = text(S::GivenName), &middle = text(S::MiddleName);
  const std::u16string& company = text(S::CompanyName);

  // Display name: FN, else the name parts, else company, e-mail, phone.
  std::u16string display = fn.value_or(u"");
  if (display.empty())
    display = join({text(S::DisplayNamePrefix), given, middle, surname, text(S::Generation)}, u" ");
  if (display.empty()) display = company;
  if (display.empty() && !emails.empty()) display = emails.front();
  if (display.empty())
    for (S s : {S::BusinessTelephoneNumber, S::HomeTelephoneNumber, S::MobileTelephoneNumber,
                S::OtherTelephoneNumber, S::PrimaryTelephoneNumber})
      if (display.empty()) display = text(s);
  set(S::DisplayName, display);
  const std::u16string subject = withoutTitle(display, text(S::DisplayNamePrefix));
  set(S::Subject, subject);
  set(S::ConversationTopic, subject);

  if (!nicknames.empty()) setText(S::Nickname, join(nicknames, u", "));
  setText(S::Initials, initialsOf({&given, &middle, &surname}));

  // File as: "Surname, Given Middle" while there is a name.
  const std::u16string right = join({given, middle}, u" ");
  std::u16string fileUnder;
  std::int32_t id;
  if (showAsCompany && !company.empty()) {
    fileUnder = company, id = tag::CompanyName;
  } else if (!surname.empty() || !right.empty()) {
    fileUnder = surname.empty() || right.empty() ? surname + right : surname + u", " + right;
    id = 0x8017;
  } else if (!company.empty()) {
    fileUnder = company, id = tag::CompanyName;
  } else {
    fileUnder = display, id = tag::DisplayName;
  }
  if (fileAs && *fileAs != fileUnder) {
    // A file-as text the card chose itself, which Outlook marks with the id -1.
    set(S::FileUnder, *fileAs);
    set(S::FileUnderId, std::int32_t{-1});
  } else {
    set(S::FileUnder, fileUnder);
    set(S::FileUnderId, id);
  }
}

void Converter::finishAddresses() {
  for (int g = Home; g <= Other; ++g) {
    if (!addresses[g]) continue;
    auto& parts = addresses[g]->parts;
    // Full text in the US form Outlook composes: street, "city, state  zip", country.
    std::u16string cityLine = parts[City];
    if (!parts[City].empty() && (!parts[State].empty() || !parts[PostalCode].empty())) cityLine += u", ";
    cityLine += parts[State];
    if (!parts[State].empty() && !parts[PostalCode].empty()) cityLine += u"  ";
    cityLine += parts[PostalCode];
    parts[FullText] = join({parts[Street], parts[PoBox], cityLine, parts[Country]}, u"\r\n");
    for (int k = 0; k < kAddressParts; ++k) setText(kGroupFirst[g] + k, parts[k]);
  }

  // Mailing address: the card's own choice, else the preferred, else the first.
  int chosen = 0;  // PidLidPostalAddressId: 0 none, 1 home, 2 work, 3 other
  if (defaultPostal) {
    chosen = *defaultPostal;
    if (chosen != 0 && !addresses[chosen - 1]) chosen = 0;
  } else {
    int bestRank = 0, firstOrder = -1;
    for (int g = Home; g <= Other; ++g) {
      if (!addresses[g]) continue;
      const auto& a = *addresses[g];
      if (a.pref > 0 && (bestRank == 0 || a.pref < bestRank)) bestRank = a.pref, chosen = g + 1;
      if (bestRank == 0 && (firstOrder < 0 || a.order < firstOrder)) firstOrder = a.order, chosen = g + 1;
    }
  }
  if (chosen == 0 && addressCount == 0) return;
  set(S::PostalAddressId, std::int32_t{chosen});
  if (chosen == 0) return;
  const auto& parts = addresses[chosen - 1]->parts;
  for (int k = 0; k < kAddressParts; ++k) setText(kGroupFirst[Mailing] + k, parts[k]);
}

void Converter::finishEmails() {
  const std::u16string display = *textOf(S::Subject);
  std::vector<std::int32_t> list;
  std::int32_t bits = 0;
  for (std::size_t n = 0; n < emails.size() && n < 3; ++n) {
    const std::u16string& address = emails[n];
    const S first = S::Email1DisplayName + static_cast<int>(n) * kEmailStride;
    const std::u16string shown =
        display.empty() || display == address ? address : display + u" (" + address + u")";
    set(first, shown);
    set(first + 1, std::u16string(u"SMTP"));
    set(first + 2, address);
    set(first + 3, address);
    set(first + 4, oneOffEntryId(shown, u"SMTP", address));
    list.push_back(static_cast<std::int32_t>(n));
    bits |= 1 << n;
  }
  // Fax numbers are address book entries too: slots 3, 4, 5.
  constexpr S kFaxes[] = {S::BusinessFaxNumber, S::HomeFaxNumber, S::PrimaryFaxNumber};
  for (int n = 0; n < 3; ++n) {
    const S first = S::Fax1AddressType + n * kFaxStride;
    set(first, std::u16string(u"FAX"));  // Outlook's default, with or without a number
    const std::u16string* number = textOf(kFaxes[n]);
    // A fax address needs a number to dial.
    if (!number || std::none_of(number->begin(), number->end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
      continue;
    const std::u16string address = display + u"@" + *number;
    set(first + 1, address);
    set(first + 2, display);
    set(first + 3, oneOffEntryId(display, u"FAX", address));
    list.push_back(3 + n);
    bits |= 0x08 << n;
  }
  if (!list.empty()) {
    set(S::AddressBookProviderEmailList, std::move(list));
    set(S::AddressBookProviderArrayType, bits);
  }
}

std::optional<Attachment> Converter::photoAttachment() {
  if (photo.empty()) return std::nullopt;
  // As Outlook makes it: found by this name whatever the format, an empty
  // short file name, shown (Outlook's lists leave it out by
  // PidLidSmartNoAttach on the contact), and the "no exception" times.
  const std::u16string name = u"ContactPicture.jpg";
  const FileTime never = fileTimeOf(4501, 1, 1);
  Attachment a;
  a.properties = {
      {std::uint16_t{tag::AttachMethod}, std::int32_t{1}},
      {std::uint16_t{tag::AttachDataBinary}, std::move(photo)},
      {std::uint16_t{tag::AttachEncoding}, std::vector<std::uint8_t>()},
      {std::uint16_t{tag::AttachExtension}, std::u16string(u".jpg")},
      {std::uint16_t{tag::AttachFilename}, std::u16string()},
      {std::uint16_t{tag::AttachLongFilename}, name},
      {std::uint16_t{tag::DisplayName}, name},
      {std::uint16_t{tag::AttachRendering}, photoRendering()},
      {std::uint16_t{tag::RenderingPosition}, std::int32_t{-1}},
      {std::uint16_t{tag::AttachFlags}, std::int32_t{0}},
      {std::uint16_t{tag::AttachmentLinkId}, std::int32_t{0}},
      {std::uint16_t{tag::ExceptionStartTime}, never},
      {std::uint16_t{tag::ExceptionEndTime}, never},
      {std::uint16_t{tag::AttachmentFlags}, std::int32_t{0}},
      {std::uint16_t{tag::AttachmentHidden}, false},
      {std::uint16_t{tag::AttachmentContactPhoto}, true},
  };
  return a;
}

// Which address, e-mail and phone fields Outlook's contact form shows
// (PidLidContactItemData): the mailing address, else the first address the
// card has in the form's order (business, home, other), else business;
// e-mail 1; and the form's default phones: business, home, business fax, mobile.
void Converter::finishFormFields() {
  std::int32_t address = 2;  // 1 home, 2 business, 3 other, as PidLidPostalAddressId
  if (const auto* mailing = valueOf<std::int32_t>(S::PostalAddressId); mailing && *mailing != 0) {
    address = *mailing;
  } else {
    for (int g : {Work, Home, Other})
      if (addresses[g]) {
        address = g + 1;
        break;
      }
  }
  set(S::ContactItemData, std::vector<std::int32_t>{address, static_cast<std::int32_t>(lid::Email1DisplayName),
                                                    tag::BusinessTelephoneNumber, tag::HomeTelephoneNumber,
                                                    tag::BusinessFaxNumber, tag::MobileTelephoneNumber});
  // The form's one web page field shows PidLidHtml.
  if (const std::u16string* page = textOf(S::BusinessHomePage) ? textOf(S::BusinessHomePage) : textOf(S::PersonalHomePage))
    set(S::Html, *page);
}

ContactItem Converter::run() {
  set(S::MessageClass, std::u16string(u"IPM.Contact"));
  set(S::MessageFlags, std::int32_t{1});  // read
  set(S::Sensitivity, std::int32_t{0});
  // What Outlook 2013 stores on every contact it makes.
  set(S::IconIndex, std::int32_t{512});  // the contact icon
  set(S::MessageLocaleId, std::int32_t{1033});
  set(S::Private, false);
  set(S::ReminderSet, false);
  set(S::ReminderDelta, std::int32_t{0});
  set(S::AgingDontAgeMe, false);
  set(S::SideEffects, std::int32_t{0x51});  // seOpenToDelete | seOpenToCopy | seOpenToMove
  set(S::TaskMode, std::int32_t{0});
  set(S::CurrentVersion, std::int32_t{154420});
  set(S::CurrentVersionName, std::u16string(u"15.0"));
  set(S::ContactCharacterSet, std::int32_t{256});
  set(S::AutoLog, false);
  set(S::FileUnderList, std::vector<std::int32_t>{0x8017, 0x8037, tag::CompanyName, 0x8019, 0x8018});
  set(S::EmailDisplayNameList, std::vector<std::int32_t>{static_cast<std::int32_t>(lid::Email1DisplayName),
                                                         static_cast<std::int32_t>(lid::Email1DisplayName + 0x10),
                                                         static_cast<std::int32_t>(lid::Email1DisplayName + 0x20)});

  const auto& table = rules();
  for (const CardProperty& p : card_.properties)
    if (auto it = table.find(p.name); it != table.end()) it->second(*this, p);

  finishNames();
  finishAddresses();
  finishEmails();
  finishFormFields();
  if (!categories.empty()) {
    std::vector<std::u16string> unique;
    std::vector<std::u16string> seen;
    for (auto& cat : categories) {
      std::u16string folded = lowerAscii(cat);
      if (std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
      seen.push_back(std::move(folded));
      unique.push_back(std::move(cat));
    }
    set(S::Keywords, std::move(unique));
  }
  if (!children.empty()) set(S::ChildrensNames, children);
  if (!certificates.empty()) set(S::UserX509Certificate, certificates);
  if (!notes.empty()) {
    set(S::Body, join(notes, u"\r\n"));
    set(S::InternetCodepage, std::int32_t{65001});
  }

  ContactItem item;
  if (auto photoAtt = photoAttachment()) {
    set(S::HasPicture, true);
    set(S::SmartNoAttach, true);  // the photo is the only attachment: no paper clip in lists
    item.attachments.push_back(std::move(*photoAtt));
  }
  item.properties.reserve(static_cast<std::size_t>(
      std::count_if(slots_.begin(), slots_.end(), [](const auto& v) { return v.has_value(); })));
  for (int i = 0; i < static_cast<int>(S::Count); ++i)
    if (slots_[i]) item.properties.push_back({keyOf(static_cast<S>(i)), std::move(*slots_[i])});
  return item;
}

}  // namespace

ContactItem toContact(const Card& card) { return Converter(card, false).run(); }
ContactItem toContact(Card&& card) { return Converter(card, true).run(); }

}  // namespace vcard

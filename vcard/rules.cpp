// The rules: one small function per vCard property, filling the converter's
// fields and what the derived properties are made from.
#include "vcard/rules.h"

#include <algorithm>
#include <unordered_map>

#include "vcard/date.h"
#include "vcard/text.h"

namespace vcard {

namespace {

using detail::crlf;
using detail::equalsNoCase;
using detail::join;
using detail::lowerAscii;
using detail::trimmed;
using detail::upperAscii;
using detail::withoutScheme;

// --- telephone numbers ---

// The field a TEL goes to by its TYPE values (and Apple label), or nullopt to drop it.
std::optional<Field> phoneField(const Converter& c, const CardProperty& p) {
  const std::u16string label = c.label(p);
  static const std::pair<std::u16string_view, Field> kLabels[] = {
      {u"assistant", Field::AssistantTelephoneNumber}, {u"callback", Field::CallbackTelephoneNumber},
      {u"company main", Field::CompanyMainTelephoneNumber}, {u"company", Field::CompanyMainTelephoneNumber},
      {u"radio", Field::RadioTelephoneNumber}, {u"tty/tdd", Field::TtyTddPhoneNumber},
      {u"ttytdd", Field::TtyTddPhoneNumber}, {u"tty", Field::TtyTddPhoneNumber}, {u"telex", Field::TelexNumber},
      {u"car", Field::CarTelephoneNumber}, {u"isdn", Field::IsdnNumber}, {u"pager", Field::PagerTelephoneNumber},
  };
  for (const auto& [name, field] : kLabels)
    if (label == name) return field;

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
  if (fax) return home ? Field::HomeFaxNumber : work ? Field::BusinessFaxNumber : Field::PrimaryFaxNumber;
  if (cell) return Field::MobileTelephoneNumber;
  if (pager) return Field::PagerTelephoneNumber;
  if (car) return Field::CarTelephoneNumber;
  if (isdn) return Field::IsdnNumber;
  if (textphone) return Field::TtyTddPhoneNumber;
  if (pcs && !home && !work) return std::nullopt;
  if (home) return c.has(Field::HomeTelephoneNumber) ? Field::Home2TelephoneNumber : Field::HomeTelephoneNumber;
  if (work) return c.has(Field::BusinessTelephoneNumber) ? Field::Business2TelephoneNumber : Field::BusinessTelephoneNumber;
  if (pref || main) return Field::PrimaryTelephoneNumber;
  return Field::OtherTelephoneNumber;
}

// "tel:+1-555-0100;ext=12" -> "+1-555-0100 x12"; plain text stays as it is.
std::u16string phoneNumber(const CardProperty& p) {
  std::u16string v = trimmed(p.text());
  if (v.size() < 4 || !equalsNoCase(v.substr(0, 4), u"tel:")) return v;
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
  const auto field = phoneField(c, p);
  if (!field) return;
  // A number whose field is taken goes to Other phone rather than being lost.
  if (!c.setFirst(*field, number) && *field != Field::OtherTelephoneNumber)
    c.setFirst(Field::OtherTelephoneNumber, std::move(number));
}

void onMsTel(Converter& c, const CardProperty& p) {
  static const std::pair<std::string_view, Field> kTypes[] = {
      {"ASSISTANT", Field::AssistantTelephoneNumber}, {"CALLBACK", Field::CallbackTelephoneNumber},
      {"COMPANY", Field::CompanyMainTelephoneNumber}, {"RADIO", Field::RadioTelephoneNumber},
      {"TTYTDD", Field::TtyTddPhoneNumber}};
  for (std::string_view t : p.typeValues())
    for (const auto& [type, field] : kTypes)
      if (t == type) {
        c.setFirst(field, phoneNumber(p));
        return;
      }
  onTel(c, p);
}

// --- names ---

void onFn(Converter& c, const CardProperty& p) {
  std::u16string name = trimmed(p.text());
  if (name.empty()) return;
  c.offerFormattedName(std::move(name), p.prefRank());
}

void onN(Converter& c, const CardProperty& p) {
  if (!c.takeStructuredName()) return;
  auto parts = p.structured();
  constexpr Field kParts[] = {Field::Surname, Field::GivenName, Field::MiddleName, Field::DisplayNamePrefix, Field::Generation};
  for (std::size_t i = 0; i < std::size(kParts) && i < parts.size(); ++i) {
    if (parts[i].size() == 1) {  // the usual case: nothing to join
      c.setText(kParts[i], trimmed(std::move(parts[i][0])));
      continue;
    }
    std::vector<std::u16string> pieces;
    for (const auto& piece : parts[i]) pieces.push_back(trimmed(piece));
    c.setText(kParts[i], join(pieces, u" "));
  }
}

void onNickname(Converter& c, const CardProperty& p) {
  for (const auto& v : p.list())
    if (auto t = trimmed(v); !t.empty()) c.addNickname(std::move(t));
}

// A name-valued property such as X-MS-MANAGER;N: or X-EVOLUTION-SPOUSE.
template <Field field>
void onText(Converter& c, const CardProperty& p) {
  c.setFirst(field, trimmed(p.text()));
}

void onChild(Converter& c, const CardProperty& p) {
  if (auto t = trimmed(p.text()); !t.empty()) c.addChild(std::move(t));
}

// Apple related names and 4.0 RELATED: by label or TYPE.
void relatedName(Converter& c, std::u16string_view kind, std::u16string name) {
  if (name.empty()) return;
  if (kind == u"spouse" || kind == u"partner" || kind == u"wife" || kind == u"husband")
    c.setFirst(Field::SpouseName, std::move(name));
  else if (kind == u"manager")
    c.setFirst(Field::ManagerName, std::move(name));
  else if (kind == u"assistant")
    c.setFirst(Field::Assistant, std::move(name));
  else if (kind == u"child" || kind == u"son" || kind == u"daughter")
    c.addChild(std::move(name));
}

void onAppleRelated(Converter& c, const CardProperty& p) { relatedName(c, c.label(p), trimmed(p.text())); }

void onRelated(Converter& c, const CardProperty& p) {
  std::u16string name = trimmed(p.text());
  // Only plain text names; URIs (urn:uuid:, http:) point at other cards.
  if (!p.hasParam("VALUE", "TEXT") && name.find(u':') != std::u16string::npos) return;
  for (std::string_view t : p.typeValues()) {
    relatedName(c, lowerAscii(std::u16string(t.begin(), t.end())), name);
  }
}

void onFileAs(Converter& c, const CardProperty& p) {
  if (auto t = trimmed(p.text()); !t.empty()) c.offerFileAs(std::move(t));
}

// --- organization ---

void onOrg(Converter& c, const CardProperty& p) {
  if (c.has(Field::CompanyName) || c.has(Field::DepartmentName)) return;
  // Unescaped commas in a unit are kept as written.
  std::vector<std::u16string> units = p.components(u",");
  for (auto& unit : units) unit = trimmed(std::move(unit));
  if (!units.empty()) c.setText(Field::CompanyName, units[0]);
  if (units.size() > 1) c.setText(Field::DepartmentName, join({units.begin() + 1, units.end()}, u"; "));
}

// --- addresses ---

void onAdr(Converter& c, const CardProperty& p) {
  AddressGroup group = OtherGroup;
  for (std::string_view t : p.typeValues()) {
    if (t == "HOME") { group = HomeGroup; break; }
    if (t == "WORK") { group = WorkGroup; break; }
  }
  if (group == OtherGroup) {
    const std::u16string label = c.label(p);
    if (label == u"home") group = HomeGroup;
    else if (label == u"work") group = WorkGroup;
  }
  if (c.hasAddress(group)) return;  // the first address of a kind wins

  // ADR: PO box; extended address; street; locality; region; postal code; country.
  std::vector<std::u16string> components = p.components(u",");
  auto component = [&](std::size_t i) {
    return i < components.size() ? crlf(trimmed(std::move(components[i]))) : std::u16string();
  };
  std::array<std::u16string, kAddressParts> parts;
  parts[PoBox] = component(0);
  parts[Street] = component(2);
  if (auto extended = component(1); !extended.empty())
    parts[Street] = parts[Street].empty() ? extended : parts[Street] + u"\r\n" + extended;
  parts[City] = component(3);
  parts[State] = component(4);
  parts[PostalCode] = component(5);
  parts[Country] = component(6);
  parts[CountryCode] = upperAscii(c.countryCode(p));
  if (std::all_of(parts.begin(), parts.end(), [](const std::u16string& s) { return s.empty(); })) return;
  c.addAddress(group, std::move(parts), p.prefRank());
}

void onDefaultPostal(Converter& c, const CardProperty& p) {
  const std::u16string v = trimmed(p.text());
  const bool known = v.size() == 1 && v[0] >= u'0' && v[0] <= u'0' + value::PostalAddressOther;
  c.setDefaultPostal(known ? v[0] - u'0' : value::PostalAddressNone);
}

// --- e-mail, IM, web ---

void onEmail(Converter& c, const CardProperty& p) {
  std::u16string address = withoutScheme(p.text(), {u"mailto:"});
  if (address.empty()) return;
  for (std::string_view t : p.typeValues()) {
    if (t == "INTERNET") break;
    if (t == "IM") { c.setFirst(Field::InstantMessagingAddress, std::move(address)); return; }
    if (t == "TLX") { c.setFirst(Field::TelexNumber, std::move(address)); return; }
  }
  c.addEmail(std::move(address));
}

void onIm(Converter& c, const CardProperty& p) {
  c.setFirst(Field::InstantMessagingAddress,
             withoutScheme(p.text(), {u"xmpp:", u"sip:", u"im:", u"aim:", u"ymsgr:", u"msnim:", u"skype:",
                                      u"icq:", u"gg:", u"mailto:"}));
}

void onUrl(Converter& c, const CardProperty& p) {
  std::u16string url = trimmed(p.text());
  if (url.empty()) return;
  const std::u16string label = c.label(p);
  if (p.hasType("WORK") || label == u"work") {
    c.setFirst(Field::BusinessHomePage, std::move(url));
  } else if (p.hasType("HOME") || label == u"home" || label == u"homepage") {
    c.setFirst(Field::PersonalHomePage, std::move(url));
  } else if (!c.setFirst(Field::PersonalHomePage, url)) {
    c.setFirst(Field::BusinessHomePage, std::move(url));
  }
}

// --- dates ---

void onBday(Converter& c, const CardProperty& p) { c.setDate(Field::Birthday, Field::BirthdayLocal, p); }
void onAnniversary(Converter& c, const CardProperty& p) {
  c.setDate(Field::WeddingAnniversary, Field::WeddingAnniversaryLocal, p);
}
void onAppleDate(Converter& c, const CardProperty& p) {
  if (c.label(p) == u"anniversary") onAnniversary(c, p);
}

// --- the rest ---

void onCategories(Converter& c, const CardProperty& p) {
  for (const auto& v : p.list())
    if (auto t = trimmed(v); !t.empty()) c.addCategory(std::move(t));
}

void onNote(Converter& c, const CardProperty& p) {
  if (auto t = p.text(); !trimmed(t).empty()) c.addNote(crlf(t));
}

void onClass(Converter& c, const CardProperty& p) {
  const std::u16string v = lowerAscii(trimmed(p.text()));
  if (v == u"private") {
    c.set(Field::Sensitivity, value::SensitivityPrivate);
    c.set(Field::Private, true);
  } else if (v == u"confidential") {
    c.set(Field::Sensitivity, value::SensitivityConfidential);
  }
}

void setGender(Converter& c, std::u16string_view v) {
  const std::u16string g = lowerAscii(trimmed(v));
  std::int16_t gender = value::GenderUnspecified;
  if (g == u"f" || g == u"female" || g == u"1") gender = value::GenderFemale;
  else if (g == u"m" || g == u"male" || g == u"2") gender = value::GenderMale;
  if (!c.has(Field::Gender)) c.set(Field::Gender, gender);
}
void onGender(Converter& c, const CardProperty& p) {
  const auto parts = p.structured();  // sex ; identity
  if (!parts.empty() && !parts[0].empty()) setGender(c, parts[0][0]);
}
void onWabGender(Converter& c, const CardProperty& p) { setGender(c, p.text()); }

void onPhoto(Converter& c, const CardProperty& p) {
  if (c.hasPhoto() || !p.binary || p.binary->empty()) return;
  // A photo can be tens of megabytes: move it out of a card we were given to consume.
  if (c.ownsCard())
    c.setPhoto(std::move(*const_cast<CardProperty&>(p).binary));
  else
    c.setPhoto(*p.binary);
}

void onKey(Converter& c, const CardProperty& p) {
  if (!p.binary || p.binary->empty()) return;
  constexpr std::uint8_t kDerSequence = 0x30;  // how a DER certificate starts
  const bool x509 = p.hasType("X509") || p.mediaType == "application/pkix-cert" ||
                    p.mediaType == "application/x-x509-ca-cert" ||
                    (p.typeValues().empty() && p.mediaType.empty() && (*p.binary)[0] == kDerSequence);
  if (x509) c.addCertificate(*p.binary);
}

void onShowAs(Converter& c, const CardProperty& p) {
  if (equalsNoCase(trimmed(p.text()), u"company")) c.showAsCompany();
}

void onLang(Converter& c, const CardProperty& p) { c.setFirst(Field::Language, trimmed(p.text())); }

// AGENT: the person who acts for the contact, which Outlook calls the
// assistant (readpst exports the assistant this way too).
void onAgent(Converter& c, const CardProperty& p) {
  if (p.agent.empty()) return;
  const Card& agent = p.agent.front();
  if (const CardProperty* fn = agent.find("FN")) c.setFirst(Field::Assistant, trimmed(fn->text()));
  if (const CardProperty* tel = agent.find("TEL")) c.setFirst(Field::AssistantTelephoneNumber, phoneNumber(*tel));
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
    if (!data.empty()) c.addNickname(std::move(data));
  } else if (kind == u"vnd.android.cursor.item/relation") {
    // Relation types: 1 assistant, 3 child, 7 manager, 10 partner, 14 spouse.
    static const std::pair<std::u16string_view, std::u16string_view> kTypes[] = {
        {u"1", u"assistant"}, {u"3", u"child"}, {u"7", u"manager"}, {u"10", u"partner"}, {u"14", u"spouse"}};
    for (const auto& [code, relation] : kTypes)
      if (type == code) relatedName(c, relation, std::move(data));
  } else if (kind == u"vnd.android.cursor.item/contact_event" && type == u"1") {  // 1: anniversary
    if (auto t = parseDate(data); t && !c.has(Field::WeddingAnniversary)) {
      c.set(Field::WeddingAnniversary, *t);
      c.set(Field::WeddingAnniversaryLocal, *t);
    }
  }
}


// vCard property name -> rule. Unlisted properties (LABEL, REV, UID, PRODID,
// X-MS-OL-DESIGN, X-MS-CARDPICTURE, ...) have no contact field.
const std::unordered_map<std::string_view, Rule>& rules() {
  static const std::unordered_map<std::string_view, Rule> kRules = {
      {"FN", onFn},
      {"N", onN},
      {"NICKNAME", onNickname},
      {"ORG", onOrg},
      {"TITLE", onText<Field::Title>},
      {"ROLE", onText<Field::Profession>},
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
      {"X-MS-MANAGER", onText<Field::ManagerName>},
      {"X-MS-ASSISTANT", onText<Field::Assistant>},
      {"X-MS-SPOUSE", onText<Field::SpouseName>},
      {"X-MS-CHILD", onChild},
      {"X-MS-ANNIVERSARY", onAnniversary},
      {"X-MS-INTERESTS", onText<Field::Hobbies>},
      {"X-MS-OL-DEFAULT-POSTAL-ADDRESS", onDefaultPostal},
      {"X-WAB-GENDER", onWabGender},
      {"X-GENDER", onWabGender},
      {"X-ABRELATEDNAMES", onAppleRelated},
      {"X-ABDATE", onAppleDate},
      {"X-ABSHOWAS", onShowAs},
      {"X-PHONETIC-FIRST-NAME", onText<Field::YomiFirstName>},
      {"X-PHONETIC-LAST-NAME", onText<Field::YomiLastName>},
      {"X-PHONETIC-ORG", onText<Field::YomiCompanyName>},
      {"X-EVOLUTION-FILE-AS", onFileAs},
      {"X-EVOLUTION-SPOUSE", onText<Field::SpouseName>},
      {"X-EVOLUTION-MANAGER", onText<Field::ManagerName>},
      {"X-EVOLUTION-ASSISTANT", onText<Field::Assistant>},
      {"X-EVOLUTION-ANNIVERSARY", onAnniversary},
      {"X-ANNIVERSARY", onAnniversary},
      {"X-SPOUSE", onText<Field::SpouseName>},
      {"X-MANAGER", onText<Field::ManagerName>},
      {"X-ASSISTANT", onText<Field::Assistant>},
      {"X-KADDRESSBOOK-X-SPOUSESNAME", onText<Field::SpouseName>},
      {"X-KADDRESSBOOK-X-MANAGERSNAME", onText<Field::ManagerName>},
      {"X-KADDRESSBOOK-X-ASSISTANTSNAME", onText<Field::Assistant>},
      {"X-KADDRESSBOOK-X-PROFESSION", onText<Field::Profession>},
      {"X-KADDRESSBOOK-X-OFFICE", onText<Field::OfficeLocation>},
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

}  // namespace

Rule ruleFor(std::string_view propertyName) {
  const auto& table = rules();
  const auto it = table.find(propertyName);
  return it == table.end() ? nullptr : it->second;
}

}  // namespace vcard

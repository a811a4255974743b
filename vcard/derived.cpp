// The derived properties: composed from what the rules collected, in the
// forms Outlook composes them (names, file-as, address texts, e-mail and fax
// address book entries, what its form shows, the photo attachment).
#include <algorithm>

#include "vcard/converter.h"
#include "vcard/date.h"
#include "vcard/entry_id.h"
#include "vcard/rendering.h"
#include "vcard/text.h"

namespace vcard {

namespace {

using detail::isBlank;
using detail::join;
using detail::trimmed;

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

bool hasDigit(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

void Converter::finishNames() {
  static const std::u16string kNone;
  auto text = [&](Field f) -> const std::u16string& {
    const auto* t = textOf(f);
    return t ? *t : kNone;
  };
  const std::u16string &surname = text(Field::Surname), &given = text(Field::GivenName),
                       &middle = text(Field::MiddleName);
  const std::u16string& company = text(Field::CompanyName);

  // Display name: FN, else the name parts, else company, e-mail, phone.
  std::u16string display = fn_.value_or(u"");
  if (display.empty())
    display = join({text(Field::DisplayNamePrefix), given, middle, surname, text(Field::Generation)}, u" ");
  if (display.empty()) display = company;
  if (display.empty() && !emails_.empty()) display = emails_.front();
  if (display.empty())
    for (Field f : {Field::BusinessTelephoneNumber, Field::HomeTelephoneNumber, Field::MobileTelephoneNumber,
                    Field::OtherTelephoneNumber, Field::PrimaryTelephoneNumber})
      if (display.empty()) display = text(f);
  set(Field::DisplayName, display);
  const std::u16string subject = withoutTitle(display, text(Field::DisplayNamePrefix));
  set(Field::Subject, subject);
  set(Field::ConversationTopic, subject);

  if (!nicknames_.empty()) setText(Field::Nickname, join(nicknames_, u", "));
  setText(Field::Initials, initialsOf({&given, &middle, &surname}));

  // File as: "Surname, Given Middle" while there is a name.
  const std::u16string right = join({given, middle}, u" ");
  std::u16string fileUnder;
  std::int32_t id;
  if (showAsCompany_ && !company.empty()) {
    fileUnder = company, id = value::FileAsCompany;
  } else if (!surname.empty() || !right.empty()) {
    fileUnder = surname.empty() || right.empty() ? surname + right : surname + u", " + right;
    id = value::FileAsSurnameCommaGivenMiddle;
  } else if (!company.empty()) {
    fileUnder = company, id = value::FileAsCompany;
  } else {
    fileUnder = display, id = value::FileAsDisplayName;
  }
  if (fileAs_ && *fileAs_ != fileUnder) {
    set(Field::FileUnder, *fileAs_);
    set(Field::FileUnderId, value::FileAsOwnText);
  } else {
    set(Field::FileUnder, fileUnder);
    set(Field::FileUnderId, id);
  }
}

void Converter::finishAddresses() {
  for (AddressGroup g : {HomeGroup, WorkGroup, OtherGroup}) {
    if (!addresses_[g]) continue;
    auto& parts = addresses_[g]->parts;
    // Full text in the US form Outlook composes: street, "city, state  zip", country.
    std::u16string cityLine = parts[City];
    if (!parts[City].empty() && (!parts[State].empty() || !parts[PostalCode].empty())) cityLine += u", ";
    cityLine += parts[State];
    if (!parts[State].empty() && !parts[PostalCode].empty()) cityLine += u"  ";
    cityLine += parts[PostalCode];
    parts[FullText] = join({parts[Street], parts[PoBox], cityLine, parts[Country]}, u"\r\n");
    for (int k = 0; k < kAddressParts; ++k) setText(addressField(g, AddressPart(k)), parts[k]);
  }

  // Mailing address: the card's own choice, else the preferred, else the first.
  std::int32_t chosen = value::PostalAddressNone;
  if (defaultPostal_) {
    chosen = *defaultPostal_;
    if (chosen != value::PostalAddressNone && !addresses_[chosen - value::PostalAddressHome])
      chosen = value::PostalAddressNone;
  } else {
    int bestRank = 0, firstOrder = -1;
    for (AddressGroup g : {HomeGroup, WorkGroup, OtherGroup}) {
      if (!addresses_[g]) continue;
      const auto& a = *addresses_[g];
      if (a.pref > 0 && (bestRank == 0 || a.pref < bestRank)) bestRank = a.pref, chosen = postalAddressIdOf(g);
      if (bestRank == 0 && (firstOrder < 0 || a.order < firstOrder)) firstOrder = a.order, chosen = postalAddressIdOf(g);
    }
  }
  if (chosen == value::PostalAddressNone && addressCount_ == 0) return;
  set(Field::PostalAddressId, chosen);
  if (chosen == value::PostalAddressNone) return;
  const auto& parts = addresses_[chosen - value::PostalAddressHome]->parts;
  for (int k = 0; k < kAddressParts; ++k) setText(addressField(MailingGroup, AddressPart(k)), parts[k]);
}

void Converter::finishEmails() {
  const std::u16string name = *textOf(Field::Subject);
  std::vector<std::int32_t> list;
  std::int32_t bits = 0;
  for (std::size_t n = 0; n < emails_.size() && n < kEmailSlots; ++n) {
    const int slot = static_cast<int>(n);
    const std::u16string& address = emails_[n];
    const std::u16string shown = name.empty() || name == address ? address : name + u" (" + address + u")";
    set(emailField(slot, EmailDisplayName), shown);
    set(emailField(slot, EmailAddressType), std::u16string(u"SMTP"));
    set(emailField(slot, EmailAddress), address);
    set(emailField(slot, EmailOriginalDisplayName), address);
    set(emailField(slot, EmailOriginalEntryId), oneOffEntryId(shown, u"SMTP", address));
    list.push_back(value::ProviderEmail1 + slot);
    bits |= 1 << (value::ProviderEmail1 + slot);
  }
  // Fax numbers are address book entries too, after the e-mail ones.
  constexpr Field kFaxes[kFaxSlots] = {Field::BusinessFaxNumber, Field::HomeFaxNumber, Field::PrimaryFaxNumber};
  for (int slot = 0; slot < kFaxSlots; ++slot) {
    set(faxField(slot, FaxAddressType), std::u16string(u"FAX"));  // Outlook's default, with or without a number
    const std::u16string* number = textOf(kFaxes[slot]);
    if (!number || !hasDigit(*number)) continue;  // a fax address needs a number to dial
    const std::u16string address = name + u"@" + *number;
    set(faxField(slot, FaxEmailAddress), address);
    set(faxField(slot, FaxOriginalDisplayName), name);
    set(faxField(slot, FaxOriginalEntryId), oneOffEntryId(name, u"FAX", address));
    list.push_back(value::ProviderBusinessFax + slot);
    bits |= 1 << (value::ProviderBusinessFax + slot);
  }
  if (!list.empty()) {
    set(Field::AddressBookProviderEmailList, std::move(list));
    set(Field::AddressBookProviderArrayType, bits);
  }
}

// Which address, e-mail and phone fields Outlook's contact form shows
// (PidLidContactItemData): the mailing address, else the first address the
// card has in the form's order (business, home, other), else business;
// e-mail 1; and the form's default phones: business, home, business fax, mobile.
void Converter::finishFormFields() {
  std::int32_t address = value::PostalAddressWork;
  if (const auto* mailing = valueOf<std::int32_t>(Field::PostalAddressId); mailing && *mailing != value::PostalAddressNone) {
    address = *mailing;
  } else {
    for (AddressGroup g : {WorkGroup, HomeGroup, OtherGroup})
      if (addresses_[g]) {
        address = postalAddressIdOf(g);
        break;
      }
  }
  set(Field::ContactItemData, std::vector<std::int32_t>{address, static_cast<std::int32_t>(lid::Email1DisplayName),
                                                        tag::BusinessTelephoneNumber, tag::HomeTelephoneNumber,
                                                        tag::BusinessFaxNumber, tag::MobileTelephoneNumber});
  // The form's one web page field shows PidLidHtml.
  const std::u16string* page = textOf(Field::BusinessHomePage);
  if (!page) page = textOf(Field::PersonalHomePage);
  if (page) set(Field::Html, *page);
}

std::optional<Attachment> Converter::photoAttachment() {
  if (photo_.empty()) return std::nullopt;
  // As Outlook makes it: found by this name whatever the format, an empty
  // short file name, shown (Outlook's lists leave it out by
  // PidLidSmartNoAttach on the contact), and the "no exception" times.
  const std::u16string name = u"ContactPicture.jpg";
  const FileTime noException = fileTimeOf(4501, 1, 1);  // Outlook's "never" date
  Attachment a;
  a.properties = {
      {std::uint16_t{tag::AttachMethod}, value::AttachByValue},
      {std::uint16_t{tag::AttachDataBinary}, std::move(photo_)},
      {std::uint16_t{tag::AttachEncoding}, std::vector<std::uint8_t>()},
      {std::uint16_t{tag::AttachExtension}, std::u16string(u".jpg")},
      {std::uint16_t{tag::AttachFilename}, std::u16string()},
      {std::uint16_t{tag::AttachLongFilename}, name},
      {std::uint16_t{tag::DisplayName}, name},
      {std::uint16_t{tag::AttachRendering}, photoRendering()},
      {std::uint16_t{tag::RenderingPosition}, value::NotRenderedInBody},
      {std::uint16_t{tag::AttachFlags}, std::int32_t{0}},
      {std::uint16_t{tag::AttachmentLinkId}, std::int32_t{0}},
      {std::uint16_t{tag::ExceptionStartTime}, noException},
      {std::uint16_t{tag::ExceptionEndTime}, noException},
      {std::uint16_t{tag::AttachmentFlags}, std::int32_t{0}},
      {std::uint16_t{tag::AttachmentHidden}, false},
      {std::uint16_t{tag::AttachmentContactPhoto}, true},
  };
  return a;
}

}  // namespace vcard

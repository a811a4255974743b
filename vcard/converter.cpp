// One card's conversion: the fields and collected values the rules fill, the
// defaults every contact gets, and the order of the steps.
#include "vcard/converter.h"

#include <algorithm>

#include "vcard/date.h"
#include "vcard/rules.h"
#include "vcard/text.h"

namespace vcard {

namespace {

using detail::lowerAscii;
using detail::trimmed;

// Apple's "_$!<Spouse>!$_" style labels and free labels, as lower case words.
std::u16string normalLabel(std::u16string_view label) {
  if (label.size() >= 8 && label.substr(0, 4) == u"_$!<" && label.substr(label.size() - 4) == u">!$_")
    label = label.substr(4, label.size() - 8);
  return lowerAscii(trimmed(label));
}

}  // namespace

Converter::Converter(const Card& card, bool ownsCard) : card_(card), ownsCard_(ownsCard) {
  for (const CardProperty& p : card.properties) {
    if (p.group.empty()) continue;
    if (p.name == "X-ABLABEL") labels_.emplace(detail::upper(p.group), normalLabel(p.text()));
    if (p.name == "X-ABADR") countryCodes_.emplace(detail::upper(p.group), trimmed(p.text()));
  }
}

bool Converter::setText(Field field, std::u16string text) {
  if (text.empty()) return false;
  set(field, std::move(text));
  return true;
}

bool Converter::setFirst(Field field, std::u16string text) {
  if (has(field) || text.empty()) return false;
  set(field, std::move(text));
  return true;
}

void Converter::setDate(Field utc, Field local, const CardProperty& p) {
  if (has(utc) || p.hasParam("VALUE", "TEXT")) return;
  if (auto t = parseDate(p.text())) {
    set(utc, *t);  // midnight UTC, so readers that print UTC show the same day
    set(local, *t);
  }
}

std::u16string Converter::label(const CardProperty& p) const {
  if (p.group.empty()) return {};
  auto it = labels_.find(detail::upper(p.group));
  return it == labels_.end() ? std::u16string() : it->second;
}

std::u16string Converter::countryCode(const CardProperty& p) const {
  if (p.group.empty()) return {};
  auto it = countryCodes_.find(detail::upper(p.group));
  return it == countryCodes_.end() ? std::u16string() : it->second;
}

void Converter::offerFormattedName(std::u16string name, int prefRank) {
  const bool better = !fn_ || (prefRank > 0 && (fnRank_ == 0 || prefRank < fnRank_));
  if (better) {
    fn_ = std::move(name);
    fnRank_ = prefRank;
  }
}

bool Converter::takeStructuredName() {
  if (haveN_) return false;
  haveN_ = true;
  return true;
}

void Converter::offerFileAs(std::u16string text) {
  if (!fileAs_) fileAs_ = std::move(text);
}

void Converter::addAddress(AddressGroup group, std::array<std::u16string, kAddressParts> parts, int prefRank) {
  addresses_[group] = Address{std::move(parts), prefRank, addressCount_++};
}

// What Outlook 2013 stores on every contact it makes.
void Converter::setOutlookDefaults() {
  set(Field::MessageClass, std::u16string(u"IPM.Contact"));
  set(Field::MessageFlags, value::MessageFlagRead);
  set(Field::Sensitivity, value::SensitivityNormal);
  set(Field::IconIndex, value::IconContact);
  set(Field::MessageLocaleId, value::LocaleEnglishUnitedStates);
  set(Field::Private, false);
  set(Field::ReminderSet, false);
  set(Field::ReminderDelta, std::int32_t{0});
  set(Field::AgingDontAgeMe, false);
  set(Field::SideEffects,
      value::SideEffectOpenToDelete | value::SideEffectCoerceToInbox | value::SideEffectOpenToMove);
  set(Field::TaskMode, std::int32_t{0});  // not a task request
  set(Field::CurrentVersion, value::Outlook2013Version);
  set(Field::CurrentVersionName, std::u16string(value::Outlook2013VersionName));
  set(Field::ContactCharacterSet, value::OutlookContactCharacterSet);
  set(Field::AutoLog, false);
  // The file-as choices Outlook's form offers.
  set(Field::FileUnderList, std::vector<std::int32_t>{value::FileAsSurnameCommaGivenMiddle,
                                                      value::FileAsGivenMiddleSurnameGeneration, value::FileAsCompany,
                                                      value::FileAsSurnameCommaGivenMiddleThenCompany,
                                                      value::FileAsCompanyThenSurnameCommaGivenMiddle});
  std::vector<std::int32_t> emailNames;
  for (int slot = 0; slot < kEmailSlots; ++slot)
    emailNames.push_back(static_cast<std::int32_t>(lid::Email1DisplayName + slot * lid::kEmailSlotStep));
  set(Field::EmailDisplayNameList, std::move(emailNames));
}

// Categories without repeats (any case), children, certificates and the body.
void Converter::finishLists() {
  if (!categories_.empty()) {
    std::vector<std::u16string> unique;
    std::vector<std::u16string> seen;
    for (auto& category : categories_) {
      std::u16string folded = lowerAscii(category);
      if (std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
      seen.push_back(std::move(folded));
      unique.push_back(std::move(category));
    }
    set(Field::Keywords, std::move(unique));
  }
  if (!children_.empty()) set(Field::ChildrensNames, children_);
  if (!certificates_.empty()) set(Field::UserX509Certificate, certificates_);
  if (!notes_.empty()) {
    set(Field::Body, detail::join(notes_, u"\r\n"));
    set(Field::InternetCodepage, value::CodepageUtf8);
  }
}

ContactItem Converter::run() {
  setOutlookDefaults();
  for (const CardProperty& p : card_.properties)
    if (Rule rule = ruleFor(p.name)) rule(*this, p);

  finishNames();
  finishAddresses();
  finishEmails();
  finishFormFields();
  finishLists();

  ContactItem item;
  if (auto photo = photoAttachment()) {
    set(Field::HasPicture, true);
    set(Field::SmartNoAttach, true);  // the photo is the only attachment: no paper clip in lists
    item.attachments.push_back(std::move(*photo));
  }
  item.properties.reserve(static_cast<std::size_t>(
      std::count_if(fields_.begin(), fields_.end(), [](const auto& v) { return v.has_value(); })));
  for (int i = 0; i < kFieldCount; ++i)
    if (fields_[i]) item.properties.push_back({keyOf(static_cast<Field>(i)), std::move(*fields_[i])});
  return item;
}

}  // namespace vcard

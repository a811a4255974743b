// The conversion of one card: the fields the rules fill, what the derived
// properties are made from, and the run that puts them together.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "vcard/card.h"
#include "vcard/contact.h"
#include "vcard/fields.h"

namespace vcard {

class Converter {
 public:
  // ownsCard: the card is a temporary of toContact(Card&&), whose data may be moved.
  Converter(const Card& card, bool ownsCard);

  // Runs the rules over the card's properties, then derives the rest.
  ContactItem run();

  // --- fields ---
  bool has(Field field) const { return fields_[static_cast<int>(field)].has_value(); }
  void set(Field field, Value value) { fields_[static_cast<int>(field)] = std::move(value); }
  // Sets a non-empty text; false for an empty one.
  bool setText(Field field, std::u16string text);
  // The first non-empty text wins; false when the field had one or text is empty.
  bool setFirst(Field field, std::u16string text);
  template <typename T>
  const T* valueOf(Field field) const {
    const auto& v = fields_[static_cast<int>(field)];
    return v ? std::get_if<T>(&*v) : nullptr;
  }
  const std::u16string* textOf(Field field) const { return valueOf<std::u16string>(field); }
  // A date property into its UTC and local fields; the first date wins.
  void setDate(Field utc, Field local, const CardProperty& p);

  // --- the card around a property ---
  bool ownsCard() const { return ownsCard_; }
  // The Apple label (X-ABLabel) and country code (X-ABADR) of the property's group, lower case.
  std::u16string label(const CardProperty& p) const;
  std::u16string countryCode(const CardProperty& p) const;

  // --- what the derived properties are made from ---
  // FN: the first, or the one with the best preference rank.
  void offerFormattedName(std::u16string name, int prefRank);
  // True for the card's first N only.
  bool takeStructuredName();
  void addNickname(std::u16string name) { nicknames_.push_back(std::move(name)); }
  void addCategory(std::u16string category) { categories_.push_back(std::move(category)); }
  void addChild(std::u16string name) { children_.push_back(std::move(name)); }
  void addNote(std::u16string note) { notes_.push_back(std::move(note)); }
  void addEmail(std::u16string address) { emails_.push_back(std::move(address)); }
  void addCertificate(std::vector<std::uint8_t> der) { certificates_.push_back(std::move(der)); }
  bool hasPhoto() const { return !photo_.empty(); }
  void setPhoto(std::vector<std::uint8_t> data) { photo_ = std::move(data); }
  void showAsCompany() { showAsCompany_ = true; }
  // A file-as text the card chose itself; the first wins.
  void offerFileAs(std::u16string text);
  bool hasAddress(AddressGroup group) const { return addresses_[group].has_value(); }
  // The first address of each group (home, work, other), with its preference rank.
  void addAddress(AddressGroup group, std::array<std::u16string, kAddressParts> parts, int prefRank);
  // X-MS-OL-DEFAULT-POSTAL-ADDRESS: PidLidPostalAddressId the card chose.
  void setDefaultPostal(std::int32_t postalAddressId) { defaultPostal_ = postalAddressId; }

 private:
  struct Address {
    std::array<std::u16string, kAddressParts> parts;
    int pref = 0;   // preference rank, 0 when not preferred
    int order = 0;  // among the card's addresses
  };

  void setOutlookDefaults();
  // The derived properties, in this order.
  void finishNames();
  void finishAddresses();
  void finishEmails();
  void finishFormFields();
  void finishLists();
  std::optional<Attachment> photoAttachment();

  const Card& card_;
  bool ownsCard_;
  std::unordered_map<std::string, std::u16string> labels_, countryCodes_;
  std::array<std::optional<Value>, kFieldCount> fields_;

  std::optional<std::u16string> fn_;
  int fnRank_ = 0;
  bool haveN_ = false;
  std::vector<std::u16string> nicknames_, categories_, children_, notes_, emails_;
  std::vector<std::vector<std::uint8_t>> certificates_;
  std::vector<std::uint8_t> photo_;
  bool showAsCompany_ = false;
  std::optional<std::u16string> fileAs_;
  std::array<std::optional<Address>, 3> addresses_;  // home, work, other
  int addressCount_ = 0;
  std::optional<std::int32_t> defaultPostal_;
};

}  // namespace vcard

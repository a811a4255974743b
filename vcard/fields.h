// The properties a converted contact can get (its fields), in the order they
// are emitted, and the property key each is stored under.
#pragma once
#include <cstdint>

#include "vcard/contact.h"
#include "vcard/mapi.h"

namespace vcard {

// Kind of key: Tag a fixed tag, Address a PSETID_Address LID, Common a
// PSETID_Common LID, Keywords the "Keywords" name of PS_PUBLIC_STRINGS.
// Address groups (Home, Work, Other, Mailing) and e-mail / fax slots are
// contiguous runs so that a group or slot number selects a member.
#define VCARD_CONTACT_FIELDS(X)                                                         \
  X(MessageClass, Tag, tag::MessageClass)                                               \
  X(Subject, Tag, tag::Subject)                                                         \
  X(ConversationTopic, Tag, tag::ConversationTopic)                                     \
  X(DisplayName, Tag, tag::DisplayName)                                                 \
  X(MessageFlags, Tag, tag::MessageFlags)                                               \
  X(IconIndex, Tag, tag::IconIndex)                                                     \
  X(MessageLocaleId, Tag, tag::MessageLocaleId)                                         \
  X(Sensitivity, Tag, tag::Sensitivity)                                                 \
  X(Private, Common, lid::Private)                                                      \
  X(ReminderSet, Common, lid::ReminderSet)                                              \
  X(ReminderDelta, Common, lid::ReminderDelta)                                          \
  X(AgingDontAgeMe, Common, lid::AgingDontAgeMe)                                        \
  X(SideEffects, Common, lid::SideEffects)                                              \
  X(TaskMode, Common, lid::TaskMode)                                                    \
  X(CurrentVersion, Common, lid::CurrentVersion)                                        \
  X(CurrentVersionName, Common, lid::CurrentVersionName)                                \
  X(SmartNoAttach, Common, lid::SmartNoAttach)                                          \
  X(ContactCharacterSet, Address, lid::ContactCharacterSet)                             \
  X(ContactItemData, Address, lid::ContactItemData)                                     \
  X(AutoLog, Address, lid::AutoLog)                                                     \
  X(Body, Tag, tag::Body)                                                               \
  X(InternetCodepage, Tag, tag::InternetCodepage)                                       \
  X(Surname, Tag, tag::Surname)                                                         \
  X(GivenName, Tag, tag::GivenName)                                                     \
  X(MiddleName, Tag, tag::MiddleName)                                                   \
  X(DisplayNamePrefix, Tag, tag::DisplayNamePrefix)                                     \
  X(Generation, Tag, tag::Generation)                                                   \
  X(Initials, Tag, tag::Initials)                                                       \
  X(Nickname, Tag, tag::Nickname)                                                       \
  X(FileUnder, Address, lid::FileUnder)                                                 \
  X(FileUnderId, Address, lid::FileUnderId)                                             \
  X(FileUnderList, Address, lid::FileUnderList)                                         \
  X(YomiFirstName, Address, lid::YomiFirstName)                                         \
  X(YomiLastName, Address, lid::YomiLastName)                                           \
  X(YomiCompanyName, Address, lid::YomiCompanyName)                                     \
  X(CompanyName, Tag, tag::CompanyName)                                                 \
  X(DepartmentName, Tag, tag::DepartmentName)                                           \
  X(Title, Tag, tag::Title)                                                             \
  X(Profession, Tag, tag::Profession)                                                   \
  X(OfficeLocation, Tag, tag::OfficeLocation)                                           \
  X(ManagerName, Tag, tag::ManagerName)                                                 \
  X(Assistant, Tag, tag::Assistant)                                                     \
  X(SpouseName, Tag, tag::SpouseName)                                                   \
  X(ChildrensNames, Tag, tag::ChildrensNames)                                           \
  X(Hobbies, Tag, tag::Hobbies)                                                         \
  X(Language, Tag, tag::Language)                                                       \
  X(Gender, Tag, tag::Gender)                                                           \
  X(Birthday, Tag, tag::Birthday)                                                       \
  X(BirthdayLocal, Address, lid::BirthdayLocal)                                         \
  X(WeddingAnniversary, Tag, tag::WeddingAnniversary)                                   \
  X(WeddingAnniversaryLocal, Address, lid::WeddingAnniversaryLocal)                     \
  X(PersonalHomePage, Tag, tag::PersonalHomePage)                                       \
  X(BusinessHomePage, Tag, tag::BusinessHomePage)                                       \
  X(Html, Address, lid::Html)                                                           \
  X(InstantMessagingAddress, Address, lid::InstantMessagingAddress)                     \
  X(Keywords, Keywords, 0)                                                              \
  X(UserX509Certificate, Address, lid::UserX509Certificate)                             \
  X(HomeTelephoneNumber, Tag, tag::HomeTelephoneNumber)                                 \
  X(Home2TelephoneNumber, Tag, tag::Home2TelephoneNumber)                               \
  X(BusinessTelephoneNumber, Tag, tag::BusinessTelephoneNumber)                         \
  X(Business2TelephoneNumber, Tag, tag::Business2TelephoneNumber)                       \
  X(MobileTelephoneNumber, Tag, tag::MobileTelephoneNumber)                             \
  X(PagerTelephoneNumber, Tag, tag::PagerTelephoneNumber)                               \
  X(CarTelephoneNumber, Tag, tag::CarTelephoneNumber)                                   \
  X(IsdnNumber, Tag, tag::IsdnNumber)                                                   \
  X(PrimaryTelephoneNumber, Tag, tag::PrimaryTelephoneNumber)                           \
  X(OtherTelephoneNumber, Tag, tag::OtherTelephoneNumber)                               \
  X(AssistantTelephoneNumber, Tag, tag::AssistantTelephoneNumber)                       \
  X(CallbackTelephoneNumber, Tag, tag::CallbackTelephoneNumber)                         \
  X(CompanyMainTelephoneNumber, Tag, tag::CompanyMainTelephoneNumber)                   \
  X(RadioTelephoneNumber, Tag, tag::RadioTelephoneNumber)                               \
  X(TtyTddPhoneNumber, Tag, tag::TelecommunicationsDeviceForDeafTelephoneNumber)        \
  X(TelexNumber, Tag, tag::TelexNumber)                                                 \
  X(BusinessFaxNumber, Tag, tag::BusinessFaxNumber)                                     \
  X(HomeFaxNumber, Tag, tag::HomeFaxNumber)                                             \
  X(PrimaryFaxNumber, Tag, tag::PrimaryFaxNumber)                                       \
  X(HomePoBox, Tag, tag::HomeAddressPostOfficeBox)                                      \
  X(HomeStreet, Tag, tag::HomeAddressStreet)                                            \
  X(HomeCity, Tag, tag::HomeAddressCity)                                                \
  X(HomeState, Tag, tag::HomeAddressStateOrProvince)                                    \
  X(HomePostalCode, Tag, tag::HomeAddressPostalCode)                                    \
  X(HomeCountry, Tag, tag::HomeAddressCountry)                                          \
  X(HomeCountryCode, Address, lid::HomeAddressCountryCode)                              \
  X(HomeAddress, Address, lid::HomeAddress)                                             \
  X(WorkPoBox, Address, lid::WorkAddressPostOfficeBox)                                  \
  X(WorkStreet, Address, lid::WorkAddressStreet)                                        \
  X(WorkCity, Address, lid::WorkAddressCity)                                            \
  X(WorkState, Address, lid::WorkAddressState)                                          \
  X(WorkPostalCode, Address, lid::WorkAddressPostalCode)                                \
  X(WorkCountry, Address, lid::WorkAddressCountry)                                      \
  X(WorkCountryCode, Address, lid::WorkAddressCountryCode)                              \
  X(WorkAddress, Address, lid::WorkAddress)                                             \
  X(OtherPoBox, Tag, tag::OtherAddressPostOfficeBox)                                    \
  X(OtherStreet, Tag, tag::OtherAddressStreet)                                          \
  X(OtherCity, Tag, tag::OtherAddressCity)                                              \
  X(OtherState, Tag, tag::OtherAddressStateOrProvince)                                  \
  X(OtherPostalCode, Tag, tag::OtherAddressPostalCode)                                  \
  X(OtherCountry, Tag, tag::OtherAddressCountry)                                        \
  X(OtherCountryCode, Address, lid::OtherAddressCountryCode)                            \
  X(OtherAddress, Address, lid::OtherAddress)                                           \
  X(MailingPoBox, Tag, tag::PostOfficeBox)                                              \
  X(MailingStreet, Tag, tag::StreetAddress)                                             \
  X(MailingCity, Tag, tag::Locality)                                                    \
  X(MailingState, Tag, tag::StateOrProvince)                                            \
  X(MailingPostalCode, Tag, tag::PostalCode)                                            \
  X(MailingCountry, Tag, tag::Country)                                                  \
  X(MailingCountryCode, Address, lid::AddressCountryCode)                               \
  X(MailingAddress, Tag, tag::PostalAddress)                                            \
  X(PostalAddressId, Address, lid::PostalAddressId)                                     \
  X(Email1DisplayName, Address, lid::Email1DisplayName)                                 \
  X(Email1AddressType, Address, lid::Email1AddressType)                                 \
  X(Email1EmailAddress, Address, lid::Email1EmailAddress)                               \
  X(Email1OriginalDisplayName, Address, lid::Email1OriginalDisplayName)                 \
  X(Email1OriginalEntryId, Address, lid::Email1OriginalEntryId)                         \
  X(Email2DisplayName, Address, lid::Email1DisplayName + lid::kEmailSlotStep)           \
  X(Email2AddressType, Address, lid::Email1AddressType + lid::kEmailSlotStep)           \
  X(Email2EmailAddress, Address, lid::Email1EmailAddress + lid::kEmailSlotStep)         \
  X(Email2OriginalDisplayName, Address, lid::Email1OriginalDisplayName + lid::kEmailSlotStep) \
  X(Email2OriginalEntryId, Address, lid::Email1OriginalEntryId + lid::kEmailSlotStep)   \
  X(Email3DisplayName, Address, lid::Email1DisplayName + 2 * lid::kEmailSlotStep)       \
  X(Email3AddressType, Address, lid::Email1AddressType + 2 * lid::kEmailSlotStep)       \
  X(Email3EmailAddress, Address, lid::Email1EmailAddress + 2 * lid::kEmailSlotStep)     \
  X(Email3OriginalDisplayName, Address, lid::Email1OriginalDisplayName + 2 * lid::kEmailSlotStep) \
  X(Email3OriginalEntryId, Address, lid::Email1OriginalEntryId + 2 * lid::kEmailSlotStep) \
  X(Fax1AddressType, Address, lid::Fax1AddressType)                                     \
  X(Fax1EmailAddress, Address, lid::Fax1EmailAddress)                                   \
  X(Fax1OriginalDisplayName, Address, lid::Fax1OriginalDisplayName)                     \
  X(Fax1OriginalEntryId, Address, lid::Fax1OriginalEntryId)                             \
  X(Fax2AddressType, Address, lid::Fax1AddressType + lid::kFaxSlotStep)                 \
  X(Fax2EmailAddress, Address, lid::Fax1EmailAddress + lid::kFaxSlotStep)               \
  X(Fax2OriginalDisplayName, Address, lid::Fax1OriginalDisplayName + lid::kFaxSlotStep) \
  X(Fax2OriginalEntryId, Address, lid::Fax1OriginalEntryId + lid::kFaxSlotStep)         \
  X(Fax3AddressType, Address, lid::Fax1AddressType + 2 * lid::kFaxSlotStep)             \
  X(Fax3EmailAddress, Address, lid::Fax1EmailAddress + 2 * lid::kFaxSlotStep)           \
  X(Fax3OriginalDisplayName, Address, lid::Fax1OriginalDisplayName + 2 * lid::kFaxSlotStep) \
  X(Fax3OriginalEntryId, Address, lid::Fax1OriginalEntryId + 2 * lid::kFaxSlotStep)     \
  X(AddressBookProviderEmailList, Address, lid::AddressBookProviderEmailList)           \
  X(AddressBookProviderArrayType, Address, lid::AddressBookProviderArrayType)           \
  X(EmailDisplayNameList, Address, lid::EmailDisplayNameList)                           \
  X(HasPicture, Address, lid::HasPicture)

enum class Field : int {
#define VCARD_FIELD_ENUM(name, kind, id) name,
  VCARD_CONTACT_FIELDS(VCARD_FIELD_ENUM)
#undef VCARD_FIELD_ENUM
  Count
};
constexpr int kFieldCount = static_cast<int>(Field::Count);

// The key the field is stored under.
PropertyKey keyOf(Field field);

// The field n places further in its run (an address group, an e-mail or fax slot).
constexpr Field operator+(Field field, int n) { return static_cast<Field>(static_cast<int>(field) + n); }

// An address group: one field per part, in this order, from its PoBox field on.
enum AddressGroup : int { HomeGroup, WorkGroup, OtherGroup, MailingGroup };
enum AddressPart : int { PoBox, Street, City, State, PostalCode, Country, CountryCode, FullText, kAddressParts };
constexpr Field addressField(AddressGroup group, AddressPart part) {
  constexpr Field kFirst[] = {Field::HomePoBox, Field::WorkPoBox, Field::OtherPoBox, Field::MailingPoBox};
  return kFirst[group] + part;
}
// PidLidPostalAddressId of a group other than the mailing one.
constexpr std::int32_t postalAddressIdOf(AddressGroup group) { return value::PostalAddressHome + group; }

// E-mail slot 0..2 and fax slot 0..2 (business, home, primary fax): one field per part.
enum EmailPart : int { EmailDisplayName, EmailAddressType, EmailAddress, EmailOriginalDisplayName, EmailOriginalEntryId, kEmailParts };
enum FaxPart : int { FaxAddressType, FaxEmailAddress, FaxOriginalDisplayName, FaxOriginalEntryId, kFaxParts };
constexpr int kEmailSlots = 3;
constexpr int kFaxSlots = 3;
constexpr Field emailField(int slot, EmailPart part) { return Field::Email1DisplayName + slot * kEmailParts + part; }
constexpr Field faxField(int slot, FaxPart part) { return Field::Fax1AddressType + slot * kFaxParts + part; }

static_assert(addressField(WorkGroup, FullText) == Field::WorkAddress);
static_assert(addressField(MailingGroup, FullText) == Field::MailingAddress);
static_assert(emailField(2, EmailOriginalEntryId) == Field::Email3OriginalEntryId);
static_assert(faxField(2, FaxOriginalEntryId) == Field::Fax3OriginalEntryId);

}  // namespace vcard

// MAPI property identifiers a contact uses: fixed tag ids and PSETID_Address / PSETID_Common LIDs.
#pragma once
#include <cstdint>

namespace vcard::tag {
// Fixed property ids (the type comes with the value).
constexpr std::uint16_t MessageClass = 0x001A;
constexpr std::uint16_t Sensitivity = 0x0036;
constexpr std::uint16_t Subject = 0x0037;
constexpr std::uint16_t SubjectPrefix = 0x003D;
constexpr std::uint16_t ConversationTopic = 0x0070;
constexpr std::uint16_t MessageFlags = 0x0E07;
constexpr std::uint16_t NormalizedSubject = 0x0E1D;
constexpr std::uint16_t Body = 0x1000;
constexpr std::uint16_t IconIndex = 0x1080;
constexpr std::uint16_t DisplayName = 0x3001;
constexpr std::uint16_t InternetCodepage = 0x3FDE;
constexpr std::uint16_t MessageLocaleId = 0x3FF1;
constexpr std::uint16_t CallbackTelephoneNumber = 0x3A02;
constexpr std::uint16_t Generation = 0x3A05;
constexpr std::uint16_t GivenName = 0x3A06;
constexpr std::uint16_t BusinessTelephoneNumber = 0x3A08;
constexpr std::uint16_t HomeTelephoneNumber = 0x3A09;
constexpr std::uint16_t Initials = 0x3A0A;
constexpr std::uint16_t Language = 0x3A0C;
constexpr std::uint16_t Surname = 0x3A11;
constexpr std::uint16_t PostalAddress = 0x3A15;
constexpr std::uint16_t CompanyName = 0x3A16;
constexpr std::uint16_t Title = 0x3A17;
constexpr std::uint16_t DepartmentName = 0x3A18;
constexpr std::uint16_t OfficeLocation = 0x3A19;
constexpr std::uint16_t PrimaryTelephoneNumber = 0x3A1A;
constexpr std::uint16_t Business2TelephoneNumber = 0x3A1B;
constexpr std::uint16_t MobileTelephoneNumber = 0x3A1C;
constexpr std::uint16_t RadioTelephoneNumber = 0x3A1D;
constexpr std::uint16_t CarTelephoneNumber = 0x3A1E;
constexpr std::uint16_t OtherTelephoneNumber = 0x3A1F;
constexpr std::uint16_t PagerTelephoneNumber = 0x3A21;
constexpr std::uint16_t PrimaryFaxNumber = 0x3A23;
constexpr std::uint16_t BusinessFaxNumber = 0x3A24;
constexpr std::uint16_t HomeFaxNumber = 0x3A25;
constexpr std::uint16_t Country = 0x3A26;
constexpr std::uint16_t Locality = 0x3A27;
constexpr std::uint16_t StateOrProvince = 0x3A28;
constexpr std::uint16_t StreetAddress = 0x3A29;
constexpr std::uint16_t PostalCode = 0x3A2A;
constexpr std::uint16_t PostOfficeBox = 0x3A2B;
constexpr std::uint16_t TelexNumber = 0x3A2C;
constexpr std::uint16_t IsdnNumber = 0x3A2D;
constexpr std::uint16_t AssistantTelephoneNumber = 0x3A2E;
constexpr std::uint16_t Home2TelephoneNumber = 0x3A2F;
constexpr std::uint16_t Assistant = 0x3A30;
constexpr std::uint16_t WeddingAnniversary = 0x3A41;
constexpr std::uint16_t Birthday = 0x3A42;
constexpr std::uint16_t Hobbies = 0x3A43;
constexpr std::uint16_t MiddleName = 0x3A44;
constexpr std::uint16_t DisplayNamePrefix = 0x3A45;
constexpr std::uint16_t Profession = 0x3A46;
constexpr std::uint16_t SpouseName = 0x3A48;
constexpr std::uint16_t TelecommunicationsDeviceForDeafTelephoneNumber = 0x3A4B;
constexpr std::uint16_t Gender = 0x3A4D;
constexpr std::uint16_t ManagerName = 0x3A4E;
constexpr std::uint16_t Nickname = 0x3A4F;
constexpr std::uint16_t PersonalHomePage = 0x3A50;
constexpr std::uint16_t BusinessHomePage = 0x3A51;
constexpr std::uint16_t CompanyMainTelephoneNumber = 0x3A57;
constexpr std::uint16_t ChildrensNames = 0x3A58;
constexpr std::uint16_t HomeAddressCity = 0x3A59;
constexpr std::uint16_t HomeAddressCountry = 0x3A5A;
constexpr std::uint16_t HomeAddressPostalCode = 0x3A5B;
constexpr std::uint16_t HomeAddressStateOrProvince = 0x3A5C;
constexpr std::uint16_t HomeAddressStreet = 0x3A5D;
constexpr std::uint16_t HomeAddressPostOfficeBox = 0x3A5E;
constexpr std::uint16_t OtherAddressCity = 0x3A5F;
constexpr std::uint16_t OtherAddressCountry = 0x3A60;
constexpr std::uint16_t OtherAddressPostalCode = 0x3A61;
constexpr std::uint16_t OtherAddressStateOrProvince = 0x3A62;
constexpr std::uint16_t OtherAddressStreet = 0x3A63;
constexpr std::uint16_t OtherAddressPostOfficeBox = 0x3A64;
// Attachment properties.
constexpr std::uint16_t CreationTime = 0x3007;
constexpr std::uint16_t LastModificationTime = 0x3008;
constexpr std::uint16_t AttachDataBinary = 0x3701;
constexpr std::uint16_t AttachEncoding = 0x3702;
constexpr std::uint16_t AttachExtension = 0x3703;
constexpr std::uint16_t AttachFilename = 0x3704;
constexpr std::uint16_t AttachMethod = 0x3705;
constexpr std::uint16_t AttachLongFilename = 0x3707;
constexpr std::uint16_t AttachRendering = 0x3709;
constexpr std::uint16_t RenderingPosition = 0x370B;
constexpr std::uint16_t AttachMimeTag = 0x370E;
constexpr std::uint16_t AttachFlags = 0x3714;
constexpr std::uint16_t AttachmentLinkId = 0x7FFA;
constexpr std::uint16_t ExceptionStartTime = 0x7FFB;
constexpr std::uint16_t ExceptionEndTime = 0x7FFC;
constexpr std::uint16_t AttachmentFlags = 0x7FFD;
constexpr std::uint16_t AttachmentHidden = 0x7FFE;
constexpr std::uint16_t AttachmentContactPhoto = 0x7FFF;
}  // namespace vcard::tag

namespace vcard::lid {
// PSETID_Address.
constexpr std::uint32_t FileUnder = 0x8005;
constexpr std::uint32_t FileUnderId = 0x8006;
constexpr std::uint32_t ContactItemData = 0x8007;
constexpr std::uint32_t HasPicture = 0x8015;
constexpr std::uint32_t HomeAddress = 0x801A;
constexpr std::uint32_t WorkAddress = 0x801B;
constexpr std::uint32_t OtherAddress = 0x801C;
constexpr std::uint32_t PostalAddressId = 0x8022;
constexpr std::uint32_t ContactCharacterSet = 0x8023;
constexpr std::uint32_t AutoLog = 0x8025;
constexpr std::uint32_t FileUnderList = 0x8026;
// Undocumented: the LIDs of the three e-mail display names, on every contact Outlook makes.
constexpr std::uint32_t EmailDisplayNameList = 0x8027;
constexpr std::uint32_t AddressBookProviderEmailList = 0x8028;
constexpr std::uint32_t AddressBookProviderArrayType = 0x8029;
constexpr std::uint32_t Html = 0x802B;
constexpr std::uint32_t YomiFirstName = 0x802C;
constexpr std::uint32_t YomiLastName = 0x802D;
constexpr std::uint32_t YomiCompanyName = 0x802E;
constexpr std::uint32_t WorkAddressStreet = 0x8045;
constexpr std::uint32_t WorkAddressCity = 0x8046;
constexpr std::uint32_t WorkAddressState = 0x8047;
constexpr std::uint32_t WorkAddressPostalCode = 0x8048;
constexpr std::uint32_t WorkAddressCountry = 0x8049;
constexpr std::uint32_t WorkAddressPostOfficeBox = 0x804A;
constexpr std::uint32_t InstantMessagingAddress = 0x8062;
// E-mail slot n (1..3): base + kEmailSlotStep * (n - 1).
constexpr std::uint32_t kEmailSlotStep = 0x10;
constexpr std::uint32_t Email1DisplayName = 0x8080;
constexpr std::uint32_t Email1AddressType = 0x8082;
constexpr std::uint32_t Email1EmailAddress = 0x8083;
constexpr std::uint32_t Email1OriginalDisplayName = 0x8084;
constexpr std::uint32_t Email1OriginalEntryId = 0x8085;
// Fax slot n (1 business, 2 home, 3 primary): base + kFaxSlotStep * (n - 1).
constexpr std::uint32_t kFaxSlotStep = 0x10;
constexpr std::uint32_t Fax1AddressType = 0x80B2;
constexpr std::uint32_t Fax1EmailAddress = 0x80B3;
constexpr std::uint32_t Fax1OriginalDisplayName = 0x80B4;
constexpr std::uint32_t Fax1OriginalEntryId = 0x80B5;
constexpr std::uint32_t UserX509Certificate = 0x80D9;
constexpr std::uint32_t HomeAddressCountryCode = 0x80DA;
constexpr std::uint32_t WorkAddressCountryCode = 0x80DB;
constexpr std::uint32_t OtherAddressCountryCode = 0x80DC;
constexpr std::uint32_t AddressCountryCode = 0x80DD;
constexpr std::uint32_t BirthdayLocal = 0x80DE;
constexpr std::uint32_t WeddingAnniversaryLocal = 0x80DF;
// PSETID_Common.
constexpr std::uint32_t ReminderDelta = 0x8501;
constexpr std::uint32_t ReminderSet = 0x8503;
constexpr std::uint32_t Private = 0x8506;
constexpr std::uint32_t AgingDontAgeMe = 0x850E;
constexpr std::uint32_t SideEffects = 0x8510;
constexpr std::uint32_t SmartNoAttach = 0x8514;
constexpr std::uint32_t TaskMode = 0x8518;
constexpr std::uint32_t CurrentVersion = 0x8552;
constexpr std::uint32_t CurrentVersionName = 0x8554;
}  // namespace vcard::lid

namespace vcard::value {
// PidLidFileUnderId: how PidLidFileUnder is composed from the names.
constexpr std::int32_t FileAsDisplayName = tag::DisplayName;
constexpr std::int32_t FileAsCompany = tag::CompanyName;
constexpr std::int32_t FileAsSurnameCommaGivenMiddle = 0x8017;             // "Doe, Jane Q."
constexpr std::int32_t FileAsCompanyThenSurnameCommaGivenMiddle = 0x8018;  // "Contoso\r\nDoe, Jane Q."
constexpr std::int32_t FileAsSurnameCommaGivenMiddleThenCompany = 0x8019;  // "Doe, Jane Q.\r\nContoso"
constexpr std::int32_t FileAsGivenMiddleSurnameGeneration = 0x8037;       // "Jane Q. Doe Jr."
constexpr std::int32_t FileAsOwnText = -1;  // 0xFFFFFFFF: a text that follows none of the rules

// PidTagSensitivity.
constexpr std::int32_t SensitivityNormal = 0;
constexpr std::int32_t SensitivityPrivate = 2;
constexpr std::int32_t SensitivityConfidential = 3;

// PidTagGender.
constexpr std::int16_t GenderUnspecified = 0;
constexpr std::int16_t GenderFemale = 1;
constexpr std::int16_t GenderMale = 2;

// PidLidPostalAddressId and the first entry of PidLidContactItemData.
constexpr std::int32_t PostalAddressNone = 0;
constexpr std::int32_t PostalAddressHome = 1;
constexpr std::int32_t PostalAddressWork = 2;
constexpr std::int32_t PostalAddressOther = 3;

// PidLidAddressBookProviderEmailList entries; the bits of PidLidAddressBookProviderArrayType are 1 << entry.
constexpr std::int32_t ProviderEmail1 = 0;
constexpr std::int32_t ProviderBusinessFax = 3;

constexpr std::int32_t MessageFlagRead = 0x01;           // PidTagMessageFlags: MSGFLAG_READ
constexpr std::int32_t IconContact = 0x200;              // PidTagIconIndex of a contact
constexpr std::int32_t CodepageUtf8 = 65001;             // PidTagInternetCodepage
constexpr std::int32_t LocaleEnglishUnitedStates = 1033;  // PidTagMessageLocaleId
constexpr std::int32_t AttachByValue = 1;                // PidTagAttachMethod: afByValue
constexpr std::int32_t NotRenderedInBody = -1;           // PidTagRenderingPosition

// PidLidSideEffects flags.
constexpr std::int32_t SideEffectOpenToDelete = 0x0001;
constexpr std::int32_t SideEffectCoerceToInbox = 0x0010;
constexpr std::int32_t SideEffectOpenToMove = 0x0040;

// What Outlook 2013 writes on every contact: PidLidCurrentVersion and its
// name, and PidLidContactCharacterSet.
constexpr std::int32_t Outlook2013Version = 154420;
constexpr char16_t Outlook2013VersionName[] = u"15.0";
constexpr std::int32_t OutlookContactCharacterSet = 0x100;
}  // namespace vcard::value

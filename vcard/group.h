// Contact groups: a vCard 4.0 card of KIND:group with MEMBER properties
// (RFC 6350 6.1.4, 6.6.5), or a vCard 3.0 card of the address-book-server
// extension (X-ADDRESSBOOKSERVER-KIND:group, X-ADDRESSBOOKSERVER-MEMBER).
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vcard/card.h"
#include "vcard/contact.h"

namespace vcard {

bool isGroup(const Card& card);
// The member URIs of a group card as written, in order.
std::vector<std::u16string> groupMembers(const Card& card);

// The card's UID as members name it: without a leading "urn:uuid:", spaces
// trimmed, a UUID in lower case (UUIDs compare without case). Empty if none.
std::u16string uidKey(std::u16string_view uid);
std::u16string cardUidKey(const Card& card);

// The address of a "mailto:" member (query removed, %XX decoded), if it is one.
std::optional<std::u16string> mailtoAddress(std::u16string_view member);

// The first card of a file: the contact converted from it, the key of its
// UID, and for a group card its members.
struct ImportedCard {
  ContactItem contact;
  std::u16string uidKey;
  std::optional<std::vector<std::u16string>> members;  // set for a group card
};
ImportedCard toImportedCard(Card&& card);
// Throws Error naming the file when it cannot be read or holds no vCard.
ImportedCard importCard(const std::filesystem::path& path);

}  // namespace vcard

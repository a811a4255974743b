// Contact groups: recognising group cards, their members and the UIDs members name.
#include "vcard/group.h"

#include "vcard/text.h"

namespace vcard {

namespace {

bool isGroupKind(const CardProperty& p) {
  if (p.name != "KIND" && p.name != "X-ADDRESSBOOKSERVER-KIND") return false;
  const std::string value = detail::toUtf8(p.text());
  std::string_view v = value;
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return detail::equalsNoCase(v, "group");
}

std::u16string_view trimmed(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

bool startsWithNoCase(std::u16string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<unsigned char>(prefix[i])) return false;
  }
  return true;
}

bool isHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return c - u'A' + 10;
}

// 8-4-4-4-12 hexadecimal digits.
bool isUuid(std::u16string_view s) {
  if (s.size() != 36) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? s[i] != u'-' : !isHex(s[i])) return false;
  }
  return true;
}

}  // namespace

bool isGroup(const Card& card) {
  for (const CardProperty& p : card.properties)
    if (isGroupKind(p)) return true;
  return false;
}

std::vector<std::u16string> groupMembers(const Card& card) {
  std::vector<std::u16string> members;
  for (const CardProperty& p : card.properties) {
    if (p.name != "MEMBER" && p.name != "X-ADDRESSBOOKSERVER-MEMBER") continue;
    const std::u16string value = p.text();
    const std::u16string_view member = trimmed(value);
    if (!member.empty()) members.emplace_back(member);
  }
  return members;
}

std::u16string uidKey(std::u16string_view uid) {
  uid = trimmed(uid);
  if (startsWithNoCase(uid, "urn:uuid:")) uid = trimmed(uid.substr(9));
  std::u16string key(uid);
  if (isUuid(key)) {
    for (char16_t& c : key)
      if (c >= u'A' && c <= u'F') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return key;
}

std::u16string cardUidKey(const Card& card) {
  const CardProperty* uid = card.find("UID");
  return uid ? uidKey(uid->text()) : std::u16string();
}

std::optional<std::u16string> mailtoAddress(std::u16string_view member) {
  member = trimmed(member);
  if (!startsWithNoCase(member, "mailto:")) return std::nullopt;
  std::u16string_view rest = member.substr(7);
  if (const auto query = rest.find(u'?'); query != std::u16string_view::npos) rest = rest.substr(0, query);
  // %XX escapes are UTF-8 bytes.
  std::string bytes;
  std::size_t plain = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != u'%' || i + 2 >= rest.size() || !isHex(rest[i + 1]) || !isHex(rest[i + 2])) continue;
    bytes += detail::toUtf8(rest.substr(plain, i - plain));
    bytes.push_back(static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])));
    i += 2;
    plain = i + 1;
  }
  bytes += detail::toUtf8(rest.substr(plain));
  std::u16string address;
  detail::appendUtf8(bytes, address);
  const std::u16string_view address_view = trimmed(address);
  if (address_view.empty()) return std::nullopt;
  return std::u16string(address_view);
}

ImportedCard toImportedCard(Card&& card) {
  ImportedCard imported;
  imported.uidKey = cardUidKey(card);
  if (isGroup(card)) imported.members = groupMembers(card);
  imported.contact = toContact(std::move(card));
  return imported;
}

}  // namespace vcard

// Test helpers: parse a vCard given as text, read contact properties by key.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "vcard/contact.h"
#include "vcard/mapi.h"
#include "vcard/reader.h"
#include "vcard/text.h"

namespace vcard::test {

inline std::vector<Card> parse(std::string_view text) {
  return parseCards({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

inline Card one(std::string_view text) {
  auto cards = parse(text);
  EXPECT_EQ(cards.size(), 1u);
  return cards.empty() ? Card{} : cards.front();
}

inline ContactItem convert(std::string_view text) { return toContact(one(text)); }

inline PropertyKey addr(std::uint32_t lid) { return NamedId{PSETID_Address, lid}; }

// The property as UTF-8 text; "<absent>" when missing, "<type>" when not a string.
inline std::string str(const ContactItem& item, const PropertyKey& key) {
  const Value* v = item.find(key);
  if (!v) return "<absent>";
  if (const auto* s = std::get_if<std::u16string>(v)) return detail::toUtf8(*s);
  return "<type>";
}
inline std::string str(const ContactItem& item, std::uint16_t tagId) { return str(item, PropertyKey{tagId}); }

template <typename T>
inline std::optional<T> get(const ContactItem& item, const PropertyKey& key) {
  const Value* v = item.find(key);
  if (!v) return std::nullopt;
  if (const auto* x = std::get_if<T>(v)) return *x;
  return std::nullopt;
}

inline std::string utf8(std::u16string_view s) { return detail::toUtf8(s); }

}  // namespace vcard::test

// Helpers for the messaging tests.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace pst::test {

std::string hex(std::span<const std::uint8_t> bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (auto b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

std::string utf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string tagKey(ltp::PropTag tag) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", tag);
  return text;
}

std::string Json::quote(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace pst::test

namespace pst::test {

std::map<std::uint32_t, DumpNode> dumpNodes(const std::filesystem::path& pst) {
  auto read = quillonet::test_support::strictRead(pst);
  EXPECT_EQ(read.problems, "");
  return std::move(read.contents.nodes);
}

std::string shown(const DumpNode::Cells& cells, std::uint32_t tag) {
  auto it = cells.find(tag);
  return it == cells.end() ? "(absent)" : it->second;
}

}  // namespace pst::test

namespace pst::test {

Message simpleContact(const std::u16string& given, const std::u16string& surname) {
  using ltp::PropertyValue;
  const std::u16string display = given + u" " + surname;
  Message m;
  auto add = [&](PropertyKey key, PropertyValue value) { m.properties.push_back({std::move(key), std::move(value)}); };
  add(ltp::PropId{0x001A}, PropertyValue::string(u"IPM.Contact"));
  add(ltp::PropId{0x3001}, PropertyValue::string(display));
  add(ltp::PropId{0x0037}, PropertyValue::string(display));
  add(ltp::PropId{0x0E1D}, PropertyValue::string(display));
  add(ltp::PropId{0x3A06}, PropertyValue::string(given));
  add(ltp::PropId{0x3A11}, PropertyValue::string(surname));
  add(ltp::PropId{0x3A16}, PropertyValue::string(u"Example Ltd"));
  add(ltp::PropId{0x3A08}, PropertyValue::string(u"+1 555 0100"));
  add(NamedId{PSETID_Address, 0x8005}, PropertyValue::string(surname + u", " + given));
  add(NamedId{PSETID_Address, 0x8080}, PropertyValue::string(display));
  add(NamedId{PSETID_Address, 0x8082}, PropertyValue::string(u"SMTP"));
  add(NamedId{PSETID_Address, 0x8083}, PropertyValue::string(given + u"@example.com"));
  return m;
}

}  // namespace pst::test

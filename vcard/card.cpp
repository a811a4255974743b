// Raw vCard model: parameter queries and the version-dependent reading of text values.
#include "vcard/card.h"

#include <charconv>

#include "vcard/text.h"

namespace vcard {

namespace {

// Resolves the escapes of one piece of a value. vCard 2.1 has no comma
// escape outside lists and no "\n"; 3.0 and 4.0 know \\ \, \; \n and keep the
// character of an unknown escape.
std::u16string unescape(std::u16string_view s, Version version, bool commaIsEscapable) {
  if (s.find(u'\\') == std::u16string_view::npos) return std::u16string(s);
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c != u'\\' || i + 1 == s.size()) {
      out.push_back(c);
      continue;
    }
    const char16_t n = s[i + 1];
    if (version == Version::V21) {
      if (n == u';' || n == u'\\' || n == u':' || (n == u',' && commaIsEscapable)) {
        out.push_back(n);
        ++i;
      } else {
        out.push_back(c);
      }
      continue;
    }
    out.push_back(n == u'n' || n == u'N' ? u'\n' : n);
    ++i;
  }
  return out;
}

// Splits on a separator that is not preceded by a backslash escape.
std::vector<std::u16string_view> splitUnescaped(std::u16string_view s, char16_t sep) {
  std::vector<std::u16string_view> parts;
  parts.reserve(8);  // an address's seven parts without growing
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\\') {
      ++i;
    } else if (s[i] == sep) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(s.substr(start));
  return parts;
}

}  // namespace

bool CardProperty::hasParam(std::string_view name, std::string_view value) const {
  for (const Param& p : params)
    if (p.name == name && detail::equalsNoCase(p.value, value)) return true;
  return false;
}

std::optional<std::string_view> CardProperty::param(std::string_view name) const {
  for (const Param& p : params)
    if (p.name == name) return std::string_view(p.value);
  return std::nullopt;
}

std::vector<std::string> CardProperty::types() const {
  std::vector<std::string> out;
  for (const Param& p : params)
    if (p.name == "TYPE") out.push_back(p.value);
  return out;
}

int CardProperty::prefRank() const {
  int best = 0;
  for (const Param& p : params) {
    if (p.name == "PREF") {
      int n = 0;
      const auto [ptr, ec] = std::from_chars(p.value.data(), p.value.data() + p.value.size(), n);
      if (ec != std::errc() || n < 1) n = 1;
      if (n > 100) n = 100;
      if (best == 0 || n < best) best = n;
    } else if (p.name == "TYPE" && p.value == "PREF") {
      best = 1;
    }
  }
  return best;
}

std::u16string CardProperty::text() const {
  return unescape(value, version, version != Version::V21);
}

std::vector<std::vector<std::u16string>> CardProperty::structured() const {
  std::vector<std::vector<std::u16string>> out;
  const auto components = splitUnescaped(value, u';');
  out.reserve(components.size());
  for (std::u16string_view component : components) {
    std::vector<std::u16string> pieces;
    if (version == Version::V21) {
      pieces.push_back(unescape(component, version, false));
    } else {
      for (std::u16string_view piece : splitUnescaped(component, u','))
        pieces.push_back(unescape(piece, version, true));
    }
    out.push_back(std::move(pieces));
  }
  return out;
}

std::vector<std::u16string> CardProperty::components(std::u16string_view listSeparator) const {
  std::vector<std::u16string> out;
  const auto parts = splitUnescaped(value, u';');
  out.reserve(parts.size());
  for (std::u16string_view component : parts) {
    if (version == Version::V21) {
      out.push_back(unescape(component, version, false));
      continue;
    }
    std::u16string joined;
    const std::size_t n = component.size();
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
      if (i < n && component[i] == u'\\') {
        if (i + 1 < n) ++i;
        continue;
      }
      if (i < n && component[i] != u',') continue;
      if (start > 0) joined += listSeparator;
      joined += unescape(component.substr(start, i - start), version, true);
      if (i >= n) break;
      start = i + 1;
    }
    out.push_back(std::move(joined));
  }
  return out;
}

std::vector<std::u16string> CardProperty::list() const {
  std::vector<std::u16string> out;
  for (std::u16string_view piece : splitUnescaped(value, u','))
    out.push_back(unescape(piece, version, true));
  return out;
}

const CardProperty* Card::find(std::string_view name) const {
  for (const CardProperty& p : properties)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace vcard

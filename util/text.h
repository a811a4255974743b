// Text in the core: UTF-16 strings (std::u16string), the form the store,
// the vCard reader and both windows use, and paths in their lossless text
// form (see platform/native_path.h). These are the few routines the core
// needs beyond the standard library.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillonet::text {

// UTF-8 (literals, messages of the C library, vCard text) to UTF-16: each
// byte that is not part of a valid sequence becomes U+FFFD. AppendUtf8
// returns whether every sequence was valid.
std::u16string FromUtf8(std::string_view utf8);
bool AppendUtf8(std::string_view utf8, std::u16string& out);
bool IsValidUtf8(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Appends one code point's UTF-8 bytes.
void AppendCodePointUtf8(std::string& out, char32_t cp);

std::u16string Number(std::int64_t n);

// "%1".."%9" replaced by the arguments, each in one pass (an argument that
// holds "%2" is not expanded again); "%%" stays as it is. A missing argument
// leaves its marker.
std::u16string Format(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);

std::vector<std::u16string> Split(std::u16string_view s, std::u16string_view sep);
std::u16string Join(const std::vector<std::u16string>& parts, std::u16string_view sep);

// ASCII letters only: the core's case rules (".vcf", card markers) are ASCII.
std::u16string AsciiLower(std::u16string_view s);
bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b);
// Space, tab, CR and LF removed from both ends.
std::u16string Trimmed(std::u16string_view s);

inline bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.starts_with(prefix); }
inline bool EndsWith(std::u16string_view s, std::u16string_view suffix) { return s.ends_with(suffix); }

}  // namespace quillonet::text

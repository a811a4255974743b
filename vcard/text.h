// Byte-level decoders the reader uses: UTF-8/16, charsets, quoted-printable, base64, data: URIs.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vcard::detail {

// Appends the UTF-16 form of UTF-8 bytes; invalid sequences become U+FFFD.
// Returns false if any sequence was invalid.
bool appendUtf8(std::string_view bytes, std::u16string& out);
bool isValidUtf8(std::string_view bytes);
std::string toUtf8(std::u16string_view text);
// Windows-1252, the fallback for 8-bit text that is not UTF-8.
std::u16string fromWindows1252(std::string_view bytes);

// Re-encodes a UTF-16 byte stream (no BOM) as UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian);

// Turns property bytes into text by a CHARSET name (any name the platform
// knows: ICU's on Linux, a table of code pages on Windows), or,
// with no name, as UTF-8 with a Windows-1252 fallback for invalid bytes.
// Keeps one converter per charset for the life of the object.
class TextDecoder {
 public:
  TextDecoder();
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  std::u16string decode(std::string_view bytes, std::string_view charset);

 private:
  struct Converters;
  std::unique_ptr<Converters> converters_;
};

// "=XX" to bytes; a '=' not followed by two hex digits stays as it is.
std::string decodeQuotedPrintable(std::string_view text);
// Skips whitespace and any non-alphabet byte, tolerates missing padding,
// accepts the URL-safe alphabet too.
std::vector<std::uint8_t> decodeBase64(std::string_view text);
// "data:[<mediatype>][;base64],<data>"; false if the text is not a data: URI.
bool decodeDataUri(std::string_view uri, std::vector<std::uint8_t>& data, std::string& mediaType);

bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
std::string upper(std::string_view text);

// Text values: space, tab, CR and LF are blanks; case folds ASCII letters only.
bool isBlank(char16_t c);
std::u16string trimmed(std::u16string_view s);
std::u16string trimmed(std::u16string&& s);  // in place, for a string that is the caller's to give
std::u16string trimmed(const std::u16string& s);
// The non-empty parts joined by sep.
std::u16string join(const std::vector<std::u16string>& parts, std::u16string_view sep);
// Line breaks of any kind as CRLF, the form Outlook shows as multi-line.
std::u16string crlf(std::u16string_view s);
std::u16string crlf(std::u16string&& s);  // the same string when it holds no line break
std::u16string lowerAscii(std::u16string_view s);
std::u16string lowerAscii(std::u16string&& s);  // in place
std::u16string upperAscii(std::u16string_view s);
std::u16string upperAscii(std::u16string&& s);  // in place
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
// The trimmed text after the first of the schemes it starts with ("mailto:", "tel:"), any case.
std::u16string withoutScheme(std::u16string_view value, std::initializer_list<std::u16string_view> schemes);

}  // namespace vcard::detail

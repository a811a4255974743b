// Byte-level decoders: UTF-8/16, named charsets, quoted-printable, base64, data: URIs.
#include "vcard/text.h"

#include <array>

#include "platform/charset.h"
#include "util/text.h"

namespace vcard::detail {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::u16string autoDecode(std::string_view bytes) {
  std::u16string out;
  if (isAscii(bytes)) {
    out.assign(bytes.begin(), bytes.end());
    return out;
  }
  if (isValidUtf8(bytes)) {
    appendUtf8(bytes, out);
    return out;
  }
  return fromWindows1252(bytes);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr std::array<std::int8_t, 256> makeBase64Table() {
  std::array<std::int8_t, 256> t{};
  for (auto& v : t) v = -1;
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
  t['-'] = 62;
  t['_'] = 63;
  return t;
}
constexpr auto kBase64 = makeBase64Table();

}  // namespace

bool appendUtf8(std::string_view bytes, std::u16string& out) { return quillonet::text::AppendUtf8(bytes, out); }

bool isValidUtf8(std::string_view bytes) { return quillonet::text::IsValidUtf8(bytes); }

std::string toUtf8(std::u16string_view text) { return quillonet::text::ToUtf8(text); }

std::u16string fromWindows1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

std::string utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) -> char16_t {
    const std::uint8_t a = bytes[2 * k], b = bytes[2 * k + 1];
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  for (std::size_t k = 0; k < units; ++k) {
    char32_t cp = unit(k);
    if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 &&
        unit(k + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
      ++k;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    quillonet::text::AppendCodePointUtf8(out, cp);
  }
  return out;
}

struct TextDecoder::Converters {
  // nullptr: a name the converters do not know.
  std::map<std::string, std::unique_ptr<quillonet::platform::CharsetDecoder>> byName;
};

TextDecoder::TextDecoder() : converters_(std::make_unique<Converters>()) {}
TextDecoder::~TextDecoder() = default;

namespace {

// Charsets whose text is all 7-bit bytes, told apart by escapes or shifts:
// for these, ASCII bytes are not ASCII text.
bool isSevenBitStateful(std::string_view upperName) {
  return upperName.starts_with("ISO-2022") || upperName.starts_with("ISO2022") ||
         upperName.starts_with("CSISO2022") || upperName == "UTF-7" || upperName == "UTF7" ||
         upperName == "HZ-GB-2312" || upperName == "HZ";
}

}  // namespace

std::u16string TextDecoder::decode(std::string_view bytes, std::string_view charset) {
  const bool ascii = isAscii(bytes);
  if (ascii && charset.empty()) return std::u16string(bytes.begin(), bytes.end());
  const std::string name = upper(charset);
  if (ascii && !isSevenBitStateful(name)) return std::u16string(bytes.begin(), bytes.end());
  // UTF-8 and the ASCII names get the automatic path: a file mislabelled as
  // ASCII or UTF-8 that holds Windows-1252 text still reads right.
  if (name.empty() || name == "UTF-8" || name == "UTF8" || name == "US-ASCII" ||
      name == "ASCII" || name.size() > 40)
    return autoDecode(bytes);

  constexpr std::size_t kMaxCached = 32;
  std::unique_ptr<quillonet::platform::CharsetDecoder> local;
  quillonet::platform::CharsetDecoder* decoder;
  auto it = converters_->byName.find(name);
  if (it != converters_->byName.end()) {
    decoder = it->second.get();
  } else {
    auto made = quillonet::platform::CharsetDecoder::Open(name);
    decoder = made.get();
    if (converters_->byName.size() < kMaxCached)
      converters_->byName.emplace(name, std::move(made));
    else
      local = std::move(made);
  }
  if (decoder == nullptr) return autoDecode(bytes);  // unknown charset

  std::u16string out;
  if (!decoder->Decode(bytes, out) && isValidUtf8(bytes)) {
    out.clear();
    appendUtf8(bytes, out);
  }
  return out;
}

std::string decodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
        hexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<std::uint8_t> decodeBase64(std::string_view text) {
  std::vector<std::uint8_t> out(text.size() / 4 * 3 + 3);
  std::uint8_t* put = out.data();
  std::uint32_t acc = 0;
  int bits = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    // Four alphabet characters at a byte boundary are three bytes; anything
    // else (padding, white space, a stray character) goes one at a time.
    if (bits == 0 && end - p >= 4) {
      const int a = kBase64[p[0]], b = kBase64[p[1]], c = kBase64[p[2]], d = kBase64[p[3]];
      if ((a | b | c | d) >= 0) {
        const std::uint32_t v = (std::uint32_t(a) << 18) | (std::uint32_t(b) << 12) | (std::uint32_t(c) << 6) |
                                std::uint32_t(d);
        put[0] = static_cast<std::uint8_t>(v >> 16);
        put[1] = static_cast<std::uint8_t>(v >> 8);
        put[2] = static_cast<std::uint8_t>(v);
        put += 3;
        p += 4;
        continue;
      }
    }
    const int v = kBase64[*p++];
    if (v < 0) continue;
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      *put++ = static_cast<std::uint8_t>(acc >> bits);
      acc &= (1u << bits) - 1;
    }
  }
  out.resize(static_cast<std::size_t>(put - out.data()));
  return out;
}

bool decodeDataUri(std::string_view uri, std::vector<std::uint8_t>& data, std::string& mediaType) {
  if (!startsWithNoCase(uri, "data:")) return false;
  const std::size_t comma = uri.find(',');
  if (comma == std::string_view::npos) return false;
  std::string_view header = uri.substr(5, comma - 5);
  const std::string_view payload = uri.substr(comma + 1);
  bool base64 = false;
  if (header.size() >= 7 && equalsNoCase(header.substr(header.size() - 7), ";base64")) {
    base64 = true;
    header.remove_suffix(7);
  }
  std::string_view type = header.substr(0, header.find(';'));
  while (!type.empty() && type.front() == ' ') type.remove_prefix(1);
  mediaType.clear();
  for (char c : type)
    mediaType.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  if (base64) {
    data = decodeBase64(payload);
  } else {
    data.clear();
    data.reserve(payload.size());
    for (std::size_t i = 0; i < payload.size(); ++i) {
      if (payload[i] == '%' && i + 2 < payload.size() && hexDigit(payload[i + 1]) >= 0 &&
          hexDigit(payload[i + 2]) >= 0) {
        data.push_back(static_cast<std::uint8_t>(hexDigit(payload[i + 1]) * 16 + hexDigit(payload[i + 2])));
        i += 2;
      } else {
        data.push_back(static_cast<std::uint8_t>(payload[i]));
      }
    }
  }
  return true;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string trimmed(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return std::u16string(s);
}

std::u16string trimmed(std::u16string&& s) {
  std::size_t end = s.size();
  while (end > 0 && isBlank(s[end - 1])) --end;
  s.resize(end);
  std::size_t begin = 0;
  while (begin < s.size() && isBlank(s[begin])) ++begin;
  if (begin > 0) s.erase(0, begin);
  return std::move(s);
}

std::u16string trimmed(const std::u16string& s) { return trimmed(std::u16string_view(s)); }

std::u16string join(const std::vector<std::u16string>& parts, std::u16string_view sep) {
  std::u16string out;
  for (const auto& p : parts) {
    if (p.empty()) continue;
    if (!out.empty()) out += sep;
    out += p;
  }
  return out;
}

std::u16string crlf(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      out += u"\r\n";
    } else if (s[i] == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::u16string crlf(std::u16string&& s) {
  if (s.find_first_of(u"\r\n") == std::u16string::npos) return std::move(s);
  return crlf(std::u16string_view(s));
}

std::u16string lowerAscii(std::u16string_view s) { return lowerAscii(std::u16string(s)); }

std::u16string lowerAscii(std::u16string&& s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return std::move(s);
}

std::u16string upperAscii(std::u16string_view s) { return upperAscii(std::u16string(s)); }

std::u16string upperAscii(std::u16string&& s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return std::move(s);
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::u16string withoutScheme(std::u16string_view value, std::initializer_list<std::u16string_view> schemes) {
  for (std::u16string_view scheme : schemes)
    if (value.size() >= scheme.size() && equalsNoCase(value.substr(0, scheme.size()), scheme))
      return trimmed(value.substr(scheme.size()));
  return trimmed(value);
}

}  // namespace vcard::detail

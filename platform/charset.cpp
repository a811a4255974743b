// ICU's converters on POSIX; MultiByteToWideChar and a table of names to code
// pages on Windows; UTF-16 decoded here on both.
#include "platform/charset.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <array>
#else
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#endif

namespace quillonet::platform {
namespace {

// Lower case, letters and digits only: "Shift_JIS", "shift-jis" and
// "SHIFTJIS" are one name, as charset names are matched elsewhere too.
std::string Folded(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') out.push_back(static_cast<char>(c - 'A' + 'a'));
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out.push_back(c);
  }
  return out;
}

// UTF-16 in the given byte order; "UTF-16" reads a byte-order mark and
// without one takes little-endian, the order of the machines that write it
// (and the order these names have always been read in here).
class Utf16Decoder final : public CharsetDecoder {
 public:
  enum class Order { BigEndian, LittleEndian, ByMark };
  explicit Utf16Decoder(Order order) : order_(order) {}

  bool Decode(std::string_view bytes, std::u16string& out) override {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool bigEndian = order_ == Order::BigEndian;
    std::size_t i = 0;
    if (order_ == Order::ByMark && bytes.size() >= 2) {
      if (byte(0) == 0xFF && byte(1) == 0xFE) bigEndian = false, i = 2;
      else if (byte(0) == 0xFE && byte(1) == 0xFF) bigEndian = true, i = 2;
    }
    const auto unit = [&](std::size_t k) {
      return static_cast<char16_t>(bigEndian ? byte(k) << 8 | byte(k + 1) : byte(k + 1) << 8 | byte(k));
    };
    bool valid = true;
    for (; i + 1 < bytes.size(); i += 2) {
      const char16_t u = unit(i);
      if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
        out.push_back(u);
        out.push_back(unit(i + 2));
        i += 2;
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        out.push_back(u'\xFFFD');
        valid = false;
      } else {
        out.push_back(u);
      }
    }
    if (i < bytes.size()) {
      out.push_back(u'\xFFFD');
      valid = false;
    }
    return valid;
  }

 private:
  Order order_;
};

#ifdef _WIN32

struct Alias {
  std::string_view folded;
  unsigned codePage;
  // Where the system lacks codePage: the code page it extends (GB18030's
  // two-byte part is GBK), so most text still reads right.
  unsigned orElse = 0;
};

// Every code page appears under its IANA name, its common aliases and the
// names Windows and mail programs write. Sorted by name for the lookup.
constexpr auto kAliases = std::to_array<Alias>({
    {"437", 437},
    {"850", 850},
    {"866", 866},
    {"ansix341968", 20127},
    {"ascii", 20127},
    {"big5", 950},
    {"cp1250", 1250},
    {"cp1251", 1251},
    {"cp1252", 1252},
    {"cp1253", 1253},
    {"cp1254", 1254},
    {"cp1255", 1255},
    {"cp1256", 1256},
    {"cp1257", 1257},
    {"cp1258", 1258},
    {"cp437", 437},
    {"cp850", 850},
    {"cp852", 852},
    {"cp866", 866},
    {"cp874", 874},
    {"cp932", 932},
    {"cp936", 936},
    {"cp949", 949},
    {"cp950", 950},
    {"csbig5", 950},
    {"cseuckr", 949},
    {"csgb2312", 936},
    {"csibm866", 866},
    {"csiso2022jp", 50220},
    {"csisolatin1", 28591},
    {"csisolatin2", 28592},
    {"csisolatin3", 28593},
    {"csisolatin4", 28594},
    {"csisolatin5", 28599},
    {"csisolatinarabic", 28596},
    {"csisolatincyrillic", 28595},
    {"csisolatingreek", 28597},
    {"csisolatinhebrew", 28598},
    {"cskoi8r", 20866},
    {"csmacintosh", 10000},
    {"csshiftjis", 932},
    {"cswindows31j", 932},
    {"cyrillic", 28595},
    {"euccn", 936},
    {"eucjp", 20932},
    {"euckr", 949},
    {"gb18030", 54936, 936},
    {"gb2312", 936},
    {"gbk", 936},
    {"greek", 28597},
    {"hebrew", 28598},
    {"ibm437", 437},
    {"ibm850", 850},
    {"ibm852", 852},
    {"ibm866", 866},
    {"iso2022jp", 50220},
    {"iso2022kr", 50225},
    {"iso646us", 20127},
    {"iso88591", 28591},
    {"iso885913", 28603},
    {"iso885915", 28605},
    {"iso88592", 28592},
    {"iso88593", 28593},
    {"iso88594", 28594},
    {"iso88595", 28595},
    {"iso88596", 28596},
    {"iso88597", 28597},
    {"iso88598", 28598},
    {"iso88598i", 38598, 28598},
    {"iso88599", 28599},
    {"koi8r", 20866},
    {"koi8u", 21866},
    {"ksc56011987", 949},
    {"l1", 28591},
    {"l2", 28592},
    {"latin1", 28591},
    {"latin2", 28592},
    {"latin9", 28605},
    {"mac", 10000},
    {"macintosh", 10000},
    {"mskanji", 932},
    {"shiftjis", 932},
    {"sjis", 932},
    {"tis620", 874},
    {"usascii", 20127},
    {"utf7", 65000},
    {"windows1250", 1250},
    {"windows1251", 1251},
    {"windows1252", 1252},
    {"windows1253", 1253},
    {"windows1254", 1254},
    {"windows1255", 1255},
    {"windows1256", 1256},
    {"windows1257", 1257},
    {"windows1258", 1258},
    {"windows31j", 932},
    {"windows874", 874},
    {"windows936", 936},
    {"xmaccyrillic", 10007},
    {"xmacroman", 10000},
    {"xsjis", 932},
});

constexpr bool SortedByName() {
  for (std::size_t i = 1; i < kAliases.size(); ++i)
    if (!(kAliases[i - 1].folded < kAliases[i].folded)) return false;
  return true;
}
static_assert(SortedByName(), "the alias table must stay sorted for the binary search");

// Code pages whose conversion takes no flags (MB_ERR_INVALID_CHARS included).
bool TakesNoFlags(unsigned codePage) {
  return codePage == 42 || codePage == 65000 || (codePage >= 50220 && codePage <= 50229) ||
         codePage == 52936 || codePage == 54936 || (codePage >= 57002 && codePage <= 57011);
}

class CodePageDecoder final : public CharsetDecoder {
 public:
  explicit CodePageDecoder(unsigned codePage) : codePage_(codePage) {}

  bool Decode(std::string_view bytes, std::u16string& out) override {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    bool valid = true;
    int units = 0;
    if (!TakesNoFlags(codePage_)) {
      units = ::MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
      valid = units > 0;
    }
    const DWORD flags = 0;
    if (units <= 0) units = ::MultiByteToWideChar(codePage_, flags, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
      out.append(1, u'\xFFFD');
      return false;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(units));
    ::MultiByteToWideChar(codePage_, flags, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data() + start),
                          units);
    return valid;
  }

 private:
  unsigned codePage_;
};

#else

// Substitutes as ICU does and notes that it had to.
void NoteSubstitution(const void* context, UConverterToUnicodeArgs* args, const char* bytes, int32_t length,
                      UConverterCallbackReason reason, UErrorCode* error) {
  if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
  UCNV_TO_U_CALLBACK_SUBSTITUTE(nullptr, args, bytes, length, reason, error);
}

class IcuDecoder final : public CharsetDecoder {
 public:
  explicit IcuDecoder(UConverter* converter) : converter_(converter) {
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter_, NoteSubstitution, &substituted_, nullptr, nullptr, &error);
  }
  ~IcuDecoder() override { ucnv_close(converter_); }

  bool Decode(std::string_view bytes, std::u16string& out) override {
    ucnv_resetToUnicode(converter_);
    substituted_ = false;
    const std::size_t start = out.size();
    // Every byte gives at most two UTF-16 units (a supplementary character
    // takes at least two bytes in any charset ICU knows, but a byte may
    // become a surrogate pair in a few stateful ones); grow if not enough.
    std::size_t room = bytes.size() * 2 + 16;
    const char* source = bytes.data();
    const char* const sourceEnd = bytes.data() + bytes.size();
    std::size_t written = 0;
    for (;;) {
      out.resize(start + room);
      UChar* target = reinterpret_cast<UChar*>(out.data() + start + written);
      UChar* const targetEnd = reinterpret_cast<UChar*>(out.data() + start + room);
      UErrorCode error = U_ZERO_ERROR;
      ucnv_toUnicode(converter_, &target, targetEnd, &source, sourceEnd, nullptr, true, &error);
      written = static_cast<std::size_t>(target - reinterpret_cast<UChar*>(out.data() + start));
      if (error == U_BUFFER_OVERFLOW_ERROR) {
        room *= 2;
        continue;
      }
      if (U_FAILURE(error)) {
        out.resize(start + written);
        out.push_back(u'\xFFFD');
        return false;
      }
      break;
    }
    out.resize(start + written);
    return !substituted_;
  }

 private:
  UConverter* converter_;
  bool substituted_ = false;
};

#endif

}  // namespace

std::unique_ptr<CharsetDecoder> CharsetDecoder::Open(std::string_view name) {
  const std::string folded = Folded(name);
  if (folded == "utf16") return std::make_unique<Utf16Decoder>(Utf16Decoder::Order::ByMark);
  if (folded == "utf16be") return std::make_unique<Utf16Decoder>(Utf16Decoder::Order::BigEndian);
  if (folded == "utf16le") return std::make_unique<Utf16Decoder>(Utf16Decoder::Order::LittleEndian);
#ifdef _WIN32
  if (folded == "utf8") return std::make_unique<CodePageDecoder>(CP_UTF8);
  const auto it = std::lower_bound(kAliases.begin(), kAliases.end(), folded,
                                   [](const Alias& a, const std::string& key) { return a.folded < key; });
  if (it == kAliases.end() || it->folded != folded) return nullptr;
  if (::IsValidCodePage(it->codePage)) return std::make_unique<CodePageDecoder>(it->codePage);
  if (it->orElse != 0 && ::IsValidCodePage(it->orElse)) return std::make_unique<CodePageDecoder>(it->orElse);
  return nullptr;
#else
  const std::string terminated(name);
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(terminated.c_str(), &error);
  if (U_FAILURE(error) || converter == nullptr) return nullptr;
  return std::make_unique<IcuDecoder>(converter);
#endif
}

}  // namespace quillonet::platform

// How a vCard file's text is stored, decided once from its first bytes, for
// every reader of the file: the card count, the splitter and the vCard reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace vcard {

enum class TextEncoding {
  Bytes,    // 8-bit text (UTF-8 or a legacy charset, decoded per property), no mark
  Utf8Bom,  // the same, led by the UTF-8 byte-order mark
  Utf16LE,  // UTF-16, little-endian, with or without its mark
  Utf16BE,  // UTF-16, big-endian, with or without its mark
};

struct TextForm {
  TextEncoding encoding = TextEncoding::Bytes;
  std::size_t markSize = 0;  // bytes of the byte-order mark that leads the file
};

// The decision looks at no more than this many leading bytes.
inline constexpr std::size_t kTextFormProbe = 1024;

// The form of a file from its first bytes (all of them when it is shorter
// than kTextFormProbe). UTF-16 without a mark is known by its zero bytes:
// vCard text is mostly ASCII, so every other byte is zero.
TextForm detectTextForm(std::span<const std::uint8_t> head);

// Code units of a byte-order mark at the start of a line, 0 when there is
// none. Exports joined into one file carry one mark per part: U+FEFF in UTF-16
// text, its three UTF-8 bytes in 8-bit text (units that are bytes, or the
// Latin-1 characters that stand for them).
template <class Unit>
std::size_t lineMarkSize(std::basic_string_view<Unit> line, TextEncoding encoding) {
  const auto at = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Unit>>(line[i]));
  };
  if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
    return !line.empty() && at(0) == 0xFEFF ? 1 : 0;
  return line.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF ? 3 : 0;
}

}  // namespace vcard

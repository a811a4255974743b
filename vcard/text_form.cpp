// detectTextForm: byte-order marks, and UTF-16 without one by its zero bytes.
#include "vcard/text_form.h"

#include <algorithm>

namespace vcard {

TextForm detectTextForm(std::span<const std::uint8_t> head) {
  if (head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return {TextEncoding::Utf8Bom, 3};
  if (head.size() >= 2 && head[0] == 0xFF && head[1] == 0xFE) return {TextEncoding::Utf16LE, 2};
  if (head.size() >= 2 && head[0] == 0xFE && head[1] == 0xFF) return {TextEncoding::Utf16BE, 2};
  // Without a mark: zeros in at least 30 % of the odd (LE) or even (BE)
  // bytes and in hardly any of the others.
  const std::size_t n = std::min(head.size(), kTextFormProbe) & ~std::size_t{1};
  if (n < 8) return {};
  std::size_t zeroEven = 0, zeroOdd = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (head[i] == 0) (i % 2 ? zeroOdd : zeroEven)++;
  const std::size_t pairs = n / 2;
  if (zeroOdd * 10 >= pairs * 3 && zeroEven * 20 <= pairs) return {TextEncoding::Utf16LE, 0};
  if (zeroEven * 10 >= pairs * 3 && zeroOdd * 20 <= pairs) return {TextEncoding::Utf16BE, 0};
  return {};
}

}  // namespace vcard

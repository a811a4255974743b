// One-off EntryID bytes.
#include "vcard/entry_id.h"

#include "vcard/bytes.h"

namespace vcard {

namespace {

constexpr std::uint8_t kOneOffProvider[16] = {0x81, 0x2B, 0x1F, 0xA4, 0xBE, 0xA3, 0x10, 0x19,
                                              0x9D, 0x6E, 0x00, 0xDD, 0x01, 0x0F, 0x54, 0x02};
constexpr std::uint16_t kUnicode = 0x8000;
constexpr std::uint16_t kNoRichInfo = 0x0001;

using detail::appendLe16;

void putString(std::vector<std::uint8_t>& out, std::u16string_view s) {
  for (char16_t c : s) appendLe16(out, c);
  appendLe16(out, 0);
}

}  // namespace

std::vector<std::uint8_t> oneOffEntryId(std::u16string_view displayName, std::u16string_view addressType,
                                        std::u16string_view address) {
  std::vector<std::uint8_t> out;
  out.reserve(24 + 2 * (displayName.size() + addressType.size() + address.size() + 3));
  for (int i = 0; i < 4; ++i) out.push_back(0);  // flags: a long-term id
  for (std::uint8_t b : kOneOffProvider) out.push_back(b);
  appendLe16(out, 0);  // version
  appendLe16(out, kUnicode | kNoRichInfo);
  putString(out, displayName);
  putString(out, addressType);
  putString(out, address);
  return out;
}

}  // namespace vcard

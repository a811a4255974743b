// One-off EntryID (MS-OXCDATA 2.2.5.1): a recipient address that lives in no address book.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace vcard {

// Unicode one-off entry id with the "no rich info" flag.
std::vector<std::uint8_t> oneOffEntryId(std::u16string_view displayName, std::u16string_view addressType,
                                        std::u16string_view address);

}  // namespace vcard

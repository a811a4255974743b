// libFuzzer target: any bytes through the vCard reader and the contact conversion.
#include <cstddef>
#include <cstdint>

#include "vcard/contact.h"
#include "vcard/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<vcard::Card> cards = vcard::parseCards({data, size});
  for (const vcard::Card& card : cards) {
    const vcard::ContactItem item = vcard::toContact(card);
    if (item.properties.empty()) __builtin_trap();  // the message class is always there
  }
  return 0;
}

// libFuzzer target: any bytes through the vCard reader, the contact conversion
// and the reading of contact groups.
#include <cstddef>
#include <cstdint>

#include "vcard/contact.h"
#include "vcard/group.h"
#include "vcard/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<vcard::Card> cards = vcard::parseCards({data, size});
  for (const vcard::Card& card : cards) {
    const vcard::ContactItem item = vcard::toContact(card);
    if (item.properties.empty()) __builtin_trap();  // the message class is always there
    for (const std::u16string& member : vcard::groupMembers(card)) {
      (void)vcard::uidKey(member);
      if (const auto address = vcard::mailtoAddress(member); address && address->empty()) __builtin_trap();
    }
  }
  return 0;
}

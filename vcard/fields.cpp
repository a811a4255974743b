// The key each field of a contact is stored under.
#include "vcard/fields.h"

#include <iterator>

namespace vcard {

namespace {

enum class KeyKind : std::uint8_t { Tag, Address, Common, Keywords };
struct FieldKey {
  KeyKind kind;
  std::uint32_t id;
};
constexpr FieldKey kFieldKeys[] = {
#define VCARD_FIELD_KEY(name, kind, id) {KeyKind::kind, id},
    VCARD_CONTACT_FIELDS(VCARD_FIELD_KEY)
#undef VCARD_FIELD_KEY
};
static_assert(std::size(kFieldKeys) == static_cast<std::size_t>(kFieldCount));

}  // namespace

PropertyKey keyOf(Field field) {
  const FieldKey& k = kFieldKeys[static_cast<int>(field)];
  switch (k.kind) {
    case KeyKind::Tag: return static_cast<std::uint16_t>(k.id);
    case KeyKind::Address: return NamedId{PSETID_Address, k.id};
    case KeyKind::Common: return NamedId{PSETID_Common, k.id};
    case KeyKind::Keywords: break;
  }
  return NamedString{PS_PUBLIC_STRINGS, u"Keywords"};
}

}  // namespace vcard

// ToMessage: property keys and typed values from one library to the other.
#include "automation/contact_message.h"

#include <type_traits>

namespace quillonet::automation {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

pst::PropertyKey ToKey(const vcard::PropertyKey& key) {
  return std::visit(Overloaded{
                        [](std::uint16_t id) -> pst::PropertyKey { return pst::ltp::PropId{id}; },
                        [](const vcard::NamedId& named) -> pst::PropertyKey {
                          return pst::NamedId{named.set, named.lid};
                        },
                        [](const vcard::NamedString& named) -> pst::PropertyKey {
                          return pst::NamedString{named.set, named.name};
                        },
                    },
                    key);
}

pst::ltp::PropertyValue ToValue(const vcard::Value& value) {
  using pst::ltp::PropertyValue;
  return std::visit(
      Overloaded{
          [](std::int32_t v) { return PropertyValue::integer32(v); },
          [](bool v) { return PropertyValue::boolean(v); },
          [](std::int64_t v) { return PropertyValue::integer64(v); },
          [](const vcard::FileTime& v) { return PropertyValue::time(static_cast<std::uint64_t>(v.ticks)); },
          [](const std::u16string& v) { return PropertyValue::string(v); },
          [](const std::vector<std::uint8_t>& v) { return PropertyValue::binary(v); },
          [](const vcard::Guid& v) { return PropertyValue::guid(v); },
          [](const std::vector<std::u16string>& v) { return PropertyValue::multipleString(v); },
          [](const std::vector<std::vector<std::uint8_t>>& v) { return PropertyValue::multipleBinary(v); },
          [](const std::vector<std::int32_t>& v) { return PropertyValue::multipleInteger32(v); },
          [](std::int16_t v) { return PropertyValue::integer16(v); },
      },
      value);
}

std::vector<pst::Property> ToProperties(const std::vector<vcard::Property>& properties) {
  std::vector<pst::Property> out;
  out.reserve(properties.size());
  for (const auto& property : properties) out.push_back({ToKey(property.key), ToValue(property.value)});
  return out;
}

}  // namespace

pst::Message ToMessage(const vcard::ContactItem& contact) {
  pst::Message message;
  message.properties = ToProperties(contact.properties);
  for (const auto& attachment : contact.attachments) {
    message.attachments.push_back({ToProperties(attachment.properties)});
  }
  return message;
}

}  // namespace quillonet::automation

// vCard property name -> the rule that converts it.
#pragma once
#include <string_view>

#include "vcard/card.h"
#include "vcard/converter.h"

namespace vcard {

using Rule = void (*)(Converter&, const CardProperty&);

// The rule for a property name (upper case), or nullptr for a property that
// has no contact field.
Rule ruleFor(std::string_view propertyName);

}  // namespace vcard

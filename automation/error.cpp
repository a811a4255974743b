// AutomationError: number and description; the object model's defaults.
#include "automation/error.h"

#include <utility>

#include "automation/objects.h"

namespace quillonet::automation {

AutomationError::AutomationError(std::int32_t number, std::u16string description)
    : std::runtime_error(text::ToUtf8(description)), number_(number), description_(std::move(description)) {}

void ContactItem::Import(std::shared_ptr<const ReadCard>) {
  throw AutomationError(errors::kNoSupport, u"This contact item imports vCards from files only");
}

}  // namespace quillonet::automation

// AutomationError: number and description.
#include "automation/error.h"

#include <utility>

namespace quillonet::automation {

AutomationError::AutomationError(std::int32_t number, std::u16string description)
    : std::runtime_error(text::ToUtf8(description)), number_(number), description_(std::move(description)) {}

}  // namespace quillonet::automation

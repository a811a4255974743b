// AutomationError: number and description.
#include "automation/error.h"

namespace quillonet::automation {

AutomationError::AutomationError(std::int32_t number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

}  // namespace quillonet::automation

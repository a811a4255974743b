// Texts of caught failures.
#include "import/failures.h"

namespace quillonet {

QString DescribeFailure(const std::exception& failure) {
  if (const auto* automation = dynamic_cast<const automation::AutomationError*>(&failure)) {
    const auto number = static_cast<quint32>(automation->number());
    return number < 0x10000
               ? QStringLiteral("%1 (error %2)").arg(automation->description()).arg(number)
               : QStringLiteral("%1 (error 0x%2)").arg(automation->description()).arg(number, 8, 16, QLatin1Char('0'));
  }
  return QString::fromLocal8Bit(failure.what());
}

}  // namespace quillonet

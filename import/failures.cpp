// Texts of caught failures.
#include "import/failures.h"

#include <cstdint>

namespace quillonet {

namespace {

// Eight lower-case hexadecimal digits.
std::u16string Hex8(std::uint32_t n) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string out(8, u'0');
  for (int i = 7; i >= 0; --i, n >>= 4) out[static_cast<std::size_t>(i)] = kDigits[n & 0xF];
  return out;
}

}  // namespace

std::u16string DescribeFailure(const std::exception& failure) {
  if (const auto* automation = dynamic_cast<const automation::AutomationError*>(&failure)) {
    const auto number = static_cast<std::uint32_t>(automation->number());
    return number < 0x10000 ? text::Format(u"%1 (error %2)", {automation->description(), text::Number(number)})
                            : text::Format(u"%1 (error 0x%2)", {automation->description(), Hex8(number)});
  }
  // Our own failures keep their text whole: a path in it may hold bytes
  // that UTF-8 cannot carry.
  if (const auto* file = dynamic_cast<const FileError*>(&failure)) return file->message();
  if (const auto* path = dynamic_cast<const PathError*>(&failure)) return path->message();
  return text::FromUtf8(failure.what());
}

}  // namespace quillonet

// TimeStamp: the pattern "d.m.YY H.m.ss" built field by field, locale-free.
#include "import/time_stamp.h"

#include "util/text.h"

namespace quillonet {

namespace {

std::u16string TwoDigits(int n) { return n < 10 ? u"0" + text::Number(n) : text::Number(n); }

}  // namespace

std::u16string TimeStamp(const platform::LocalTime& when) {
  return text::Format(u"%1.%2.%3 %4.%5.%6",
                      {text::Number(when.day), text::Number(when.month), TwoDigits(((when.year % 100) + 100) % 100),
                       text::Number(when.hour), text::Number(when.minute), TwoDigits(when.second)});
}

std::u16string TimeStamp(platform::WallClock::time_point when) { return TimeStamp(platform::ToLocalTime(when)); }

}  // namespace quillonet

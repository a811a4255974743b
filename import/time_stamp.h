// The time stamp in store file and display names: "d.m.YY H.m.ss".
#pragma once

#include <string>

#include "platform/clock.h"

namespace quillonet {

// Day and month without leading zeros, two-digit year, hour 0-23 and minute
// without leading zeros, seconds with two digits: 7.12.26 9.5.03.
std::u16string TimeStamp(const platform::LocalTime& when);
// The stamp of a moment in local time.
std::u16string TimeStamp(platform::WallClock::time_point when);

}  // namespace quillonet

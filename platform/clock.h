// The wall clock in local time, for names stamped with the time of a run.
#pragma once

#include <chrono>

namespace quillonet::platform {

using WallClock = std::chrono::system_clock;

// A moment as the local calendar and clock show it.
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
  int hour = 0;   // 0-23
  int minute = 0;
  int second = 0;
};

// The local time of a moment, in the time zone the process runs in.
LocalTime ToLocalTime(WallClock::time_point when);

}  // namespace quillonet::platform

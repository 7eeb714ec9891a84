#pragma once
// The 14 dates from today on, each with its weekday.
#include <cstdint>

#include "schedule/schedule_types.h"

namespace kronvik {

// Today (a real calendar date) and the 13 following days. A weekday is
// known for the dates of the system calendar's range, the years 1601 to 9999;
// any other date has kWeekdayUnknown.
UpcomingDates ComputeUpcomingDates(int32_t year, int32_t month, int32_t day);

}  // namespace kronvik

#pragma once
// The 14 dates from today on, and the weekday of a date as the system's
// short-date conversion would find it from the date written in the locale's
// date order.
#include <cstdint>
#include <string>
#include <string_view>

#include "schedule/schedule_types.h"

namespace kronvik {

// The locale's short date order (the value of LOCALE_IDATE).
inline constexpr int32_t kDateOrderMdy = 0;
inline constexpr int32_t kDateOrderDmy = 1;
inline constexpr int32_t kDateOrderYmd = 2;

// Today (a real calendar date) and the 13 following days, each with its
// weekday index found by WeekdayIndex in the given date order. The Japanese
// locale's order is year/month/day.
UpcomingDates ComputeUpcomingDates(int32_t year, int32_t month, int32_t day,
                                   int32_t date_order = kDateOrderYmd);

// The date as three undecorated decimal numbers joined by "/" in the date
// order: "6/21/2007", "21/6/2007" or "2007/6/21". An order other than 0, 1
// or 2 is taken as year/month/day, the Japanese locale's own order, both here
// and in ShortDateToWeekday, so the two always agree.
std::string ShortDateText(int32_t year, int32_t month, int32_t day, int32_t date_order);

// The weekday of a short date text read in the date order: 1 = Sunday ..
// 7 = Saturday, or kWeekdayUnknown when the text is not exactly three unsigned
// decimal numbers separated by "/" that make a real date of the years 1601 to
// 9999 (the range of the system's calendar time). Two-digit years are not
// widened: ShortDateText always writes the full year.
int32_t ShortDateToWeekday(std::string_view text, int32_t date_order);

// ShortDateToWeekday(ShortDateText(...)).
int32_t WeekdayIndex(int32_t year, int32_t month, int32_t day, int32_t date_order);

}  // namespace kronvik

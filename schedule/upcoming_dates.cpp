#include "schedule/upcoming_dates.h"

#include <array>
#include <cstddef>

#include "platform/local_calendar.h"

namespace kronvik {
namespace {

void AdvanceOneDay(int32_t& year, int32_t& month, int32_t& day) {
    if (day < DaysInMonth(year, month)) {
        ++day;
        return;
    }
    day = 1;
    if (++month > 12) {
        month = 1;
        ++year;
    }
}

// 1 = Sunday .. 7 = Saturday, or kWeekdayUnknown outside the years 1601 to
// 9999 and for a day the month does not have.
int32_t WeekdayIndex(int32_t year, int32_t month, int32_t day) {
    static constexpr std::array<int32_t, 12> kMonthOffset = {0, 3, 2, 5, 0, 3,
                                                             5, 1, 4, 6, 2, 4};
    if (year < 1601 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return kWeekdayUnknown;
    const int32_t offset = kMonthOffset[static_cast<std::size_t>(month - 1)];
    if (month < 3) --year;
    return (year + year / 4 - year / 100 + year / 400 + offset + day) % 7 + 1;
}

}  // namespace

UpcomingDates ComputeUpcomingDates(int32_t year, int32_t month, int32_t day) {
    UpcomingDates dates{};
    for (UpcomingDate& date : dates) {
        date.year = year;
        date.month = month;
        date.day = day;
        date.weekday = WeekdayIndex(year, month, day);
        AdvanceOneDay(year, month, day);
    }
    return dates;
}

}  // namespace kronvik

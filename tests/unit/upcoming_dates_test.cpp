#include "schedule/upcoming_dates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace kronvik {
namespace {

namespace chr = std::chrono;

std::string Text(const UpcomingDate& d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

chr::sys_days ToSysDays(const UpcomingDate& d) {
    return chr::sys_days{chr::year{d.year} / chr::month{static_cast<unsigned>(d.month)} /
                         chr::day{static_cast<unsigned>(d.day)}};
}

TEST(UpcomingDatesTest, AdvancesAcrossMonthEndsLeapDaysAndTheYearEnd) {
    struct Case {
        int32_t year, month, day;
        std::size_t index;
        const char* expected;
    };
    for (const Case& c : {Case{2007, 4, 25, 6, "2007-5-1"}, Case{2007, 12, 25, 7, "2008-1-1"},
                          Case{2007, 12, 25, 13, "2008-1-7"}, Case{2007, 2, 28, 1, "2007-3-1"},
                          Case{2008, 2, 28, 1, "2008-2-29"}, Case{2100, 2, 28, 1, "2100-3-1"},
                          Case{2000, 2, 28, 1, "2000-2-29"}, Case{2000, 2, 29, 1, "2000-3-1"},
                          Case{1900, 2, 28, 1, "1900-3-1"}, Case{2400, 2, 28, 1, "2400-2-29"}}) {
        const UpcomingDates dates = ComputeUpcomingDates(c.year, c.month, c.day);
        EXPECT_EQ(Text(dates[c.index]), c.expected) << Text(dates[0]);
    }
}

// Every start day of several years, leap and not, against the standard
// calendar: the 14 dates are consecutive days and carry the right weekday.
TEST(UpcomingDatesTest, ConsecutiveDaysWithWeekdaysOverWholeYears) {
    for (int year : {1999, 2000, 2007, 2008, 2100}) {
        for (chr::sys_days start = chr::sys_days{chr::year{year} / 1 / 1};
             start < chr::sys_days{chr::year{year + 1} / 1 / 1}; start += chr::days{1}) {
            const chr::year_month_day ymd{start};
            const UpcomingDates dates =
                ComputeUpcomingDates(static_cast<int>(ymd.year()),
                                     static_cast<int>(static_cast<unsigned>(ymd.month())),
                                     static_cast<int>(static_cast<unsigned>(ymd.day())));
            for (std::size_t i = 0; i < dates.size(); ++i) {
                const chr::sys_days expected = start + chr::days{static_cast<int>(i)};
                ASSERT_EQ(ToSysDays(dates[i]), expected) << Text(dates[0]) << " #" << i;
                ASSERT_EQ(dates[i].weekday,
                          static_cast<int32_t>(chr::weekday{expected}.c_encoding()) + 1)
                    << Text(dates[i]);
            }
        }
    }
}

TEST(UpcomingDatesTest, WeekdaysOnlyWithinTheSystemCalendar) {
    struct Case {
        int32_t year, month, day;
        std::size_t index;
        int32_t weekday;
    };
    for (const Case& c : {Case{1600, 12, 25, 6, kWeekdayUnknown}, Case{1600, 12, 25, 7, 2},
                          Case{9999, 12, 25, 6, 6}, Case{9999, 12, 25, 7, kWeekdayUnknown},
                          Case{-5, 1, 1, 0, kWeekdayUnknown}, Case{2007, 2, 29, 0, kWeekdayUnknown},
                          Case{2100, 2, 29, 0, kWeekdayUnknown}, Case{2007, 4, 31, 0, kWeekdayUnknown},
                          Case{2007, 13, 1, 0, kWeekdayUnknown}, Case{2007, 0, 1, 0, kWeekdayUnknown},
                          Case{2007, 6, 0, 0, kWeekdayUnknown}}) {
        const UpcomingDates dates = ComputeUpcomingDates(c.year, c.month, c.day);
        EXPECT_EQ(dates[c.index].weekday, c.weekday) << Text(dates[c.index]);
    }
}

}  // namespace
}  // namespace kronvik

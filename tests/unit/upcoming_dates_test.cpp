#include "schedule/upcoming_dates.h"

#include <gtest/gtest.h>

#include <chrono>
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

TEST(UpcomingDatesTest, ShortDatesWrittenAndReadInEachDateOrder) {
    EXPECT_EQ(ShortDateText(2007, 6, 21, kDateOrderMdy), "6/21/2007");
    EXPECT_EQ(ShortDateText(2007, 6, 21, kDateOrderDmy), "21/6/2007");
    EXPECT_EQ(ShortDateText(2007, 6, 21, kDateOrderYmd), "2007/6/21");
    EXPECT_EQ(ShortDateText(2007, 6, 21, 7), "2007/6/21");
    for (int32_t order : {kDateOrderMdy, kDateOrderDmy, kDateOrderYmd, 7}) {
        EXPECT_EQ(WeekdayIndex(2007, 6, 21, order), 5) << order;   // Thursday
        EXPECT_EQ(WeekdayIndex(1601, 1, 1, order), 2) << order;    // Monday
        EXPECT_EQ(WeekdayIndex(9999, 12, 31, order), 6) << order;  // Friday
    }
    EXPECT_EQ(ShortDateToWeekday("2007/06/21", kDateOrderYmd), 5);
    // 3 April vs 4 March 2007: Tuesday vs Sunday.
    EXPECT_EQ(ShortDateToWeekday("4/3/2007", kDateOrderMdy), 3);
    EXPECT_EQ(ShortDateToWeekday("4/3/2007", kDateOrderDmy), 1);
    // The right numbers in the wrong order do not convert.
    EXPECT_EQ(ShortDateToWeekday("2007/6/21", kDateOrderMdy), kWeekdayUnknown);
    EXPECT_EQ(ShortDateToWeekday("6/21/2007", kDateOrderDmy), kWeekdayUnknown);
}

TEST(UpcomingDatesTest, TextsThatDoNotConvertGiveAnUndeterminedWeekday) {
    for (const char* text :
         {"", "2007", "2007/6", "2007/6/21/", "2007/6/21/1", "2007-6-21", " 2007/6/21",
          "2007/6/21 ", "2007/+6/21", "2007//21", "2007/6/2x", "２００７/6/21",
          "2007/2/29", "2100/2/29", "2007/4/31", "2007/13/1", "2007/0/1", "2007/6/0",
          "1600/12/31", "10000/1/1", "07/6/21", "0000000002007/6/21"}) {
        EXPECT_EQ(ShortDateToWeekday(text, kDateOrderYmd), kWeekdayUnknown) << text;
    }
    EXPECT_EQ(WeekdayIndex(-5, 1, 1, kDateOrderYmd), kWeekdayUnknown);

    // Dates before the calendar's range stay undetermined until it begins.
    const UpcomingDates dates = ComputeUpcomingDates(1600, 12, 25);
    EXPECT_EQ(dates[6].weekday, kWeekdayUnknown);
    EXPECT_EQ(dates[7].weekday, 2);
}

}  // namespace
}  // namespace kronvik

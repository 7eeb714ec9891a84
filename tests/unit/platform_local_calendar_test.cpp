#include <gtest/gtest.h>

#include <array>

#include "platform/local_calendar.h"

namespace kronvik {
namespace {

// Every day from 1600 to 2500, at a time of day that moves with the day,
// comes back as the same calendar fields: leap days, century years and the
// days before 1970 included.
TEST(LocalCalendar, UtcFromSecondsUndoesSecondsFromUtc) {
    int checked = 0;
    for (int32_t year = 1600; year <= 2500; ++year)
        for (int32_t month = 1; month <= 12; ++month)
            for (int32_t day = 1; day <= DaysInMonth(year, month); ++day) {
                const int32_t hour = day % 24, minute = (day * 7) % 60, second = (month * 13) % 60;
                const LocalTime t = UtcFromSeconds(SecondsFromUtc(year, month, day, hour, minute, second));
                ASSERT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}),
                          (std::array{year, month, day, hour, minute, second}));
                ++checked;
            }
    EXPECT_EQ(checked, 329084);
}

TEST(LocalCalendar, UtcFromSecondsAroundTheEpoch) {
    const LocalTime before = UtcFromSeconds(-1);
    EXPECT_EQ((std::array{before.year, before.month, before.day, before.hour, before.minute, before.second}),
              (std::array{1969, 12, 31, 23, 59, 59}));
    const LocalTime leap = UtcFromSeconds(951868800 - 1);  // the second before 2000-03-01
    EXPECT_EQ((std::array{leap.year, leap.month, leap.day, leap.hour}), (std::array{2000, 2, 29, 23}));
    const LocalTime at = UtcFromSeconds(0);
    EXPECT_EQ((std::array{at.year, at.month, at.day, at.hour, at.minute, at.second}), (std::array{1970, 1, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace kronvik

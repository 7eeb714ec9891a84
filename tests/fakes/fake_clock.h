#pragma once
// A clock that stands still at whatever time the test sets, and records the
// times the program sets (or refuses them as `refuse` says).
#include <vector>

#include "platform/clock.h"

namespace kronvik::fakes {

class FakeClock : public Clock {
public:
    LocalTime now;

    LocalTime Now() override { return now; }
    ClockSet SetLocal(const LocalTime& time) override {
        if (refuse != ClockSet::Done) return refuse;
        set.push_back(time);
        return ClockSet::Done;
    }

    int64_t ElapsedMs() override { return elapsed_ms; }

    ClockSet refuse = ClockSet::Done;
    int64_t elapsed_ms = 0;
    std::vector<LocalTime> set;

    void Set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
             int32_t second = 0, int32_t day_of_week = 0) {
        now = LocalTime{year, month, day_of_week, day, hour, minute, second, 0};
    }
    // Moves on by half a second, carrying up to the day (months are not
    // carried: a day past the month's end is good enough for a display test).
    void AddHalfSecond() {
        now.milliseconds += 500;
        if (now.milliseconds < 1000) return;
        now.milliseconds -= 1000;
        if (++now.second < 60) return;
        now.second = 0;
        if (++now.minute < 60) return;
        now.minute = 0;
        if (++now.hour < 24) return;
        now.hour = 0;
        ++now.day;
        now.day_of_week = (now.day_of_week + 1) % 7;
    }
};

}  // namespace kronvik::fakes

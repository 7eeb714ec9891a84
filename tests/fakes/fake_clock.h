#pragma once
// A clock that stands still at whatever time the test sets, and records the
// times the program sets (or refuses them with refuse_error).
#include <vector>

#include "platform/clock.h"

namespace kronvik::fakes {

class FakeClock : public Clock {
public:
    LocalTime now;

    LocalTime Now() override { return now; }
    uint32_t SetLocal(const LocalTime& time) override {
        if (refuse_error != 0) return refuse_error;
        set.push_back(time);
        return 0;
    }

    uint32_t refuse_error = 0;
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

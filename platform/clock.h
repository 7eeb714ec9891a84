#pragma once
// Clock port: the local wall-clock time, in the fields of the platform's
// SYSTEMTIME record (day_of_week 0 = Sunday), the setting of it, and a clock
// that only moves forward.
#include <chrono>
#include <cstdint>

namespace kronvik {

struct LocalTime {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day_of_week = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t milliseconds = 0;
};

// What the system made of a setting of the clock.
enum class ClockSet {
    Done,
    NoRight,  // refused for want of the right to change the time
    Refused,  // refused for any other reason
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    // Sets date and time of day together (day_of_week is ignored).
    virtual ClockSet SetLocal(const LocalTime& time) = 0;
    // Milliseconds since some fixed moment, whatever is done to the wall clock.
    virtual int64_t ElapsedMs() {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace kronvik

#pragma once
// Clock port: the local wall-clock time, in the fields of the platform's
// SYSTEMTIME record (day_of_week 0 = Sunday), and the setting of it.
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

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    // Sets date and time of day together (day_of_week is ignored). Returns 0,
    // or the system's error code when it refuses (1314: no privilege).
    virtual uint32_t SetLocal(const LocalTime& time) = 0;
};

}  // namespace kronvik

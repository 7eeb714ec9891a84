#pragma once
// Conversions between seconds since 1970-01-01 00:00:00 UTC and local calendar
// time, through the C library's localtime and mktime in the process's zone
// (the TZ variable when set, otherwise the system's settings). 64-bit seconds
// throughout, so nothing wraps in 2038.
#include <cstdint>
#include <optional>

#include "platform/clock.h"

namespace kronvik {

// Local calendar fields of a moment; nothing when the C library cannot
// represent it.
std::optional<LocalTime> LocalFromSeconds(int64_t seconds);

// mktime of the date and time of day with the daylight flag left to the
// library (-1); nothing when it fails. Out-of-range fields are normalised.
std::optional<int64_t> SecondsFromLocal(int32_t year, int32_t month, int32_t day, int32_t hour,
                                        int32_t minute, int32_t second);

// The proleptic Gregorian calendar; 0 for a month outside 1..12.
int32_t DaysInMonth(int32_t year, int32_t month);

// Seconds since 1970 of a UTC calendar time (proleptic Gregorian), without
// any zone; month 1..12.
int64_t SecondsFromUtc(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                       int32_t second);
// Its inverse: the UTC calendar fields of seconds since 1970 (no weekday).
LocalTime UtcFromSeconds(int64_t seconds);

}  // namespace kronvik

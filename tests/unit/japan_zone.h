#pragma once
// Runs the C library's local time in UTC+9 without daylight saving, the zone
// the time conversions are checked in.
#include <cstdlib>
#include <ctime>

namespace kronvik {

inline void UseJapanZone() {
#ifdef _WIN32
    _putenv_s("TZ", "JST-9");
    _tzset();
#else
    setenv("TZ", "JST-9", 1);
    tzset();
#endif
}

}  // namespace kronvik

#include "platform/local_calendar.h"

#include <array>
#include <ctime>

namespace kronvik {

std::optional<LocalTime> LocalFromSeconds(int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    if (static_cast<int64_t>(t) != seconds) return std::nullopt;
    std::tm fields{};
    // The reentrant forms: workers convert while the UI thread may too.
#ifdef _WIN32
    if (localtime_s(&fields, &t) != 0) return std::nullopt;
#else
    if (localtime_r(&t, &fields) == nullptr) return std::nullopt;
#endif
    return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_wday, fields.tm_mday,
                     fields.tm_hour,        fields.tm_min,     fields.tm_sec,  0};
}

std::optional<int64_t> SecondsFromLocal(int32_t year, int32_t month, int32_t day, int32_t hour,
                                        int32_t minute, int32_t second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(t);
}

int32_t DaysInMonth(int32_t year, int32_t month) {
    static constexpr std::array<int32_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<size_t>(month - 1)];
}

int64_t SecondsFromUtc(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                       int32_t second) {
    // Days from 1970-01-01 by the civil-calendar count of eras of 400 years.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t year_of_era = y - era * 400;
    const int64_t m = month;
    const int64_t day_of_year = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    const int64_t days = era * 146097 + day_of_era - 719468;
    return days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
}

LocalTime UtcFromSeconds(int64_t seconds) {
    const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const int64_t of_day = seconds - days * 86400;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t day_of_era = z - era * 146097;
    const int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t mp = (5 * day_of_year + 2) / 153;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    LocalTime t;
    t.year = static_cast<int32_t>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
    t.month = static_cast<int32_t>(month);
    t.day = static_cast<int32_t>(day_of_year - (153 * mp + 2) / 5 + 1);
    t.hour = static_cast<int32_t>(of_day / 3600);
    t.minute = static_cast<int32_t>(of_day / 60 % 60);
    t.second = static_cast<int32_t>(of_day % 60);
    return t;
}

}  // namespace kronvik

#pragma once
// The in-memory schedule: up to 14 day slots with their appointments, as read
// from the date keys under Software\Velk\Information, and the 14 dates from
// today on that the tray menu lists.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kronvik {

// Byte limits of the fixed-size fields the schedule was always kept in
// (a 40-byte key, a 10-byte value name and a 62-byte text, each NUL-terminated).
inline constexpr std::size_t kDayKeyMaxBytes = 39;
inline constexpr std::size_t kEntryNameMaxBytes = 9;
inline constexpr std::size_t kEntryTextMaxBytes = 61;
// Length of a date key's date, "YYYY MM DD": a key belongs to the day its
// name begins with.
inline constexpr std::size_t kDateKeyDateBytes = 10;

// One appointment: a value under its date key.
struct ScheduleEntry {
    int32_t hour = 0;
    int32_t minute = 0;
    std::string name;  // value name as read, e.g. "09 05", cut to its field
    std::string text;  // the value's data
    std::string full_name;  // the value name whole: the appointment's own address
};

// One date key. A slot is not tied to an upcoming day; it is found by its key.
struct DaySlot {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    std::string key;  // key name as read, e.g. "2007 06 21", cut to its field
    std::vector<ScheduleEntry> entries;  // in ascending order of their names
    std::string full_key;  // the key name whole, which may be more than a date
};

inline constexpr std::size_t kDaySlotCount = 14;
inline constexpr std::size_t kUpcomingDayCount = 14;

// Weekday index of an upcoming date: 1 = Sunday .. 7 = Saturday.
inline constexpr int32_t kWeekdayUnknown = 8;

struct UpcomingDate {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t weekday = kWeekdayUnknown;
};

// Index 0 is today, index 13 today + 13 days.
using UpcomingDates = std::array<UpcomingDate, kUpcomingDayCount>;

}  // namespace kronvik

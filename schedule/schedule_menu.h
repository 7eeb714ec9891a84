#pragma once
// The schedule submenu of the tray menu: one entry per upcoming day. A day
// with appointments opens a further submenu, any other day is a command of
// its own.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "schedule/schedule_types.h"

namespace kronvik {

// Command ids: 100 × p for a new appointment on upcoming day p (1..14), and
// 100 × p + e for appointment e (1-based, in slot order) of that day.
inline constexpr uint32_t kScheduleIdsPerDay = 100;
// Ids 100 × p + 100 and above belong to the next day, so a day's menu lists at
// most this many appointments; the rest stay reachable through the registry
// and the alert, but not through the menu.
inline constexpr int32_t kMaxMenuAppointments = 99;

// The date key name of a day: "%04d %02d %02d", e.g. "2007 06 21".
std::string DateKeyText(int32_t year, int32_t month, int32_t day);

// The appointments of upcoming day index 0..13: the first slot whose key
// begins with the day's date key text and that holds any; nullptr for a day
// without any or an index outside the 14.
const DaySlot* DaySlotOf(const UpcomingDates& dates, const std::vector<DaySlot>& slots, int32_t day_index);

// The load a tray menu was built from: the menu's command ids mean its days
// and appointments, whatever loads come while the menu is open.
struct ScheduleMenuLoad {
    UpcomingDates dates{};
    std::vector<DaySlot> slots;
};

std::vector<MenuItem> BuildScheduleMenu(const UpcomingDates& dates,
                                        const std::vector<DaySlot>& slots);

}  // namespace kronvik

#include "schedule/schedule_menu.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>
#include <utility>

namespace kronvik {
namespace {

// The day name shown after the date for a weekday index (1 = Sunday ..
// 7 = Saturday); three ideographic spaces for any other index.
const char* WeekdayName(int32_t weekday) {
    static constexpr std::array<const char*, 7> kNames = {
        "日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    if (weekday >= 1 && weekday <= 7) return kNames[static_cast<std::size_t>(weekday - 1)];
    return "\u3000\u3000\u3000";
}

std::string DayLabel(const UpcomingDate& date) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d年%02d月%02d日 ", static_cast<int>(date.year),
                  static_cast<int>(date.month), static_cast<int>(date.day));
    return text + std::string(WeekdayName(date.weekday));
}

std::string AppointmentLabel(const ScheduleEntry& entry) {
    char time[48];
    std::snprintf(time, sizeof time, "%02d時%02d分  ", static_cast<int>(entry.hour),
                  static_cast<int>(entry.minute));
    // The text is the user's own: appended as it stands, but for each '&',
    // which a menu would take for the mark of an underlined letter.
    std::string label = time;
    for (const char c : entry.text) {
        label += c;
        if (c == '&') label += '&';
    }
    return label;
}

MenuItem StringItem(uint32_t id, std::string text) {
    return MenuItem{MenuItem::Kind::String, id, std::move(text), {}};
}

}  // namespace

std::string DateKeyText(int32_t year, int32_t month, int32_t day) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d %02d %02d", static_cast<int>(year),
                  static_cast<int>(month), static_cast<int>(day));
    return text;
}

const DaySlot* DaySlotOf(const UpcomingDates& dates, const std::vector<DaySlot>& slots, int32_t day_index) {
    if (day_index < 0 || day_index >= static_cast<int32_t>(dates.size())) return nullptr;
    const UpcomingDate& date = dates[static_cast<std::size_t>(day_index)];
    const std::string date_text = DateKeyText(date.year, date.month, date.day);
    const std::string_view prefix = std::string_view(date_text).substr(0, kDateKeyDateBytes);
    for (const DaySlot& slot : slots) {
        if (!slot.entries.empty() &&
            std::string_view(slot.key).substr(0, kDateKeyDateBytes) == prefix) {
            return &slot;
        }
    }
    return nullptr;
}

std::vector<MenuItem> BuildScheduleMenu(const UpcomingDates& dates,
                                        const std::vector<DaySlot>& slots) {
    std::vector<MenuItem> menu;
    menu.reserve(dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i) {
        const UpcomingDate& date = dates[i];
        const uint32_t day_id = static_cast<uint32_t>(i + 1) * kScheduleIdsPerDay;
        const DaySlot* slot = DaySlotOf(dates, slots, static_cast<int32_t>(i));
        if (slot == nullptr) {
            menu.push_back(StringItem(day_id, DayLabel(date)));
            continue;
        }

        MenuItem popup{MenuItem::Kind::Popup, 0, DayLabel(date), {}};
        popup.children.push_back(StringItem(day_id, "新規スケジュール"));
        popup.children.push_back(MenuItem{MenuItem::Kind::Separator, 0, {}, {}});
        const std::size_t listed =
            std::min(slot->entries.size(), static_cast<std::size_t>(kMaxMenuAppointments));
        for (std::size_t e = 0; e < listed; ++e) {
            popup.children.push_back(StringItem(day_id + static_cast<uint32_t>(e + 1),
                                                AppointmentLabel(slot->entries[e])));
        }
        menu.push_back(std::move(popup));
    }
    return menu;
}

}  // namespace kronvik

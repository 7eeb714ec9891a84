#pragma once
// The schedule as stored: one key per date under Software\Velk\Information,
// one text value per appointment named by its time. The in-memory copy holds
// the appointments of today and the 13 following days, in date and time order.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"
#include "schedule/schedule_types.h"

namespace kronvik {

inline constexpr char kScheduleKey[] = "Software\\Velk\\Information";
// The minute up to which every appointment was announced, "%04d %02d %02d %02d %02d".
inline constexpr char kAlertKey[] = "Software\\Velk\\Alert";
inline constexpr char kAnnouncedValue[] = "ANNOUNCED";

// A date and a minute of the schedule.
struct ScheduleTime {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    // In field order, which is the order of time.
    auto operator<=>(const ScheduleTime&) const = default;
};

// An appointment as stored, whatever its day.
struct StoredAppointment {
    ScheduleTime time;
    std::string text;
};

// The value name of a time: "%02d %02d", e.g. "09 05".
std::string TimeValueName(int32_t hour, int32_t minute);

// Where an appointment is stored: the name of its date key and of its value.
struct AppointmentName {
    std::string key;
    std::string value;
    bool operator==(const AppointmentName&) const = default;
};

// The names an appointment at that time is written under: "2007 06 21", "09 05".
AppointmentName CanonicalName(const ScheduleTime& time);

class ScheduleStore {
public:
    ScheduleStore(Registry& registry, Clock& clock);

    // Replaces the in-memory schedule by the registry's appointments of today
    // and the 13 following days, and the upcoming dates by those 14 days.
    // 0 after a load, 2 when the schedule key cannot be opened (the schedule
    // is then empty).
    int32_t LoadSchedule();
    // Loads again when the date has moved on (or back) since the last load.
    void LoadIfDateChanged(const LocalTime& now);
    // Deletes the date keys of the last load that name days before its today,
    // with their values. Keys of later days stay, however far ahead; keys
    // whose name is not a date too.
    void PurgePastDays();

    // Writes one appointment, replacing one of the same name; false when it
    // could not be written.
    bool StoreAppointment(const AppointmentName& name, const std::string& text);
    // Deletes the appointment of that name (none there is no error); the date
    // key stays. Then loads again.
    void DeleteScheduleValue(const AppointmentName& name);

    // The appointments stored for the dates from `first` to `last` (their
    // times of day are not looked at), read afresh, in time order.
    std::vector<StoredAppointment> AppointmentsOfDays(const ScheduleTime& first, const ScheduleTime& last);
    // The remembered announced minute; nothing when none is stored or it
    // names no real minute.
    std::optional<ScheduleTime> ReadAnnounced();
    void WriteAnnounced(const ScheduleTime& minute);

    const std::vector<DaySlot>& Slots() const { return slots_; }
    const UpcomingDates& Dates() const { return dates_; }
    // The appointments of upcoming day index 0..13 as the menu lists them,
    // or nullptr for a day without any.
    const DaySlot* SlotOfDay(int32_t day_index) const;

private:
    void LoadSlot(DaySlot& slot, const UpcomingDate& date, const std::string& key_name);

    Registry& registry_;
    Clock& clock_;
    std::vector<DaySlot> slots_;
    // The date key names of the last load, sorted.
    std::vector<std::string> keys_;
    UpcomingDates dates_{};
};

}  // namespace kronvik

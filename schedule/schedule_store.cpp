#include "schedule/schedule_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/cp932.h"
#include "platform/local_calendar.h"
#include "schedule/schedule_menu.h"
#include "schedule/sorted_lists.h"
#include "schedule/upcoming_dates.h"

namespace kronvik {
namespace {

// Reads whitespace-separated decimal numbers as scanf's "%d %d ..." does,
// stopping at the first that is missing; a number beyond 32 bits is taken as 0.
template <std::size_t N>
std::size_t ScanNumbers(std::string_view text, std::array<int32_t, N>& numbers) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < N; ++i) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        std::size_t digits = pos;
        if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
        if (digits >= text.size() || text[digits] < '0' || text[digits] > '9') return i;
        const char* first = text.data() + pos + (text[pos] == '+' ? 1 : 0);
        int32_t value = 0;
        const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
        numbers[i] = error == std::errc() ? value : 0;
        pos = static_cast<std::size_t>(end - text.data());
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    }
    return N;
}

std::string DatePath(const std::string& key_name) {
    return std::string(kScheduleKey) + "\\" + key_name;
}

bool SameDate(const UpcomingDate& date, const LocalTime& time) {
    return date.year == time.year && date.month == time.month && date.day == time.day;
}

}  // namespace

std::string TimeValueName(int32_t hour, int32_t minute) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d %02d", static_cast<int>(hour), static_cast<int>(minute));
    return name;
}

AppointmentName CanonicalName(const ScheduleTime& time) {
    return AppointmentName{DateKeyText(time.year, time.month, time.day),
                           TimeValueName(time.hour, time.minute)};
}

ScheduleStore::ScheduleStore(Registry& registry, Clock& clock)
    : registry_(registry), clock_(clock), slots_(kDaySlotCount) {}

int32_t ScheduleStore::LoadSchedule() {
    const LocalTime today = clock_.Now();
    dates_ = ComputeUpcomingDates(today.year, today.month, today.day);
    for (DaySlot& slot : slots_) slot = DaySlot{};
    keys_.clear();

    std::unique_ptr<RegistryKey> root = registry_.Open(kScheduleKey, false);
    if (!root) return 2;
    keys_ = root->SubkeyNames();
    SortNames(keys_);
    root.reset();

    // Only the upcoming days take slots: keys of past days (purged when the
    // menu opens) and of days further ahead must not crowd out today's.
    std::array<std::string, kUpcomingDayCount> date_texts;
    for (std::size_t i = 0; i < dates_.size(); ++i)
        date_texts[i] = DateKeyText(dates_[i].year, dates_[i].month, dates_[i].day);
    std::size_t used = 0;
    for (const std::string& key_name : keys_) {
        if (used == slots_.size()) break;
        const std::string_view prefix = std::string_view(key_name).substr(0, kDateKeyDateBytes);
        for (std::size_t i = 0; i < dates_.size(); ++i) {
            if (date_texts[i] != prefix) continue;
            LoadSlot(slots_[used], dates_[i], key_name);
            ++used;
            break;
        }
    }
    return 0;
}

void ScheduleStore::LoadSlot(DaySlot& slot, const UpcomingDate& date, const std::string& key_name) {
    slot.key = Cp932Prefix(key_name, kDayKeyMaxBytes);
    slot.full_key = key_name;
    slot.year = date.year;
    slot.month = date.month;
    slot.day = date.day;
    std::unique_ptr<RegistryKey> key = registry_.Open(DatePath(key_name), false);
    if (!key) return;
    std::vector<std::string> names = key->ValueNames();
    SortNames(names);
    slot.entries.reserve(names.size());
    for (const std::string& name : names) {
        ScheduleEntry entry;
        entry.name = Cp932Prefix(name, kEntryNameMaxBytes);
        entry.full_name = name;
        std::array<int32_t, 2> time{};
        ScanNumbers(name, time);
        entry.hour = time[0];
        entry.minute = time[1];
        std::string text;
        // A value that is not a text reads as the empty text.
        if (key->ReadText(name, text) == RegResult::Ok) entry.text = Cp932Prefix(text, kEntryTextMaxBytes);
        slot.entries.push_back(std::move(entry));
    }
}

void ScheduleStore::LoadIfDateChanged(const LocalTime& now) {
    if (!SameDate(dates_[0], now)) LoadSchedule();
}

void ScheduleStore::PurgePastDays() {
    const std::array<int32_t, 3> today{dates_[0].year, dates_[0].month, dates_[0].day};
    for (const std::string& name : keys_) {
        std::array<int32_t, 3> date{};
        if (ScanNumbers(name, date) != date.size() || date[0] == 0) continue;
        if (date < today) registry_.DeleteTree(DatePath(name));
    }
}

bool ScheduleStore::StoreAppointment(const AppointmentName& name, const std::string& text) {
    std::unique_ptr<RegistryKey> key = registry_.Open(DatePath(name.key), true);
    return key && key->WriteText(name.value, text) == RegResult::Ok;
}

void ScheduleStore::DeleteScheduleValue(const AppointmentName& name) {
    // Not created when missing: there is then nothing to delete.
    if (std::unique_ptr<RegistryKey> key = registry_.Open(DatePath(name.key), false)) {
        key->DeleteValue(name.value);
    }
    LoadSchedule();
}

std::vector<StoredAppointment> ScheduleStore::AppointmentsOfDays(const ScheduleTime& first,
                                                                 const ScheduleTime& last) {
    const std::array<int32_t, 3> from{first.year, first.month, first.day};
    const std::array<int32_t, 3> to{last.year, last.month, last.day};
    std::vector<StoredAppointment> found;
    std::unique_ptr<RegistryKey> root = registry_.Open(kScheduleKey, false);
    if (!root) return found;
    for (const std::string& key_name : root->SubkeyNames()) {
        std::array<int32_t, 3> date{};
        if (ScanNumbers(key_name, date) != date.size() || date < from || to < date) continue;
        std::unique_ptr<RegistryKey> key = registry_.Open(DatePath(key_name), false);
        if (!key) continue;
        for (const std::string& name : key->ValueNames()) {
            std::array<int32_t, 2> time{};
            ScanNumbers(name, time);
            StoredAppointment appointment{{date[0], date[1], date[2], time[0], time[1]}, {}};
            std::string text;
            if (key->ReadText(name, text) == RegResult::Ok) appointment.text = Cp932Prefix(text, kEntryTextMaxBytes);
            found.push_back(std::move(appointment));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const StoredAppointment& a, const StoredAppointment& b) { return a.time < b.time; });
    return found;
}

std::optional<ScheduleTime> ScheduleStore::ReadAnnounced() {
    std::unique_ptr<RegistryKey> key = registry_.Open(kAlertKey, false);
    std::string text;
    if (!key || key->ReadText(kAnnouncedValue, text) != RegResult::Ok) return std::nullopt;
    std::array<int32_t, 5> n{};
    if (ScanNumbers(text, n) != n.size() || n[1] < 1 || n[1] > 12 || n[2] < 1 || n[2] > DaysInMonth(n[0], n[1]) ||
        n[3] < 0 || n[3] > 23 || n[4] < 0 || n[4] > 59)
        return std::nullopt;
    return ScheduleTime{n[0], n[1], n[2], n[3], n[4]};
}

void ScheduleStore::WriteAnnounced(const ScheduleTime& minute) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d %02d %02d %02d %02d", static_cast<int>(minute.year),
                  static_cast<int>(minute.month), static_cast<int>(minute.day), static_cast<int>(minute.hour),
                  static_cast<int>(minute.minute));
    if (std::unique_ptr<RegistryKey> key = registry_.Open(kAlertKey, true)) key->WriteText(kAnnouncedValue, text);
}

const DaySlot* ScheduleStore::SlotOfDay(int32_t day_index) const {
    return DaySlotOf(dates_, slots_, day_index);
}

}  // namespace kronvik

#include "timesync/sync_schedule.h"

#include <limits>
#include <optional>

#include "platform/local_calendar.h"

namespace kronvik {

namespace {

constexpr int64_t kDayMs = 86400000;

bool Representable(int64_t milliseconds) {
    return milliseconds >= 0 && milliseconds <= std::numeric_limits<int32_t>::max();
}

uint32_t Period(int64_t milliseconds) {
    return Representable(milliseconds) ? static_cast<uint32_t>(milliseconds) : 0;
}

// SNTPcycle minutes with SNTP, RUNTIME3 hours with HTTP.
int64_t PeriodMs(const SettingsRecord& settings) {
    return settings.MODE == 0 ? int64_t{settings.SNTPcycle} * 60000 : int64_t{settings.RUNTIME3} * 3600000;
}

uint32_t DailyInterval(const SettingsRecord& settings, const LocalTime& now) {
    // The current time cut to its minute, against today's daily minute.
    const std::optional<int64_t> current =
        SecondsFromLocal(now.year, now.month, now.day, now.hour, now.minute, 0);
    const std::optional<int64_t> daily =
        SecondsFromLocal(now.year, now.month, now.day, settings.RUNTIME1, settings.RUNTIME2, 0);
    if (!current || !daily) return 0;
    const int64_t d = *current - *daily;
    if (d < 0) return Period((-d) / 60 * 60000);
    if (d == 0) return Period(kDayMs);
    return Period((1440 - d / 60) * 60000);
}

}  // namespace

SyncSchedule ScheduleOf(const SettingsRecord& settings) {
    return SyncSchedule{settings.RUN_AND_RUN, settings.RUNTIME1,  settings.RUNTIME2,
                        settings.RUNTIME3,    settings.SNTPcycle, settings.MODE};
}

bool ScheduleRuns(const SettingsRecord& settings) {
    switch (settings.RUN_AND_RUN) {
    case 1:
        return true;
    case 2:
        return settings.RUNTIME1 >= 0 && settings.RUNTIME1 <= 23 && settings.RUNTIME2 >= 0 &&
               settings.RUNTIME2 <= 59;
    case 3:
        return PeriodMs(settings) > 0 && Representable(PeriodMs(settings));
    default:
        return false;
    }
}

uint32_t NextSyncInterval(const SettingsRecord& settings, std::atomic<int32_t>& sync_armed,
                          const LocalTime& now) {
    // A schedule that cannot run means no automatic synchronisation, not even the first.
    if (!ScheduleRuns(settings)) return 0;
    if (settings.RUN_AND_RUN == 2) return DailyInterval(settings, now);
    uint32_t interval = 0;
    if (sync_armed.load() == 0) {
        interval = kFirstSyncDelayMs;
    } else if (settings.RUN_AND_RUN == 3) {
        interval = Period(PeriodMs(settings));
    }
    sync_armed = 1;
    return interval;
}

}  // namespace kronvik

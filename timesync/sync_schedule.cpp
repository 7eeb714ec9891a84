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

bool AutomaticSyncConfigured(int32_t run_and_run) { return run_and_run >= 1 && run_and_run <= 3; }

uint32_t NextSyncInterval(const SettingsRecord& settings, std::atomic<int32_t>& sync_armed,
                          const LocalTime& now) {
    switch (settings.RUN_AND_RUN) {
    case 1: {
        const uint32_t interval = sync_armed.load() == 0 ? kFirstSyncDelayMs : 0;
        sync_armed = 1;
        return interval;
    }
    case 2:
        return DailyInterval(settings, now);
    case 3: {
        const int64_t period = settings.MODE == 0 ? int64_t{settings.SNTPcycle} * 60000
                                                  : int64_t{settings.RUNTIME3} * 3600000;
        // A period no timer can hold (negative among them) means no
        // automatic synchronisation, not even the first one.
        if (!Representable(period)) return 0;
        const uint32_t interval = sync_armed.load() == 0 ? kFirstSyncDelayMs : Period(period);
        sync_armed = 1;
        return interval;
    }
    default:
        return 0;
    }
}

}  // namespace kronvik

#include "timesync/sync_timer.h"

#include "platform/local_calendar.h"
#include "timesync/sync_schedule.h"

namespace kronvik {

namespace {

// A daily timer that fires this much after its time did not fire in time:
// the computer slept through it.
constexpr int64_t kSleptThroughSeconds = 60;

}  // namespace

SyncTimer::SyncTimer(Timer& timer3, Clock& clock, const SettingsRecord& settings,
                     std::atomic<int32_t>& sync_armed)
    : timer3_(timer3), clock_(clock), settings_(settings), sync_armed_(sync_armed) {}

std::optional<int64_t> SyncTimer::NowSeconds() {
    const LocalTime now = clock_.Now();
    return SecondsFromLocal(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

void SyncTimer::Arm(Armed armed, uint32_t interval) {
    timer3_.SetInterval(interval);
    armed_ = armed;
    daily_due_.reset();
}

void SyncTimer::ArmSchedule() {
    const uint32_t interval = NextSyncInterval(settings_, sync_armed_, clock_.Now());
    Arm(Armed::Schedule, interval);
    const std::optional<int64_t> now = NowSeconds();
    if (settings_.RUN_AND_RUN == 2 && interval != 0 && now) daily_due_ = *now + interval / 1000;
}

void SyncTimer::ArmRetry() {
    if (!ScheduleRuns(settings_)) return;
    Arm(Armed::Retry, kRetryDelayMs);
}

bool SyncTimer::Fire() {
    timer3_.SetInterval(0);
    const std::optional<int64_t> now = NowSeconds();
    if (armed_ == Armed::Schedule && daily_due_ && now && *now - *daily_due_ > kSleptThroughSeconds) {
        Arm(Armed::CatchUp, kFirstSyncDelayMs);
        return false;
    }
    return true;
}

void SyncTimer::ClockChanged() {
    if (armed_ == Armed::Schedule && settings_.RUN_AND_RUN == 2) ArmSchedule();
}

void SyncTimer::Resumed() {
    if (armed_ != Armed::Schedule || settings_.RUN_AND_RUN != 2) return;
    const std::optional<int64_t> now = NowSeconds();
    if (daily_due_ && now && *now >= *daily_due_) {
        Arm(Armed::CatchUp, kFirstSyncDelayMs);
    } else {
        ArmSchedule();
    }
}

}  // namespace kronvik

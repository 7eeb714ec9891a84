#include "timesync/sync_timer.h"

#include <algorithm>

#include "platform/local_calendar.h"
#include "timesync/sync_schedule.h"

namespace kronvik {

namespace {

// A daily timer that fires this much after its time did not fire in time:
// the computer slept through it.
constexpr int64_t kSleptThroughSeconds = 60;
constexpr int64_t kDaySeconds = 86400;

std::optional<int64_t> SecondsOf(const LocalTime& t) {
    return SecondsFromLocal(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::optional<int32_t> DayOf(int64_t seconds) {
    const std::optional<LocalTime> t = LocalFromSeconds(seconds);
    if (!t) return std::nullopt;
    return t->year * 10000 + t->month * 100 + t->day;
}

}  // namespace

SyncTimer::SyncTimer(Timer& timer3, Clock& clock, const SettingsRecord& settings,
                     std::atomic<int32_t>& sync_armed)
    : timer3_(timer3), clock_(clock), settings_(settings), sync_armed_(sync_armed) {}

void SyncTimer::Arm(Armed armed, uint32_t interval, std::optional<int64_t> due) {
    timer3_.SetInterval(interval);
    armed_ = armed;
    daily_due_ = due;
}

void SyncTimer::ArmSchedule() {
    const LocalTime local = clock_.Now();
    const uint32_t interval = NextSyncInterval(settings_, sync_armed_, local);
    const std::optional<int64_t> now = SecondsOf(local);
    if (settings_.RUN_AND_RUN != 2 || interval == 0 || !now) {
        Arm(Armed::Schedule, interval);
        return;
    }
    int64_t due = *now + interval / 1000;
    // In the daily minute the schedule points to tomorrow; a run still due
    // in this minute stays today's, or a clock change or a resume here would
    // lose it.
    const bool daily_minute = local.hour == settings_.RUNTIME1 && local.minute == settings_.RUNTIME2;
    if (daily_minute && armed_ == Armed::Schedule && daily_due_ && *daily_due_ / 60 == *now / 60)
        due = std::max(*daily_due_, *now + 1);
    // Once a day: a clock set back after the run, by Kronvik itself among
    // others, does not bring the day's run again.
    if (daily_done_ && DayOf(due) == daily_done_) due += kDaySeconds;
    Arm(Armed::Schedule, static_cast<uint32_t>((due - *now) * 1000), due);
}

void SyncTimer::ArmRetry() {
    if (!ScheduleRuns(settings_)) return;
    Arm(Armed::Retry, kRetryDelayMs);
}

bool SyncTimer::Fire() {
    timer3_.SetInterval(0);
    const std::optional<int64_t> now = SecondsOf(clock_.Now());
    if (armed_ == Armed::Schedule && daily_due_ && now && *now - *daily_due_ > kSleptThroughSeconds) {
        Arm(Armed::CatchUp, kFirstSyncDelayMs, daily_due_);
        return false;
    }
    if (daily_due_) daily_done_ = DayOf(*daily_due_);
    daily_due_.reset();
    return true;
}

void SyncTimer::ClockChanged() {
    if (armed_ == Armed::Schedule && settings_.RUN_AND_RUN == 2) ArmSchedule();
}

void SyncTimer::Resumed() {
    if (armed_ != Armed::Schedule || settings_.RUN_AND_RUN != 2) return;
    const std::optional<int64_t> now = SecondsOf(clock_.Now());
    if (daily_due_ && now && *now >= *daily_due_) {
        Arm(Armed::CatchUp, kFirstSyncDelayMs, daily_due_);
    } else {
        ArmSchedule();
    }
}

void SyncTimer::ScheduleChanged() {
    daily_done_.reset();
    ArmSchedule();
}

}  // namespace kronvik

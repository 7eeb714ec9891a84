#pragma once
// Timer3 and what it is armed for: the next automatic synchronisation of the
// schedule, the retry after a failure, or the run of a daily time that passed
// while the computer slept. The daily synchronisation runs at most once a
// day. Used on the UI thread only.
#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/timer.h"
#include "settings/settings_record.h"

namespace kronvik {

class SyncTimer {
public:
    SyncTimer(Timer& timer3, Clock& clock, const SettingsRecord& settings, std::atomic<int32_t>& sync_armed);

    // The interval of the schedule, replacing whatever was armed.
    void ArmSchedule();
    // The 3-minute retry after a failure, when the schedule itself can run.
    void ArmRetry();
    // Timer3 fired, and is stopped. False when it fired for a daily time that
    // passed while the computer slept: that run waits 15 s, as after a resume.
    bool Fire();
    // Someone set the clock: the daily time is timed afresh, unless a retry
    // or a slept-through run is pending. A run due later in the current
    // minute stays due.
    void ClockChanged();
    // The computer woke: a daily time that passed meanwhile runs 15 s from
    // now, once; otherwise as for a clock change.
    void Resumed();
    // The scheduling settings changed: armed afresh, and a daily run made
    // today does not hold back one at a new time.
    void ScheduleChanged();

private:
    enum class Armed { Schedule, Retry, CatchUp };
    // Replaces whatever was armed; due is the daily run it is for, if any.
    void Arm(Armed armed, uint32_t interval, std::optional<int64_t> due = std::nullopt);

    Timer& timer3_;
    Clock& clock_;
    const SettingsRecord& settings_;
    std::atomic<int32_t>& sync_armed_;
    Armed armed_ = Armed::Schedule;
    // When the daily run that is armed is due, in seconds since 1970.
    std::optional<int64_t> daily_due_;
    // The local date of the last daily run, as year * 10000 + month * 100 + day.
    std::optional<int32_t> daily_done_;
};

}  // namespace kronvik

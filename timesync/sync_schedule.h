#pragma once
// When the next automatic synchronisation runs: the period of Timer3 from the
// scheduling settings.
#include <array>
#include <atomic>
#include <cstdint>

#include "platform/clock.h"
#include "settings/settings_record.h"

namespace kronvik {

inline constexpr uint32_t kFirstSyncDelayMs = 15000;
inline constexpr uint32_t kRetryDelayMs = 180000;

// The settings that decide the schedule, as they stood at some moment:
// RUN_AND_RUN, RUNTIME1, RUNTIME2, RUNTIME3, SNTPcycle and MODE.
using SyncSchedule = std::array<int32_t, 6>;

SyncSchedule ScheduleOf(const SettingsRecord& settings);

// Whether the settings ask for an automatic synchronisation that can run:
// once after start-up; daily at an hour of 0..23 and a minute of 0..59; or
// periodically, with a period above 0 whose milliseconds fit a signed 32-bit
// number. Only then is a failure retried.
bool ScheduleRuns(const SettingsRecord& settings);

// Timer3's period in ms, 0 for none: 15 s after start-up in modes 1 and 3
// (marking the first interval as issued in sync_armed), then nothing in
// mode 1 and the period in mode 3; in mode 2 the time until the daily
// minute, counted from the current minute's start. A schedule that cannot
// run gives 0.
uint32_t NextSyncInterval(const SettingsRecord& settings, std::atomic<int32_t>& sync_armed,
                          const LocalTime& now);

}  // namespace kronvik

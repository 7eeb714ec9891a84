#include "schedule/schedule_alert.h"

namespace kronvik {
namespace {

constexpr uint32_t kFlashPeriodMs = 500;
// The 20th tick of a run ends it: 19 flashes, then the caption bar as it was.
constexpr int32_t kFlashRunTicks = 20;

}  // namespace

ScheduleAlert::ScheduleAlert(ScheduleStore& store, Desktop& desktop, Timer& timer2)
    : store_(store), desktop_(desktop), timer2_(timer2) {}

int32_t ScheduleAlert::CheckSchedule(DSPDRAW_CLASS& tick) {
    const LocalTime& now = tick.LocalTime;
    store_.LoadIfDateChanged(now);
    for (const DaySlot& slot : store_.Slots()) {
        if (slot.year != now.year || slot.month != now.month || slot.day != now.day) continue;
        // The first appointment of the minute wins, in slot and time order.
        for (const ScheduleEntry& entry : slot.entries) {
            if (entry.hour != now.hour || entry.minute != now.minute) continue;
            tick.ScheduleText = entry.text;
            desktop_.Beep();
            // Setting the period again would restart a run in progress.
            if (timer2_.Interval() != kFlashPeriodMs) timer2_.SetInterval(kFlashPeriodMs);
            return 1;
        }
    }
    return 0;
}

void ScheduleAlert::Timer2Timer(WindowHandle tracked) {
    ++flash_count_;
    if (flash_count_ < kFlashRunTicks) {
        desktop_.Flash(tracked, true);
        return;
    }
    timer2_.SetInterval(0);
    flash_count_ = 0;
    desktop_.Flash(tracked, false);
}

}  // namespace kronvik

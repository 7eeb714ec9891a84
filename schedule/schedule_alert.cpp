#include "schedule/schedule_alert.h"

namespace kronvik {
namespace {

constexpr uint32_t kFlashPeriodMs = 500;
// The 20th tick of a run ends it: 19 flashes, then the caption bar as it was.
constexpr int32_t kFlashRunTicks = 20;

}  // namespace

ScheduleAlert::ScheduleAlert(ScheduleStore& store, MissedAlert& missed, Desktop& desktop, Timer& timer2)
    : store_(store), missed_(missed), desktop_(desktop), timer2_(timer2) {}

const ScheduleEntry* ScheduleAlert::DueEntry(const LocalTime& now) const {
    for (const DaySlot& slot : store_.Slots()) {
        if (slot.year != now.year || slot.month != now.month || slot.day != now.day) continue;
        // The first appointment of the minute wins, in slot and time order.
        for (const ScheduleEntry& entry : slot.entries) {
            if (entry.hour == now.hour && entry.minute == now.minute) return &entry;
        }
    }
    return nullptr;
}

int32_t ScheduleAlert::CheckSchedule(DSPDRAW_CLASS& tick) {
    store_.LoadIfDateChanged(tick.LocalTime);
    const ScheduleEntry* due = DueEntry(tick.LocalTime);
    due_ = due != nullptr;
    const std::string& missed = missed_.Announcement();
    if (!due && missed.empty()) return 0;
    if (due) tick.ScheduleText = due->text;
    // The due appointment comes first; the missed ones follow it.
    if (!missed.empty()) tick.ScheduleText.append(due ? "   " : "").append(missed);
    desktop_.Beep();
    // Setting the period again would restart a run in progress.
    if (timer2_.Interval() != kFlashPeriodMs) timer2_.SetInterval(kFlashPeriodMs);
    return 1;
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

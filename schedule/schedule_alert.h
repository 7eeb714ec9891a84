#pragma once
// Announces a due appointment: its text takes the clock's place in the
// caption for the whole minute, with a beep in every write tick, while the
// caption bar of the window in front flashes in runs of ten seconds. Missed
// appointments are announced the same way, after the due one.
#include <cstdint>

#include "display/dspdraw.h"
#include "platform/desktop.h"
#include "platform/timer.h"
#include "schedule/missed_alert.h"
#include "schedule/schedule_store.h"

namespace kronvik {

class ScheduleAlert {
public:
    ScheduleAlert(ScheduleStore& store, MissedAlert& missed, Desktop& desktop, Timer& timer2);

    // Runs in the display ticks that write the caption. 1 with the text in
    // tick.ScheduleText when an appointment is due in the tick's minute or
    // missed ones are being announced, 0 otherwise. A new date loads the
    // schedule again first.
    int32_t CheckSchedule(DSPDRAW_CLASS& tick);
    // The window in front showed the text of the tick just checked.
    void Shown(const DSPDRAW_CLASS& tick) { missed_.Shown(tick, due_); }
    // The flashing timer's tick; tracked is the window in front now.
    void Timer2Timer(WindowHandle tracked);

private:
    const ScheduleEntry* DueEntry(const LocalTime& now) const;

    ScheduleStore& store_;
    MissedAlert& missed_;
    Desktop& desktop_;
    Timer& timer2_;
    int32_t flash_count_ = 0;
    bool due_ = false;  // the last check found the minute's appointment
};

}  // namespace kronvik

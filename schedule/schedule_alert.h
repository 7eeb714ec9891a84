#pragma once
// Announces a due appointment: its text takes the clock's place in the
// caption for the whole minute, with a beep in every write tick, while the
// caption bar of the window in front flashes in runs of ten seconds.
#include <cstdint>

#include "display/dspdraw.h"
#include "platform/desktop.h"
#include "platform/timer.h"
#include "schedule/schedule_store.h"

namespace kronvik {

class ScheduleAlert {
public:
    ScheduleAlert(ScheduleStore& store, Desktop& desktop, Timer& timer2);

    // Runs in the display ticks that write the caption. 1 with the text in
    // tick.ScheduleText when an appointment is due in the tick's minute, 0
    // otherwise. A new date loads the schedule again first.
    int32_t CheckSchedule(DSPDRAW_CLASS& tick);
    // The flashing timer's tick; tracked is the window in front now.
    void Timer2Timer(WindowHandle tracked);

private:
    ScheduleStore& store_;
    Desktop& desktop_;
    Timer& timer2_;
    int32_t flash_count_ = 0;
};

}  // namespace kronvik

#pragma once
// The record of one display tick: made at the start of the tick and gone at
// its end. The caption writer and the schedule check fill it in turn.
#include <string>

#include "platform/clock.h"

namespace kronvik {

struct DSPDRAW_CLASS {
    kronvik::LocalTime LocalTime;     // filled by ComposeClockText
    std::string ScheduleText;         // the due appointment's text, if any
    std::u16string CaptionText;       // what this tick writes
};

}  // namespace kronvik

#pragma once
// The record of one display tick: created at the start of the tick and deleted
// at its end.
#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace kronvik {

class CaptionWriter;

class DSPDRAW_CLASS {
public:
    kronvik::LocalTime LocalTime;     // filled by ComposeClockText
    std::string ScheduleText;         // the due appointment's text, if any
    std::u16string CaptionText;       // what this tick writes

    // due != 0: the appointment's text replaces the clock text.
    void WriteCaption(int32_t due, CaptionWriter& writer);
};

}  // namespace kronvik

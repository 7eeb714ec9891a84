#pragma once
// The clock text: composed from the settings templates once a minute, or at the
// next tick after InvalidateClockText.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "display/dspdraw.h"
#include "platform/clock.h"
#include "settings/settings_record.h"

namespace kronvik {

// The weekday template chosen by WEEK_TYPE with the day name (0 = Sunday) put in.
std::string FormatWeekday(int32_t day_of_week, const SettingsRecord& settings);

class ClockTextComposer {
public:
    ClockTextComposer(Clock& clock, const SettingsRecord& settings);

    // Fills tick.LocalTime. Returns 1 when the minute is the one already
    // composed (nothing rebuilt), 0 when the clock text was rebuilt now.
    int32_t ComposeClockText(DSPDRAW_CLASS& tick);
    void InvalidateClockText();

    // The length of "   <clock text>" at the end of text, for today's date,
    // any minute and the settings as they are: a clock an earlier run left in
    // a caption. 0 when text ends otherwise.
    size_t LeftClock(std::u16string_view text) const;

    // The clock text in UTF-16, converted once per composition for the captions.
    const std::u16string& ClockText() const { return clock_text_; }

private:
    Clock& clock_;
    const SettingsRecord& settings_;
    std::u16string clock_text_;
    std::array<int32_t, 5> last_composed_minute_{};  // year, month, day, hour, minute
};

}  // namespace kronvik

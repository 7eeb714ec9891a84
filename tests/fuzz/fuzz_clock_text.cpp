// Hand-edited settings: any templates, memo, era name and selectors, at any
// time of day, through the composer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "display/clock_text.h"

namespace {

class FixedClock : public kronvik::Clock {
public:
    kronvik::LocalTime now;
    kronvik::LocalTime Now() override { return now; }
    kronvik::ClockSet SetLocal(const kronvik::LocalTime&) override { return kronvik::ClockSet::Done; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    kronvik::SettingsRecord s;
    s.DSP_FLAG = in.ConsumeIntegralInRange<int32_t>(-1, 3);
    s.YEAR_SEL = in.ConsumeIntegralInRange<int32_t>(-1, 3);
    s.WEEK_ON = in.ConsumeIntegralInRange<int32_t>(0, 1);
    s.WEEK_TYPE = in.ConsumeIntegralInRange<int32_t>(0, 2);
    s.DAY_FORM = in.ConsumeRandomLengthString(64);
    s.TIM_FORM = in.ConsumeRandomLengthString(64);
    s.WEK_FORM_J = in.ConsumeRandomLengthString(32);
    s.WEK_FORM_E = in.ConsumeRandomLengthString(32);
    s.REKI = in.ConsumeRandomLengthString(16);
    s.MEMO = in.ConsumeRandomLengthString(64);

    FixedClock clock;
    clock.now.year = in.ConsumeIntegral<int32_t>();
    clock.now.month = in.ConsumeIntegral<int32_t>();
    clock.now.day_of_week = in.ConsumeIntegral<int32_t>();
    clock.now.day = in.ConsumeIntegral<int32_t>();
    clock.now.hour = in.ConsumeIntegral<int32_t>();
    clock.now.minute = in.ConsumeIntegral<int32_t>();

    kronvik::ClockTextComposer composer(clock, s);
    kronvik::DSPDRAW_CLASS tick;
    const int32_t first = composer.ComposeClockText(tick);
    const std::u16string text = composer.ClockText();
    // A second tick in the same minute must not rebuild; after invalidating,
    // the same settings give the same text.
    if (composer.ComposeClockText(tick) != 1) std::abort();
    composer.InvalidateClockText();
    const int32_t again = composer.ComposeClockText(tick);
    if (clock.now.year != 0 && (first != 0 || again != 0)) std::abort();
    if (composer.ClockText() != text) std::abort();
    (void)kronvik::FormatWeekday(clock.now.day_of_week, s);
    return 0;
}

#include "display/clock_text.h"

#include <string_view>

#include "display/safe_format.h"
#include "platform/text.h"
#include "settings/templates.h"

namespace kronvik {

namespace {

constexpr std::string_view kJapaneseDays[7] = {"日", "月", "火", "水", "木", "金", "土"};
constexpr std::string_view kEnglishDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string ComposeText(const SettingsRecord& s, const LocalTime& t) {
    // The weekday text becomes part of the format string, so its '%' are
    // doubled: a percent sign in a weekday prefix must print, not convert.
    std::string weekday;
    if (s.WEEK_ON != 0) weekday.append(" ").append(EscapePercent(FormatWeekday(t.day_of_week, s)));
    const std::string_view memo = s.MEMO;

    if (s.DSP_FLAG == 1) return SafeFormat(s.TIM_FORM + weekday + "  %s", {t.hour, t.minute, memo});
    if (s.DSP_FLAG != 0) return {};

    const std::string format = s.DAY_FORM + weekday + "  " + s.TIM_FORM + "  %s";
    if (s.YEAR_SEL == 2) return SafeFormat(format, {t.month, t.day, t.hour, t.minute, memo});
    if (s.YEAR_SEL != 0 && s.YEAR_SEL != 1) return {};
    const int32_t year = s.YEAR_SEL == 0 ? t.year : EraYear(t.year, s.REKI);
    return SafeFormat(format, {year, t.month, t.day, t.hour, t.minute, memo});
}

// The text with each run of digits as one '0': the clock texts of one day
// and one setting differ only there.
std::u16string Shape(std::u16string_view text) {
    std::u16string shape;
    bool digits = false;
    for (const char16_t c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit || !digits) shape.push_back(digit ? u'0' : c);
        digits = digit;
    }
    return shape;
}

}  // namespace

std::string FormatWeekday(int32_t day_of_week, const SettingsRecord& settings) {
    const bool japanese = settings.WEEK_TYPE != 0;
    std::string_view name;
    if (day_of_week >= 0 && day_of_week < 7)
        name = japanese ? kJapaneseDays[day_of_week] : kEnglishDays[day_of_week];
    // The template may have been edited by hand in the registry.
    return SafeFormat(japanese ? settings.WEK_FORM_J : settings.WEK_FORM_E, {name});
}

ClockTextComposer::ClockTextComposer(Clock& clock, const SettingsRecord& settings)
    : clock_(clock), settings_(settings) {}

int32_t ClockTextComposer::ComposeClockText(DSPDRAW_CLASS& tick) {
    tick.LocalTime = clock_.Now();
    const LocalTime& t = tick.LocalTime;
    const std::array<int32_t, 5> minute{t.year, t.month, t.day, t.hour, t.minute};
    if (minute == last_composed_minute_) return 1;

    last_composed_minute_ = minute;
    clock_text_ = Utf8ToUtf16(ComposeText(settings_, t));
    return 0;
}

size_t ClockTextComposer::LeftClock(std::u16string_view text) const {
    LocalTime t = clock_.Now();
    // Each minute of the day is composed only for a text that could end so.
    if (!Shape(text).ends_with(Shape(u"   " + Utf8ToUtf16(ComposeText(settings_, t))))) return 0;
    for (t.hour = 0; t.hour < 24; ++t.hour) {
        for (t.minute = 0; t.minute < 60; ++t.minute) {
            const std::u16string left = u"   " + Utf8ToUtf16(ComposeText(settings_, t));
            if (text.ends_with(left)) return left.size();
        }
    }
    return 0;
}

void ClockTextComposer::InvalidateClockText() { last_composed_minute_[0] = 0; }

}  // namespace kronvik

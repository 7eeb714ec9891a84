#include "settings/templates.h"

namespace kronvik {

std::string EscapePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// The templates are built by concatenation: a user text never passes through a
// formatting function, and its '%' are doubled so they stay literal when the
// clock text fills the template in.
std::string ComposeDateTemplate(int32_t year_sel, int32_t zero, std::string_view era_name,
                                std::string_view year_separator, std::string_view month_separator,
                                std::string_view day_separator) {
    const bool padded = zero != 0;
    const std::string two = padded ? "%02d" : "%d";
    std::string out;
    switch (year_sel) {
    case 0:
        out = (padded ? "%04d" : "%d") + EscapePercent(year_separator);
        break;
    case 1:
        out = EscapePercent(era_name) + two + EscapePercent(year_separator);
        break;
    case 2:
        break;
    default:
        return {};
    }
    return out + two + EscapePercent(month_separator) + two + EscapePercent(day_separator);
}

std::string ComposeTimeTemplate(int32_t zero, std::string_view hour_separator,
                                std::string_view minute_separator) {
    // Only the hour loses its leading zero; the minute always keeps two digits.
    return (zero != 0 ? "%02d" : "%d") + EscapePercent(hour_separator) + "%02d" +
           EscapePercent(minute_separator);
}

std::string ComposeWeekdayTemplate(std::string_view before, std::string_view after) {
    return EscapePercent(before) + "%s" + EscapePercent(after);
}

int32_t EraYear(int32_t western_year, std::string_view era_name) {
    int32_t base = 1988;
    if (era_name == "令和") base = 2018;
    else if (era_name == "昭和") base = 1925;
    else if (era_name == "大正") base = 1911;
    else if (era_name == "明治") base = 1867;
    // Widened so an absurd year from the caller cannot overflow.
    return static_cast<int32_t>(static_cast<int64_t>(western_year) - base);
}

}  // namespace kronvik

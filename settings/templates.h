#pragma once
// The printf-style templates of the clock text, composed from the user's
// separators. Every '%' of a user text is doubled, so a template never holds a
// conversion the user typed.
#include <cstdint>
#include <string>
#include <string_view>

namespace kronvik {

std::string EscapePercent(std::string_view text);

std::string ComposeDateTemplate(int32_t year_sel, int32_t zero, std::string_view era_name,
                                std::string_view year_separator, std::string_view month_separator,
                                std::string_view day_separator);
std::string ComposeTimeTemplate(int32_t zero, std::string_view hour_separator,
                                std::string_view minute_separator);
std::string ComposeWeekdayTemplate(std::string_view before, std::string_view after);

// The era year shown behind an era name: the Western year minus the year before
// the era's first year (令和 2018, 平成 1988, 昭和 1925, 大正 1911, 明治 1867;
// any other name is counted like 平成).
int32_t EraYear(int32_t western_year, std::string_view era_name);

}  // namespace kronvik

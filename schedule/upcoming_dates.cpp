#include "schedule/upcoming_dates.h"

#include <array>
#include <cstddef>

#include "platform/local_calendar.h"

namespace kronvik {
namespace {

// February counts 29 days here; the day advance handles the non-leap year.
int32_t AdvanceMonthLength(int32_t month) {
    static constexpr std::array<int32_t, 12> kLengths = {31, 29, 31, 30, 31, 30,
                                                         31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 ? kLengths[static_cast<std::size_t>(month - 1)] : 0;
}

void AdvanceOneDay(int32_t& year, int32_t& month, int32_t& day) {
    if (day < AdvanceMonthLength(month)) {
        ++day;
        if (month == 2 && day == 29 && !IsLeapYear(year)) {
            month = 3;
            day = 1;
        }
    } else {
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

// 1 = Sunday .. 7 = Saturday, proleptic Gregorian calendar.
int32_t GregorianWeekday(int32_t year, int32_t month, int32_t day) {
    static constexpr std::array<int32_t, 12> kMonthOffset = {0, 3, 2, 5, 0, 3,
                                                             5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    const int32_t sunday_based =
        (year + year / 4 - year / 100 + year / 400 +
         kMonthOffset[static_cast<std::size_t>(month - 1)] + day) % 7;
    return sunday_based + 1;
}

// Positions of year, month and day among the three numbers of a short date.
struct FieldOrder {
    int year;
    int month;
    int day;
};

FieldOrder OrderOf(int32_t date_order) {
    switch (date_order) {
        case kDateOrderMdy: return {2, 0, 1};
        case kDateOrderDmy: return {2, 1, 0};
        default: return {0, 1, 2};
    }
}

// An unsigned decimal number of at most 9 digits (enough for any date field,
// and free of overflow); advances pos past it.
bool ParseNumber(std::string_view text, std::size_t& pos, int32_t& value) {
    const std::size_t start = pos;
    int32_t result = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (pos - start == 9) return false;
        result = result * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) return false;
    value = result;
    return true;
}

}  // namespace

UpcomingDates ComputeUpcomingDates(int32_t year, int32_t month, int32_t day,
                                   int32_t date_order) {
    UpcomingDates dates{};
    for (UpcomingDate& date : dates) {
        date.year = year;
        date.month = month;
        date.day = day;
        date.weekday = WeekdayIndex(year, month, day, date_order);
        AdvanceOneDay(year, month, day);
    }
    return dates;
}

std::string ShortDateText(int32_t year, int32_t month, int32_t day, int32_t date_order) {
    const FieldOrder order = OrderOf(date_order);
    std::array<std::string, 3> fields;
    fields[static_cast<std::size_t>(order.year)] = std::to_string(year);
    fields[static_cast<std::size_t>(order.month)] = std::to_string(month);
    fields[static_cast<std::size_t>(order.day)] = std::to_string(day);
    return fields[0] + "/" + fields[1] + "/" + fields[2];
}

int32_t ShortDateToWeekday(std::string_view text, int32_t date_order) {
    std::array<int32_t, 3> numbers{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '/') return kWeekdayUnknown;
            ++pos;
        }
        if (!ParseNumber(text, pos, numbers[i])) return kWeekdayUnknown;
    }
    if (pos != text.size()) return kWeekdayUnknown;

    const FieldOrder order = OrderOf(date_order);
    const int32_t year = numbers[static_cast<std::size_t>(order.year)];
    const int32_t month = numbers[static_cast<std::size_t>(order.month)];
    const int32_t day = numbers[static_cast<std::size_t>(order.day)];
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return kWeekdayUnknown;
    }
    return GregorianWeekday(year, month, day);
}

int32_t WeekdayIndex(int32_t year, int32_t month, int32_t day, int32_t date_order) {
    return ShortDateToWeekday(ShortDateText(year, month, day, date_order), date_order);
}

}  // namespace kronvik

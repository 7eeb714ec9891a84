// Arbitrary Date header values through the HTTP date reader; every accepted
// date is written back in the first form by an independent calendar and must
// read the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_fail.h"
#include "timesync/time_page.h"

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// "Sun, 06 Nov 1994 08:49:37 GMT" of seconds since 1970, years 0 to 9999.
std::string FixDate(int64_t seconds) {
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int64_t days = FloorDiv(seconds, 86400);
    const int64_t in_day = seconds - days * 86400;
    // Civil date of a day count, in eras of 400 years starting 0000-03-01.
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const int64_t weekday = days - FloorDiv(days + 3, 7) * 7 + 3;  // 1970-01-01 was a Thursday
    char out[64];
    std::snprintf(out, sizeof out, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[weekday], static_cast<int>(day),
                  kMonths[month - 1], static_cast<int>(year), static_cast<int>(in_day / 3600),
                  static_cast<int>(in_day / 60 % 60), static_cast<int>(in_day % 60));
    return out;
}

// 0000-01-01 00:00:00, 9999-12-31 23:59:59 and 2070-01-01 00:00:00 UTC.
constexpr int64_t kYear0 = -62167219200;
constexpr int64_t kYear9999End = 253402300799;
constexpr int64_t kYear2070 = 3155760000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An odd first byte picks a sample of one of the three forms and the rest
    // edits it as (position, byte) pairs, so that many inputs are dates or
    // nearly so; otherwise the bytes are the text as they are. The samples sit
    // one edit from the edges: a leap day, a leap second, the two-digit year
    // turning from 2069 to 1970, year 0.
    static constexpr std::string_view kForms[] = {"Thu, 29 Feb 2024 23:59:50 GMT", "Thursday, 31-Dec-69 23:59:50 GMT",
                                                  "Sat Jan  1 00:00:50 0000"};
    std::string edited;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1) != 0) {
        edited = kForms[data[0] / 2 % 3];
        for (size_t i = 1; i + 1 < size; i += 2) edited[data[i] % edited.size()] = static_cast<char>(data[i + 1]);
        text = edited;
    }
    const auto seconds = kronvik::ParseHttpDate(text);
    if (!seconds) return 0;

    if (*seconds < kYear0 || *seconds > kYear9999End) Fail("date outside years 0000..9999");
    // Only the two-digit year form has '-'; it covers 1970 to 2069.
    if (text.find('-') != std::string_view::npos && (*seconds < 0 || *seconds >= kYear2070))
        Fail("two-digit year outside 1970..2069");

    const std::string fixdate = FixDate(*seconds);
    if (kronvik::ParseHttpDate(fixdate) != seconds) Fail("written-back date reads differently");
    // In the first form the fields come back as written (bar the weekday, which
    // is not checked, and a leap second, read as 59).
    if (text.size() == 29 && text[3] == ',') {
        if (text.substr(5, 18) != std::string_view(fixdate).substr(5, 18)) Fail("date or time of day moved");
        const std::string_view second = text.substr(23, 2);
        if (fixdate.substr(23, 2) != (second == "60" ? "59" : second)) Fail("second moved");
    }
    return 0;
}

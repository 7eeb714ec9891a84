// Composes the clock templates from arbitrary user texts and checks that every
// conversion in them is one the composer put there: the user's '%' must stay
// literal, and filling the template must give back exactly the user's texts
// around the numbers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "settings/templates.h"

namespace {

using kronvik::ComposeDateTemplate;
using kronvik::ComposeTimeTemplate;
using kronvik::ComposeWeekdayTemplate;

[[noreturn]] void Fail(const char* what, const std::string& tmpl) {
    std::fprintf(stderr, "%s: [%s]\n", what, tmpl.c_str());
    std::abort();
}

// The conversions of a template in order, as written after each '%' ("04d",
// "s", ...); "%%" is a literal and yields none.
std::vector<std::string> Conversions(const std::string& tmpl) {
    std::vector<std::string> found;
    for (size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] != '%') continue;
        if (++i >= tmpl.size()) Fail("lone % at the end", tmpl);
        if (tmpl[i] == '%') continue;
        const size_t start = i;
        while (i < tmpl.size() && tmpl[i] >= '0' && tmpl[i] <= '9') ++i;
        if (i >= tmpl.size()) Fail("unfinished conversion", tmpl);
        found.push_back(tmpl.substr(start, i - start + 1));
    }
    return found;
}

void Expect(const std::string& tmpl, const std::vector<std::string>& conversions) {
    if (Conversions(tmpl) != conversions) Fail("foreign conversion", tmpl);
}

template <typename... Args>
std::string Fill(const std::string& tmpl, Args... args) {
    std::vector<char> buf(tmpl.size() + 64);
    std::snprintf(buf.data(), buf.size(), tmpl.c_str(), args...);
    return buf.data();
}

void ExpectText(const std::string& got, const std::string& want, const std::string& tmpl) {
    if (got != want) Fail("filled text differs", tmpl);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // Year display -1..3 (3 and -1 are outside what the dialog offers), zero flag.
    const int32_t year_sel = static_cast<int32_t>(data[0] % 5) - 1;
    const int32_t zero = data[1] & 0x03;
    // The rest is up to eight NUL-separated user texts; NUL cannot reach a
    // template from the dialog, so it only separates.
    std::vector<std::string> texts(8);
    size_t n = 0;
    for (size_t i = 2; i < size; ++i) {
        if (data[i] == 0) {
            if (++n == texts.size()) break;
        } else {
            texts[n] += static_cast<char>(data[i]);
        }
    }
    const std::string& era = texts[0];
    const std::string& ys = texts[1];
    const std::string& ms = texts[2];
    const std::string& ds = texts[3];
    const std::string& hs = texts[4];
    const std::string& mins = texts[5];
    const std::string& before = texts[6];
    const std::string& after = texts[7];

    const std::string two = zero ? "02d" : "d";
    const std::string date = ComposeDateTemplate(year_sel, zero, era, ys, ms, ds);
    switch (year_sel) {
    case 0:
        Expect(date, {zero ? "04d" : "d", two, two});
        ExpectText(Fill(date, 2007, 6, 21),
                   "2007" + ys + (zero ? "06" : "6") + ms + "21" + ds, date);
        break;
    case 1:
        Expect(date, {two, two, two});
        ExpectText(Fill(date, 9, 6, 21),
                   era + (zero ? "09" : "9") + ys + (zero ? "06" : "6") + ms + "21" + ds, date);
        break;
    case 2:
        Expect(date, {two, two});
        ExpectText(Fill(date, 6, 21), (zero ? "06" : "6") + ms + "21" + ds, date);
        break;
    default:
        if (!date.empty()) Fail("template for an unknown year display", date);
    }

    const std::string time = ComposeTimeTemplate(zero, hs, mins);
    Expect(time, {two, "02d"});
    ExpectText(Fill(time, 9, 5), (zero ? "09" : "9") + hs + "05" + mins, time);

    const std::string weekday = ComposeWeekdayTemplate(before, after);
    Expect(weekday, {"s"});
    ExpectText(Fill(weekday, "Thu"), before + "Thu" + after, weekday);
    return 0;
}

#include "settings/templates.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kronvik {
namespace {

// Fills a template the way the clock text does, for 21 June 2007, 09:05,
// so the tests check what the user finally sees, not only the template.
std::string FillDate(const std::string& tmpl, int32_t year_sel, std::string_view era) {
    char buf[256];
    const int year = year_sel == 1 ? EraYear(2007, era) : 2007;
    if (year_sel == 2) {
        std::snprintf(buf, sizeof buf, tmpl.c_str(), 6, 21);
    } else {
        std::snprintf(buf, sizeof buf, tmpl.c_str(), year, 6, 21);
    }
    return buf;
}

std::string FillTime(const std::string& tmpl) {
    char buf[256];
    std::snprintf(buf, sizeof buf, tmpl.c_str(), 9, 5);
    return buf;
}

std::string FillWeekday(const std::string& tmpl, const char* name) {
    char buf[256];
    std::snprintf(buf, sizeof buf, tmpl.c_str(), name);
    return buf;
}

struct DateCase {
    int32_t year_sel;
    int32_t zero;
    const char* tmpl;
    const char* text;
};

TEST(TemplateCompose, DateForEveryYearDisplayAndZeroFlag) {
    const DateCase cases[] = {
        {0, 1, "%04d年%02d月%02d日", "2007年06月21日"},
        {0, 0, "%d年%d月%d日", "2007年6月21日"},
        {1, 1, "平成%02d年%02d月%02d日", "平成19年06月21日"},
        {1, 0, "平成%d年%d月%d日", "平成19年6月21日"},
        {2, 1, "%02d月%02d日", "06月21日"},
        {2, 0, "%d月%d日", "6月21日"},
        {0, 7, "%04d年%02d月%02d日", "2007年06月21日"},  // any non-zero pads
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "year_sel " << c.year_sel << " zero " << c.zero);
        const std::string tmpl = ComposeDateTemplate(c.year_sel, c.zero, "平成", "年", "月", "日");
        EXPECT_EQ(tmpl, c.tmpl);
        EXPECT_EQ(FillDate(tmpl, c.year_sel, "平成"), c.text);
    }
}

TEST(TemplateCompose, DateWithUnknownYearDisplayIsEmpty) {
    EXPECT_EQ(ComposeDateTemplate(3, 1, "平成", "年", "月", "日"), "");
    EXPECT_EQ(ComposeDateTemplate(-1, 0, "平成", "年", "月", "日"), "");
}

TEST(TemplateCompose, DateUsesOnlyTheSeparatorsItShows) {
    // The year separator and the era name vanish when no year is shown.
    EXPECT_EQ(ComposeDateTemplate(2, 1, "ERA", "Y", "/", ""), "%02d/%02d");
    EXPECT_EQ(ComposeDateTemplate(0, 1, "ERA", "-", "-", ""), "%04d-%02d-%02d");
    EXPECT_EQ(ComposeDateTemplate(0, 1, "", "", "", ""), "%04d%02d%02d");
    EXPECT_EQ(FillDate(ComposeDateTemplate(0, 1, "", "", "", ""), 0, ""), "20070621");
    EXPECT_EQ(FillDate(ComposeDateTemplate(1, 1, "昭和", ".", ".", ""), 1, "昭和"), "昭和82.06.21");
}

TEST(TemplateCompose, TimeKeepsTwoDigitMinutes) {
    EXPECT_EQ(ComposeTimeTemplate(1, "時", "分"), "%02d時%02d分");
    EXPECT_EQ(FillTime(ComposeTimeTemplate(1, "時", "分")), "09時05分");
    EXPECT_EQ(ComposeTimeTemplate(0, "時", "分"), "%d時%02d分");
    EXPECT_EQ(FillTime(ComposeTimeTemplate(0, "時", "分")), "9時05分");
    EXPECT_EQ(FillTime(ComposeTimeTemplate(1, ":", "")), "09:05");
}

TEST(TemplateCompose, WeekdayWrapsTheDayName) {
    EXPECT_EQ(ComposeWeekdayTemplate("", "曜日"), "%s曜日");
    EXPECT_EQ(ComposeWeekdayTemplate("[ ", " ]"), "[ %s ]");
    EXPECT_EQ(FillWeekday(ComposeWeekdayTemplate("[ ", " ]"), "Thu"), "[ Thu ]");
    EXPECT_EQ(ComposeWeekdayTemplate("", ""), "%s");
}

// A '%' typed by the user must come out as a literal '%' and never turn into a
// conversion that would read an argument the clock text does not pass.
TEST(TemplateCompose, PercentInUserTextsStaysLiteral) {
    EXPECT_EQ(EscapePercent("100%"), "100%%");
    EXPECT_EQ(EscapePercent("%%"), "%%%%");
    EXPECT_EQ(EscapePercent("年"), "年");

    EXPECT_EQ(FillDate(ComposeDateTemplate(0, 1, "%s", "%s", "%n", "%"), 0, ""), "2007%s06%n21%");
    EXPECT_EQ(FillDate(ComposeDateTemplate(1, 0, "%s%d", "%", "%", "%"), 1, "%s%d"),
              "%s%d19%6%21%");
    EXPECT_EQ(FillTime(ComposeTimeTemplate(1, "%", "%02d")), "09%05%02d");
    EXPECT_EQ(FillWeekday(ComposeWeekdayTemplate("%s", "%x%"), "Thu"), "%sThu%x%");
}

TEST(TemplateEraYear, CountsFromTheYearBeforeTheEra) {
    EXPECT_EQ(EraYear(2019, "令和"), 1);
    EXPECT_EQ(EraYear(2007, "平成"), 19);
    EXPECT_EQ(EraYear(1989, "昭和"), 64);
    EXPECT_EQ(EraYear(1926, "大正"), 15);
    EXPECT_EQ(EraYear(1912, "明治"), 45);
    // Any other name is counted like 平成.
    EXPECT_EQ(EraYear(2007, "西暦"), 19);
    EXPECT_EQ(EraYear(2007, ""), 19);
}

}  // namespace
}  // namespace kronvik

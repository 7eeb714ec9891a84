#include <gtest/gtest.h>

#include "display/clock_text.h"
#include "fakes/fake_clock.h"
#include "platform/text.h"

namespace kronvik {
namespace {

class ClockTextTest : public ::testing::Test {
protected:
    ClockTextTest() {
        settings.DAY_FORM = "%04d年%02d月%02d日";
        settings.TIM_FORM = "%02d時%02d分";
        settings.WEK_FORM_J = "%s曜日";
        settings.WEK_FORM_E = "[ %s ]";
        settings.REKI = "平成";
        clock.Set(2007, 6, 21, 15, 4, 30, 4);  // a Thursday
    }

    std::string Compose() {
        composer.InvalidateClockText();
        DSPDRAW_CLASS tick;
        composer.ComposeClockText(tick);
        return Utf16ToUtf8(composer.ClockText());
    }

    fakes::FakeClock clock;
    SettingsRecord settings;
    ClockTextComposer composer{clock, settings};
};

TEST_F(ClockTextTest, ComposesEachLayout) {
    settings.YEAR_SEL = 1;
    settings.DAY_FORM = "平成%02d年%02d月%02d日";
    settings.WEEK_ON = 1;
    settings.WEEK_TYPE = 1;
    EXPECT_EQ(Compose(), "平成19年06月21日 木曜日  15時04分  ");
    EXPECT_EQ(composer.ClockText(), u"平成19年06月21日 木曜日  15時04分  ");

    settings.DSP_FLAG = 1;
    settings.WEEK_TYPE = 0;
    settings.MEMO = "MEMO";
    EXPECT_EQ(Compose(), "15時04分 [ Thu ]  MEMO");
    settings.WEEK_ON = 0;
    EXPECT_EQ(Compose(), "15時04分  MEMO");

    settings.DSP_FLAG = 0;
    settings.YEAR_SEL = 0;
    settings.DAY_FORM = "%04d年%02d月%02d日";
    EXPECT_EQ(Compose(), "2007年06月21日  15時04分  MEMO");

    // Without a year the template takes month and day only.
    settings.YEAR_SEL = 2;
    settings.DAY_FORM = "%d月%d日";
    settings.TIM_FORM = "%d時%02d分";
    clock.Set(2007, 1, 2, 3, 4, 0, 2);
    EXPECT_EQ(Compose(), "1月2日  3時04分  MEMO");
}

TEST_F(ClockTextTest, EraYearFollowsTheEraName) {
    settings.YEAR_SEL = 1;
    settings.DAY_FORM = "%d/%d/%d";
    settings.TIM_FORM = "%02d:%02d";
    settings.REKI = "令和";
    clock.Set(2019, 5, 1, 0, 0);
    EXPECT_EQ(Compose(), "1/5/1  00:00  ");
    settings.REKI = "平成";
    clock.Set(1988, 1, 1, 0, 0);
    EXPECT_EQ(Compose(), "0/1/1  00:00  ");
    clock.Set(1980, 1, 1, 0, 0);
    EXPECT_EQ(Compose(), "-8/1/1  00:00  ");
}

TEST_F(ClockTextTest, OutOfRangeSelectorsGiveEmptyText) {
    for (const int32_t flag : {2, 3, -1}) {
        settings.DSP_FLAG = flag;
        EXPECT_EQ(Compose(), "") << flag;
        EXPECT_TRUE(composer.ClockText().empty());
    }
    settings.DSP_FLAG = 0;
    settings.YEAR_SEL = 3;
    EXPECT_EQ(Compose(), "");
    // Time-only mode does not look at the year style.
    settings.DSP_FLAG = 1;
    EXPECT_EQ(Compose(), "15時04分  ");
}

TEST_F(ClockTextTest, PercentSignsInUserTextsStayLiteral) {
    settings.WEEK_ON = 1;
    settings.WEEK_TYPE = 1;
    settings.WEK_FORM_J = "%%%s%d曜日";  // hand-edited: one conversion too many
    settings.MEMO = "100%d%s%n";
    EXPECT_EQ(FormatWeekday(4, settings), "%木%d曜日");
    EXPECT_EQ(FormatWeekday(7, settings), "%%d曜日");  // no such day: no name
    // The weekday text must not take the hour, nor shift the time's arguments.
    EXPECT_EQ(Compose(), "2007年06月21日 %木%d曜日  15時04分  100%d%s%n");

    settings.DAY_FORM = "%s%s%s%s%s%s%s%s%n%p";
    settings.TIM_FORM = "%d";
    settings.WEEK_ON = 0;
    EXPECT_EQ(Compose(), "2007621154100%d%s%n%s%s%n%p  %d  %s");
}

TEST_F(ClockTextTest, RecomposesOnlyOnANewMinuteOrWhenInvalidated) {
    DSPDRAW_CLASS tick;
    EXPECT_EQ(composer.ComposeClockText(tick), 0);  // nothing composed yet
    EXPECT_EQ(tick.LocalTime.second, 30);
    const std::u16string first = composer.ClockText();

    settings.MEMO = "changed";
    clock.Set(2007, 6, 21, 15, 4, 59, 4);
    DSPDRAW_CLASS same_minute;
    EXPECT_EQ(composer.ComposeClockText(same_minute), 1);
    EXPECT_EQ(same_minute.LocalTime.second, 59);  // the tick still gets its time
    EXPECT_EQ(composer.ClockText(), first);

    composer.InvalidateClockText();
    EXPECT_EQ(composer.ComposeClockText(tick), 0);
    EXPECT_EQ(composer.ClockText(), u"2007年06月21日  15時04分  changed");
    EXPECT_EQ(composer.ComposeClockText(tick), 1);

    // Any of the five fields counts; the day of week alone does not.
    clock.now.day_of_week = 5;
    EXPECT_EQ(composer.ComposeClockText(tick), 1);
    clock.now.year = 2008;
    EXPECT_EQ(composer.ComposeClockText(tick), 0);
    clock.now.hour = 16;
    EXPECT_EQ(composer.ComposeClockText(tick), 0);
    EXPECT_EQ(composer.ClockText(), u"2008年06月21日  16時04分  changed");
}

}  // namespace
}  // namespace kronvik

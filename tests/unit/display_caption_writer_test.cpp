// The display tick's fixed behaviours; the randomized model in tests/model
// covers the windows that retitle, add documents, hang and vanish.
#include <gtest/gtest.h>

#include "display/caption_writer.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_timer.h"

namespace kronvik {
namespace {

constexpr char16_t kClock[] = u"15時04分  ";

class CaptionWriterTest : public ::testing::Test {
protected:
    CaptionWriterTest() {
        settings.DSP_FLAG = 1;
        settings.TIM_FORM = "%02d時%02d分";
        clock.Set(2007, 6, 21, 15, 4, 0, 4);
        desktop.Add(1, u"T");
        desktop.Add(2, u"U");
        desktop.foreground = 1;
    }

    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            writer.Timer1Timer();
            desktop.Advance(500);
            clock.AddHalfSecond();
        }
    }
    void NextMinute() {
        clock.now.minute += 1;
        clock.now.second = 0;
    }
    std::u16string WithClock(const std::u16string& own) const { return own + u"   " + kClock; }

    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2{500};
    SettingsRecord settings;
    SyncFlags flags;
    ClockTextComposer composer{clock, settings};
    int schedule_checks = 0;
    std::string due_text;
    CaptionWriter writer{desktop, composer, settings, flags, timer2, [this](DSPDRAW_CLASS& tick) {
                             ++schedule_checks;
                             tick.ScheduleText = due_text;
                             return due_text.empty() ? 0 : 1;
                         }};
};

TEST_F(CaptionWriterTest, ClockFollowsTheForegroundAndEveryCaptionComesBack) {
    // Korean and an emoji outside the BMP are kept exactly; an empty caption
    // is given back too.
    const std::u16string wide = u"메모장 \U0001F600 テスト";
    desktop.Add(3, wide);
    desktop.Add(4, u"");
    for (const WindowHandle next : {WindowHandle{2}, WindowHandle{3}, WindowHandle{4}, WindowHandle{1}}) {
        const WindowHandle before = desktop.foreground;
        const std::u16string own = desktop.windows.at(before).title;
        Ticks(1);
        EXPECT_EQ(desktop.Caption(before), WithClock(own));
        desktop.foreground = next;
        Ticks(1);
        EXPECT_EQ(desktop.Caption(before), own);
    }
    writer.GiveBackAll();
    EXPECT_EQ(desktop.Caption(1), u"T");
    const int writes = desktop.total_writes;
    Ticks(2);  // the program has ended: nothing more is written
    EXPECT_EQ(desktop.total_writes, writes);
}

TEST_F(CaptionWriterTest, SteadyWindowIsWrittenOncePerMinute) {
    for (int minute = 0; minute < 3; ++minute) {
        Ticks(120);  // 120 ticks of half a second run into the next minute
        EXPECT_EQ(desktop.Writes(1), minute + 1);
    }
    EXPECT_EQ(desktop.total_writes, 3);
    EXPECT_EQ(schedule_checks, 360);  // ticks that need no write still check the schedule
}

TEST_F(CaptionWriterTest, WindowThatRefusesTheClockIsLeftAloneUntilTheNextMinute) {
    for (const bool retitles : {false, true}) {
        SCOPED_TRACE(retitles);
        const WindowHandle handle = retitles ? 4 : 3;
        auto& window = desktop.Add(handle, u"Stubborn");
        (retitles ? window.retitles_back : window.refuses) = true;
        desktop.foreground = handle;
        schedule_checks = 0;

        Ticks(30);
        EXPECT_EQ(desktop.Writes(handle), 5);
        EXPECT_EQ(schedule_checks, 5);
        NextMinute();
        Ticks(30);
        EXPECT_EQ(desktop.Writes(handle), 10);
        EXPECT_EQ(desktop.Caption(handle), u"Stubborn");
        // Nothing of ours is there, so nothing is given back.
        desktop.foreground = 1;
        Ticks(1);
        EXPECT_EQ(desktop.Writes(handle), 10);
    }
}

TEST_F(CaptionWriterTest, NoDisplayTouchesNoWindowUntilTheEnd) {
    Ticks(1);
    settings.DSP_FLAG = 2;
    const int reads = desktop.reads;
    desktop.foreground = 2;
    Ticks(5);
    EXPECT_EQ(desktop.reads, reads);
    EXPECT_EQ(desktop.total_writes, 1);
    EXPECT_EQ(schedule_checks, 1);
    EXPECT_EQ(desktop.Caption(1), WithClock(u"T"));
    writer.GiveBackAll();
    EXPECT_EQ(desktop.Caption(1), u"T");
}

TEST_F(CaptionWriterTest, MarkersAndAppointmentsTakeTheClocksPlace) {
    flags.SyncRunning = 1;
    flags.AutoSync = 1;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), WithClock(u"T") + u".");
    flags.AutoSync = 0;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), WithClock(u"T") + u" [ Internet Access ]");
    EXPECT_EQ(timer2.Interval(), 0u);

    flags.SyncRunning = 0;
    timer2.SetInterval(500);
    due_text = "会議 100%s";
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), u"T   会議 100%s");
    EXPECT_EQ(timer2.Interval(), 500u);  // the alert keeps flashing
    due_text.clear();
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), WithClock(u"T"));
    EXPECT_EQ(timer2.Interval(), 0u);
}

// Something sent to the program while a write waits (the end of the
// session) must neither run the tick again nor leave the clock behind.
TEST_F(CaptionWriterTest, EndThatArrivesWhileAWriteWaitsGivesTheCaptionBack) {
    desktop.windows.at(1).slow_ms = 100;
    int writes_inside = -1;
    desktop.while_sending = [&] {
        const int before = desktop.total_writes;
        writer.Timer1Timer();
        writes_inside = desktop.total_writes - before;
        writer.GiveBackAll();
    };
    Ticks(1);
    EXPECT_EQ(writes_inside, 0);
    desktop.Advance(1000);
    EXPECT_EQ(desktop.Caption(1), u"T");
}

}  // namespace
}  // namespace kronvik

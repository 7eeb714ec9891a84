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
            clock.AddHalfSecond();
        }
    }
    void NextMinute() {
        clock.now.minute += 1;
        clock.now.second = 0;
        clock.now.milliseconds = 0;
    }

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

TEST_F(CaptionWriterTest, ForegroundWindowCarriesTheClockAndGetsItsCaptionBack) {
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"T   ") + kClock);
    desktop.foreground = 2;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), u"T");
    EXPECT_EQ(desktop.Caption(2), std::u16string(u"U   ") + kClock);
    EXPECT_EQ(writer.SavedCaption(), u"U");

    // An empty caption is given back too: the window must not keep the clock.
    desktop.Add(3, u"");
    desktop.foreground = 3;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(3), std::u16string(u"   ") + kClock);
    desktop.foreground = 1;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(3), u"");

    writer.RestoreCaption();
    EXPECT_EQ(desktop.Caption(1), u"T");
    const int writes = desktop.total_writes;
    writer.RestoreCaption();  // nothing of ours left there
    EXPECT_EQ(desktop.total_writes, writes);
}

TEST_F(CaptionWriterTest, SteadyWindowIsWrittenOncePerMinute) {
    // Korean and an emoji outside the BMP: kept exactly, lengths in UTF-16 units.
    const std::u16string own = u"메모장 \U0001F600 テスト";
    desktop.Retitle(1, own);
    for (int minute = 0; minute < 3; ++minute) {
        Ticks(120);
        EXPECT_EQ(desktop.Writes(1), minute + 1);
        EXPECT_EQ(writer.MissCount(), 0);
        EXPECT_EQ(desktop.Caption(1), own + u"   " + composer.ClockText16());
    }  // 120 ticks of half a second run into the next minute
    EXPECT_EQ(writer.CaptionWrites(), 3u);
    EXPECT_EQ(schedule_checks, 360);  // skipped writes still check the schedule
    desktop.foreground = 2;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), own);
}

TEST_F(CaptionWriterTest, WindowThatRetitlesItselfKeepsItsNewTitle) {
    Ticks(1);
    desktop.Retitle(1, u"Doc2");
    Ticks(1);
    EXPECT_EQ(writer.SavedCaption(), u"Doc2");
    EXPECT_EQ(writer.MissCount(), 1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"Doc2   ") + kClock);
    Ticks(1);
    EXPECT_EQ(writer.MissCount(), 0);
    // The old title inside the new one is not the clock.
    desktop.Retitle(1, u"Doc2 *");
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"Doc2 *   ") + kClock);

    // Retitled after our last write: the new title is not ours to replace.
    desktop.Retitle(1, u"Doc3");
    desktop.foreground = 2;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), u"Doc3");
    EXPECT_EQ(desktop.Writes(1), 3);
    desktop.Retitle(2, u"U2");
    writer.RestoreCaption();
    EXPECT_EQ(desktop.Caption(2), u"U2");
}

TEST_F(CaptionWriterTest, WindowThatAddsToItsCaptionKeepsOneAdditionAcrossVisits) {
    desktop.Add(3, u"Frame - [doc]").appends = u" - [doc]";
    for (int visit = 0; visit < 3; ++visit) {
        desktop.foreground = 3;
        Ticks(visit == 0 ? 3 : 1);
        EXPECT_EQ(desktop.Caption(3), std::u16string(u"Frame - [doc]   ") + kClock + u" - [doc]");
        desktop.foreground = 1;
        Ticks(1);
        EXPECT_EQ(desktop.Caption(3), u"Frame - [doc]") << visit;
    }
    EXPECT_LE(desktop.Writes(3), 6);  // once in and once out per visit
}

TEST_F(CaptionWriterTest, WindowThatAddsToItsCaptionGetsItBackAsWell) {
    // An MDI frame appends its document to whatever it is given.
    desktop.Add(3, u"Frame").appends = u" - [doc]";
    for (const bool by_focus : {true, false}) {
        desktop.Retitle(3, u"Frame");
        desktop.foreground = 3;
        Ticks(1);
        EXPECT_EQ(desktop.Caption(3), std::u16string(u"Frame   ") + kClock + u" - [doc]");
        if (by_focus) {
            desktop.foreground = 1;
            Ticks(1);
        } else {
            writer.RestoreCaption();
        }
        EXPECT_EQ(desktop.Caption(3), u"Frame - [doc]") << by_focus;
    }
}

TEST_F(CaptionWriterTest, BusyWindowGetsItsCaptionBackWhenItAnswersAgain) {
    // Texts sent to a busy window wait in its queue on one system and are
    // dropped on another; the window busy from the start or only after it
    // took the clock.
    for (const bool drops : {false, true}) {
        for (const bool took_clock : {false, true}) {
            SCOPED_TRACE(testing::Message() << drops << took_clock);
            auto& window = desktop.Add(3, u"Busy");
            window.drops_queued = drops;
            window.busy = !took_clock;
            desktop.foreground = 3;
            Ticks(1);
            window.busy = true;
            NextMinute();
            Ticks(1);
            desktop.foreground = 1;
            Ticks(2);
            // Back in front while still busy: what it shows is not its own.
            desktop.foreground = 3;
            Ticks(1);
            desktop.foreground = 1;
            Ticks(1);
            desktop.Answer(3);
            Ticks(2);
            EXPECT_EQ(desktop.Caption(3), u"Busy");
            desktop.foreground = 3;
            Ticks(1);
            EXPECT_EQ(desktop.Caption(3), u"Busy   15時05分  ");
            desktop.foreground = 1;
            Ticks(1);
            clock.now.minute = 4;
        }
    }
}

TEST_F(CaptionWriterTest, WindowThatRefusesTheClockIsLeftAloneUntilTheNextMinute) {
    for (const bool retitles : {false, true}) {
        SCOPED_TRACE(retitles);
        const WindowHandle handle = retitles ? 4 : 3;
        auto& window = desktop.Add(handle, u"Stubborn");
        (retitles ? window.retitles_itself : window.refuses_caption) = true;
        desktop.foreground = handle;
        schedule_checks = 0;

        Ticks(30);
        EXPECT_EQ(desktop.Writes(handle), 5);
        EXPECT_EQ(schedule_checks, 5);
        EXPECT_EQ(writer.MissCount(), 10);
        NextMinute();
        Ticks(30);
        EXPECT_EQ(desktop.Writes(handle), 10);
        EXPECT_EQ(desktop.Caption(handle), u"Stubborn");
        // Nothing of ours is there, so nothing is written back.
        desktop.foreground = 1;
        Ticks(1);
        EXPECT_EQ(desktop.Writes(handle), 10);
    }
}

TEST_F(CaptionWriterTest, NoDisplayTouchesNoWindow) {
    Ticks(1);
    settings.DSP_FLAG = 2;
    const int reads = desktop.reads;
    desktop.foreground = 2;
    Ticks(5);
    EXPECT_EQ(desktop.reads, reads);
    EXPECT_EQ(desktop.total_writes, 1);
    EXPECT_EQ(schedule_checks, 1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"T   ") + kClock);
    writer.RestoreCaption();
    EXPECT_EQ(desktop.Caption(1), u"T");
}

TEST_F(CaptionWriterTest, SuffixesAndAppointments) {
    flags.SyncRunning = 1;
    flags.AutoSync = 1;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"T   ") + kClock + u".");
    flags.AutoSync = 0;
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"T   ") + kClock + u" [ Internet Access ]");
    EXPECT_EQ(writer.SavedCaption(), u"T");
    EXPECT_EQ(timer2.Interval(), 0u);

    flags.SyncRunning = 0;
    timer2.SetInterval(500);
    due_text = "会議 100%s";
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), u"T   会議 100%s");
    EXPECT_EQ(timer2.Interval(), 500u);  // the alert keeps flashing
    due_text.clear();
    Ticks(1);
    EXPECT_EQ(desktop.Caption(1), std::u16string(u"T   ") + kClock);
    EXPECT_EQ(timer2.Interval(), 0u);
}

}  // namespace
}  // namespace kronvik

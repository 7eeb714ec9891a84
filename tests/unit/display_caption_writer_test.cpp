// The display tick's fixed behaviours; the randomized model in tests/model
// covers what windows do with a text, retitling, hanging and vanishing at any
// moment, the display turned off, the bound on waiting in a tick and the end
// behind many hung windows.
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
        writer.OnShown([this](const DSPDRAW_CLASS&) { ++shown; });
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
    std::u16string Caption(WindowHandle h) const { return desktop.Caption(h); }
    std::u16string WithClock(const std::u16string& own) const { return own + u"   " + kClock; }

    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2{500};
    SettingsRecord settings;
    SyncFlags flags;
    ClockTextComposer composer{clock, settings};
    int schedule_checks = 0;
    int shown = 0;
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
    desktop.Add(3, u"메모장 \U0001F600 テスト");
    desktop.Add(4, u"");
    for (const WindowHandle next : {WindowHandle{2}, WindowHandle{3}, WindowHandle{4}, WindowHandle{1}}) {
        const WindowHandle before = desktop.foreground;
        Ticks(1);
        EXPECT_EQ(Caption(before), WithClock(desktop.Title(before)));
        desktop.foreground = next;
        Ticks(1);
        EXPECT_EQ(Caption(before), desktop.Title(before));
    }
    writer.GiveBackAll();
    EXPECT_EQ(Caption(1), u"T");
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
    EXPECT_EQ(shown, 360);
}

TEST_F(CaptionWriterTest, GiveBackThatIsNotTakenIsOwedUntilItIs) {
    Ticks(1);
    desktop.windows.at(1).refuses = true;
    desktop.foreground = 2;
    Ticks(30);
    EXPECT_EQ(desktop.Writes(1), 6);  // the clock, then five give-backs this minute
    desktop.windows.at(1).refuses = false;
    NextMinute();
    Ticks(1);
    EXPECT_EQ(Caption(1), u"T");
}

TEST_F(CaptionWriterTest, MarkersAndAppointmentsTakeTheClocksPlace) {
    flags.SyncRunning = 1;
    flags.AutoSync = 1;
    Ticks(1);
    EXPECT_EQ(Caption(1), WithClock(u"T") + u".");
    flags.AutoSync = 0;
    Ticks(1);
    EXPECT_EQ(Caption(1), WithClock(u"T") + u" [ Internet Access ]");
    EXPECT_EQ(timer2.Interval(), 0u);

    flags.SyncRunning = 0;
    timer2.SetInterval(500);
    due_text = "会議 100%s";
    Ticks(1);
    EXPECT_EQ(Caption(1), u"T   会議 100%s");
    EXPECT_EQ(timer2.Interval(), 500u);  // the alert keeps flashing
    due_text.clear();
    Ticks(1);
    EXPECT_EQ(Caption(1), WithClock(u"T"));
    EXPECT_EQ(timer2.Interval(), 0u);
}

// A clock an earlier run left behind is taken out; nothing else is.
TEST_F(CaptionWriterTest, ClockLeftByAnEarlierRunIsTakenOut) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"T   09時12分  ", u"T"},
        {u"T   09時12分  .", u"T   09時12分  ."},
        {u"T   09時12分", u"T   09時12分"},
        {u"T  09時12分  ", u"T  09時12分  "},
    };
    WindowHandle h = 10;
    for (const auto& [left, own] : cases) {
        desktop.Add(++h, left);
        desktop.foreground = h;
        Ticks(1);
        EXPECT_EQ(Caption(h), WithClock(own));
        desktop.foreground = 1;
        Ticks(1);
        EXPECT_EQ(Caption(h), own);
    }
}

// A title the window sets while our write waits in its queue, seen by a read
// before our text lands over it, is the one it gets back.
TEST_F(CaptionWriterTest, TitleSetWhileOurWriteWaitsIsKept) {
    Ticks(1);
    desktop.windows.at(1).slow_ms = 300;
    desktop.on_answer = [&](WindowHandle h) {
        desktop.on_answer = nullptr;
        desktop.Busy(h, 100);
        desktop.At(desktop.now + 50, [&] { desktop.Retitle(1, u"B"); });
    };
    flags.SyncRunning = 1;
    flags.AutoSync = 1;
    Ticks(2);
    EXPECT_EQ(Caption(1), WithClock(u"B") + u".");
    desktop.foreground = 2;
    Ticks(1);
    EXPECT_EQ(Caption(1), u"B");
}

// A new window under the handle of the one in front is a window of its own:
// the record of the old one, which refused the clock, does not go with it.
TEST_F(CaptionWriterTest, NewWindowUnderTheSameHandleIsAdoptedAfresh) {
    desktop.windows.at(1).refuses = true;
    Ticks(1);
    desktop.Add(1, u"T");
    Ticks(1);
    writer.GiveBackAll();
    EXPECT_EQ(Caption(1), u"T");
}

// A frame that switches to another document and back shows the clock as it
// took it: it is not written again.
TEST_F(CaptionWriterTest, FrameBackOnItsDocumentIsNotWrittenAgain) {
    desktop.Add(3, u"App", u" - [D]");
    desktop.foreground = 3;
    Ticks(1);
    const int writes = desktop.Writes(3);
    desktop.Busy(3, 600);
    desktop.SwitchDocument(3, u" - [E]");
    Ticks(1);
    desktop.SwitchDocument(3, u" - [D]");
    Ticks(2);
    EXPECT_EQ(desktop.Writes(3), writes);
    EXPECT_EQ(Caption(3), WithClock(u"App") + u" - [D]");
}

TEST_F(CaptionWriterTest, ShownIsToldOnlyWhenTheWindowInFrontShowsTheText) {
    Ticks(2);
    EXPECT_EQ(shown, 2);
    desktop.windows.at(1).refuses = true;
    NextMinute();
    Ticks(8);  // refused five times, then left alone
    EXPECT_EQ(shown, 2);
    settings.DSP_FLAG = 2;
    Ticks(2);
    EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace kronvik

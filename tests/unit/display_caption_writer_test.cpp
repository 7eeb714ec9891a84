// The display tick's fixed behaviours; the randomized model in tests/model
// covers windows that retitle, add documents, hang and vanish at any moment,
// the bound on waiting in a tick and the end behind many hung windows.
#include <gtest/gtest.h>

#include "display/caption_writer.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_timer.h"
#include "platform/text.h"

namespace kronvik {
namespace {

using Window = fakes::FakeDesktop::Window;

constexpr char16_t kClock[] = u"15時04分  ";

size_t Clocks(const std::u16string& text) {
    size_t n = 0;
    for (size_t at = text.find(u"時"); at != std::u16string::npos; at = text.find(u"時", at + 1)) ++n;
    return n;
}

class CaptionWriterTest : public ::testing::Test {
protected:
    CaptionWriterTest() {
        settings.DSP_FLAG = 1;
        settings.TIM_FORM = "%02d時%02d分";
        clock.Set(2007, 6, 21, 15, 4, 0, 4);
        desktop.Add(1, u"T");
        desktop.Add(2, u"U");
        desktop.foreground = 1;
        desktop.on_write = [this](WindowHandle, const std::u16string& text) {
            most_clocks = std::max(most_clocks, Clocks(text));
        };
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
    size_t most_clocks = 0;
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

// Whatever a window does with the text, one clock shows, writes that do not
// show as sent stop at five a minute, and the window's title comes back.
TEST_F(CaptionWriterTest, WhatTheWindowShowsDecidesNotWhatItAnswers) {
    struct Case {
        const char* name;
        void (*make)(Window&);
        std::u16string in_front;  // after a few ticks
        int most_writes;          // in two minutes
    };
    const Case cases[] = {
        {"keeps its caption", [](Window& w) { w.refuses = true; }, u"S", 10},
        {"sets its title again", [](Window& w) { w.retitles_back = true; }, u"S", 10},
        {"takes only the first text", [](Window& w) { w.takes_once = true; }, WithClock(u"S"), 6},
        {"adds a prefix", [](Window& w) { w.prefix = u"[x] "; }, u"[x] " + WithClock(u"S"), 3},
        // The minute is cut off: each new one shows as a refusal.
        {"cuts to 6", [](Window& w) { w.cut = 6; }, u"S   15", 6},
        {"frame", [](Window& w) { w.doc = u" - [D]"; }, WithClock(u"S") + u" - [D]", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clock.Set(2007, 6, 21, 15, 4, 0, 4);
        const WindowHandle h = desktop.windows.rbegin()->first + 1;
        Window& w = desktop.Add(h, u"");
        c.make(w);
        desktop.Retitle(h, u"S");
        desktop.foreground = h;
        Ticks(6);
        EXPECT_EQ(Caption(h), c.in_front);
        Ticks(114);
        NextMinute();
        Ticks(110);
        EXPECT_LE(desktop.Writes(h), c.most_writes);
        EXPECT_LE(most_clocks, 1u);
        desktop.foreground = 1;
        Ticks(3);
        if (!w.takes_once) {
            EXPECT_EQ(Caption(h), desktop.Title(h));
        }
    }
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

TEST_F(CaptionWriterTest, DisplayOffGivesEveryCaptionBackOnceThenTouchesNothing) {
    Ticks(1);
    desktop.foreground = 2;
    desktop.Busy(1, 300);  // the give-back to 1 is not answered in time
    Ticks(1);
    settings.DSP_FLAG = 2;
    Ticks(1);
    EXPECT_EQ(Caption(1), u"T");
    EXPECT_EQ(Caption(2), u"U");
    const int reads = desktop.reads, writes = desktop.total_writes, checks = schedule_checks;
    desktop.foreground = 1;
    Ticks(4);
    EXPECT_EQ(desktop.reads, reads);
    EXPECT_EQ(desktop.total_writes, writes);
    EXPECT_EQ(schedule_checks, checks);
    settings.DSP_FLAG = 1;
    Ticks(1);
    EXPECT_EQ(Caption(1), WithClock(u"T"));
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

// The window's own title is what it shows with our text taken out.
TEST_F(CaptionWriterTest, TitleTheWindowSetsAroundOurTextIsItsOwn) {
    Ticks(1);
    desktop.Append(1, u" *");
    Ticks(1);
    EXPECT_EQ(Caption(1), u"T *   " + std::u16string(kClock));
    desktop.foreground = 2;
    Ticks(1);
    EXPECT_EQ(Caption(1), u"T *");
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

// The entry dialog's presenter and the alerts, against an in-memory registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_timer.h"
#include "schedule/entry_presenter.h"
#include "schedule/schedule_alert.h"

namespace kronvik {
namespace {

const std::string kToday = "Software\\Velk\\Information\\2026 12 08";
const std::string kNoText = "警告: 予定が入力されていません。";
const std::string kPast = "警告: 時刻の設定に間違いがあります。（過去の時刻）";

class EntryPresenterTest : public ::testing::Test {
protected:
    EntryPresenterTest() {
        clock.Set(2026, 12, 8, 9, 41);
        registry.SetText(kToday, "09 05", "会議");
        registry.SetText(kToday, "10 00", "歯医者");
        store.LoadSchedule();
        presenter.AttachView(&view);
    }
    void Spin(int hour_steps, int minute_steps) {
        for (; hour_steps > 0; --hour_steps) presenter.CSpinButton1UpClick();
        for (; hour_steps < 0; ++hour_steps) presenter.CSpinButton1DownClick();
        for (; minute_steps > 0; --minute_steps) presenter.CSpinButton2UpClick();
        for (; minute_steps < 0; ++minute_steps) presenter.CSpinButton2DownClick();
    }

    FakeRegistry registry;
    fakes::FakeClock clock;
    ScheduleStore store{registry, clock};
    EntryPresenter presenter{store, clock};
    fakes::FakeEntryView view;
};

TEST_F(EntryPresenterTest, OpensOnlyOnIdsTheMenuProduced) {
    for (uint32_t id : {99u, 103u, 150u, 201u, 1500u, 1501u}) EXPECT_FALSE(presenter.Open(id)) << id;
    EXPECT_EQ(view.openings, 0);

    ASSERT_TRUE(presenter.Open(100));
    EXPECT_EQ(view.digits, (EntryDigits{2, 0, 2, 6, 1, 2, 0, 8, 0, 0, 0, 0}));
    EXPECT_FALSE(view.delete_enabled);
    EXPECT_EQ(view.text, "");

    ASSERT_TRUE(presenter.Open(102));
    EXPECT_EQ(view.digits, (EntryDigits{2, 0, 2, 6, 1, 2, 0, 8, 1, 0, 0, 0}));
    EXPECT_TRUE(view.delete_enabled);
    EXPECT_EQ(view.text, "歯医者");

    ASSERT_TRUE(presenter.Open(1400));
    EXPECT_EQ(view.digits, (EntryDigits{2, 0, 2, 6, 1, 2, 2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(view.openings, 3);
}

// Opens the dialog on an appointment stored tomorrow at hour:minute.
void OpenAt(FakeRegistry& registry, ScheduleStore& store, EntryPresenter& presenter, int hour,
            int minute) {
    const std::string tomorrow = "Software\\Velk\\Information\\2026 12 09";
    registry.DeleteTree(tomorrow);
    registry.SetText(tomorrow, TimeValueName(hour, minute), "x");
    store.LoadSchedule();
    ASSERT_TRUE(presenter.Open(201));
}

TEST_F(EntryPresenterTest, SpinsWrapAndStayOffTheGridUntilTheyWrap) {
    struct Case {
        int hour, minute, hour_steps, minute_steps, want_hour, want_minute;
    } cases[] = {
        {0, 0, -1, -1, 23, 55}, {23, 55, 1, 1, 0, 0}, {9, 58, 0, 1, 9, 0},
        {9, 3, 0, -1, 9, 55},   {9, 3, 0, 2, 9, 13},  {12, 30, 25, -7, 13, 55},
    };
    for (const Case& c : cases) {
        OpenAt(registry, store, presenter, c.hour, c.minute);
        Spin(c.hour_steps, c.minute_steps);
        EXPECT_EQ(presenter.Chosen().hour, c.want_hour) << c.hour << ":" << c.minute;
        EXPECT_EQ(presenter.Chosen().minute, c.want_minute) << c.hour << ":" << c.minute;
    }
}

TEST_F(EntryPresenterTest, CompareWithNowAtTheMinuteAndDayEdges) {
    struct Case {
        int day, hour, minute, second, want;
    } cases[] = {
        {9, 9, 41, 0, 0},  {9, 9, 41, 59, 0}, {9, 9, 42, 0, 1},   {9, 9, 40, 59, -1},
        {8, 23, 59, 59, -1}, {10, 0, 0, 0, 1}, {9, 10, 0, 0, 1},  {9, 8, 59, 0, -1},
    };
    OpenAt(registry, store, presenter, 9, 41);
    for (const Case& c : cases) {
        clock.Set(2026, 12, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(presenter.CompareWithNow(), c.want) << c.day << " " << c.hour << ":" << c.minute;
    }
}

TEST_F(EntryPresenterTest, OkRefusesEmptyTextAndTimesNotLaterThanNow) {
    ASSERT_TRUE(presenter.Open(100));
    presenter.Button2Click();
    view.text = "打ち合わせ";
    presenter.Button2Click();  // 00:00 today
    Spin(9, 8);             // 09:40
    presenter.Button2Click();
    presenter.CSpinButton2UpClick();  // 09:45
    presenter.Button2Click();
    EXPECT_EQ(view.warnings, (std::vector<std::string>{kNoText, kPast, kPast}));
    EXPECT_EQ(registry.Text(kToday, "09 45"), "打ち合わせ");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(store.SlotOfDay(0)->entries.size(), 3u);  // loaded again
}

TEST_F(EntryPresenterTest, ChangingAnAppointmentWritesFirstAndDeleteTakesTheOpenedOne) {
    // Moved from 10:00 to 11:00 with a new text.
    ASSERT_TRUE(presenter.Open(102));
    Spin(1, 0);
    view.text = "歯医者（変更）";
    presenter.Button2Click();
    EXPECT_FALSE(registry.Has(kToday, "10 00"));
    EXPECT_EQ(registry.Text(kToday, "11 00"), "歯医者（変更）");

    // A write that fails keeps the old appointment and the dialog open.
    ASSERT_TRUE(presenter.Open(102));
    Spin(1, 0);
    registry.FailWritesOf("12 00");
    presenter.Button2Click();
    EXPECT_EQ(registry.Text(kToday, "11 00"), "歯医者（変更）");
    EXPECT_FALSE(registry.Has(kToday, "12 00"));
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.warnings.back(), "警告: 予定を登録できませんでした。");

    // Delete after spinning onto 09:05 removes 11:00, the one opened.
    Spin(-3, 1);
    ASSERT_EQ(presenter.Chosen().hour, 9);
    presenter.Button3Click();
    EXPECT_FALSE(registry.Has(kToday, "11 00"));
    EXPECT_EQ(registry.Text(kToday, "09 05"), "会議");
    EXPECT_FALSE(view.visible);

    // Cancel stores nothing.
    const size_t writes = registry.Writes().size();
    ASSERT_TRUE(presenter.Open(101));
    Spin(2, 0);
    view.text = "変更しない";
    presenter.Button1Click();
    EXPECT_EQ(registry.Writes().size(), writes);
    EXPECT_FALSE(view.visible);
}

TEST_F(EntryPresenterTest, AnAppointmentIsChangedAndDeletedUnderItsOwnNames) {
    const std::string tomorrow = "Software\\Velk\\Information\\2026 12 09";
    const std::string old_key = "Software\\Velk\\Information\\2026 12 10 old";
    registry.SetText(tomorrow, "09 05", "会議");
    registry.SetText(tomorrow, "9 5", "手書き");  // sorts after "09 05"
    registry.SetText(old_key, "10 00", "古い");
    store.LoadSchedule();
    ASSERT_TRUE(presenter.Open(202));
    view.text = "変更";
    presenter.Button2Click();
    EXPECT_EQ(registry.Text(tomorrow, "9 5"), "変更");
    ASSERT_TRUE(presenter.Open(202));
    presenter.Button3Click();
    EXPECT_FALSE(registry.Has(tomorrow, "9 5"));
    EXPECT_EQ(registry.Text(tomorrow, "09 05"), "会議");
    ASSERT_TRUE(presenter.Open(301));  // moved, it leaves the key it was read from
    Spin(1, 0);
    presenter.Button2Click();
    EXPECT_FALSE(registry.Has(old_key, "10 00"));
}

class AlertTest : public ::testing::Test {
protected:
    AlertTest() {
        for (const std::string a : {"07 23 55 夜", "08 00 00 零時", "08 09 00 朝会", "08 09 03 電話", "08 15 04 会議",
                                    "08 15 05 ", "09 08 00 明日"})
            registry.SetText("Software\\Velk\\Information\\2026 12 " + a.substr(0, 2), a.substr(3, 5), a.substr(9));
        for (int i = 0; i < 99; ++i)
            registry.SetText("Software\\Velk\\Information\\2026 12 10", TimeValueName(8 + i / 60, i % 60), std::to_string(i));
        tray.present = true;
        Run('R', "12 08 15 04");
        clock.now.second = 30;
    }
    int32_t Check() {
        tick = DSPDRAW_CLASS{};
        tick.LocalTime = clock.now;
        return alert->CheckSchedule(tick);
    }
    // At "MM DD HH MM" of 2026: L a look, giving the announcement; T a tick
    // the window in front showed, H one it did not, giving the tick's
    // appointment text; R a restart, as the end and a start would; W a minute
    // goes by; B the last balloon; A the remembered minute as written.
    std::string Run(char op, const char* when) {
        LocalTime& t = clock.now = LocalTime{2026};
        std::sscanf(when, "%d %d %d %d", &t.month, &t.day, &t.hour, &t.minute);
        if (op == 'R') {
            if (missed) missed->Flush();
            missed = std::make_unique<MissedAlert>(store, tray, desktop);
            alert = std::make_unique<ScheduleAlert>(store, *missed, desktop, timer2);
        }
        if (op == 'W') desktop.Advance(kMissedCaptionMs);
        if (op == 'L') missed->Look(t);
        if (op == 'B') return tray.balloons.back();
        if (op == 'A') return registry.Text(kAlertKey, kAnnouncedValue).value_or("");
        if (op != 'T' && op != 'H') return op == 'L' ? missed->Announcement() : "";
        DSPDRAW_CLASS checked{t, {}, {}};
        alert->CheckSchedule(checked);
        if (op == 'T') alert->Shown(checked);
        return checked.ScheduleText;
    }

    FakeRegistry registry;
    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2;
    ScheduleStore store{registry, clock};
    fakes::FakeTrayIcon tray;
    std::unique_ptr<MissedAlert> missed;
    std::unique_ptr<ScheduleAlert> alert;
    DSPDRAW_CLASS tick;
};

TEST_F(AlertTest, DueMinuteBeepsInEveryCheckAndStartsTheFlasherOnce) {
    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(tick.ScheduleText, "会議");
    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(timer2.Interval(), 500u);
    EXPECT_EQ(timer2.set_calls, 1);  // a running flash run is not restarted

    clock.Set(2026, 12, 8, 15, 5, 0);  // an empty text is still due
    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(tick.ScheduleText, "");
    clock.Set(2026, 12, 9, 15, 4, 0);  // same minute, next day
    EXPECT_EQ(Check(), 0);
    EXPECT_EQ(desktop.beeps, 3);
}

TEST_F(AlertTest, FlashRunIs19FlashesOfTheWindowInFront) {
    desktop.Add(1, u"A");
    desktop.Add(2, u"B");
    for (int run = 1; run <= 2; ++run) {
        Check();
        for (int i = 0; i < 10; ++i) alert->Timer2Timer(1);
        for (int i = 0; i < 9; ++i) alert->Timer2Timer(2);
        EXPECT_EQ(desktop.windows[1].flashes, 10 * run);
        EXPECT_EQ(desktop.windows[2].flashes, 9 * run);
        EXPECT_EQ(desktop.windows[2].restores, run - 1);
        EXPECT_EQ(timer2.Interval(), 500u);
        alert->Timer2Timer(2);  // the 20th tick restores the caption bar and stops
        EXPECT_EQ(desktop.windows[2].flashes, 9 * run);
        EXPECT_EQ(desktop.windows[2].restores, run);
        EXPECT_EQ(timer2.Interval(), 0u);
    }
}

// Which appointments count as missed: scripts of looks (start-up, resume,
// clock change), display ticks and restarts against one registry.
TEST_F(AlertTest, MissedAcrossSleepsRestartsAndClockChanges) {
    const struct {
        const char* name;
        const char* announced;  // the remembered minute at the start
        std::vector<std::tuple<char, const char*, const char*>> steps;
    } scripts[] = {
        {"slept across midnight: told after the due one for a minute, not again after a restart", "2026 12 07 23 50",
         {{'L', "12 08 09 03", "見逃した予定 12/07 23:55 夜 ほか 2 件"}, {'T', "12 08 09 03", "電話   見逃した予定 12/07 23:55 夜 ほか 2 件"},
          {'W', "12 08 09 03", ""}, {'T', "12 08 09 04", ""}, {'R', "12 08 09 04", ""}, {'L', "12 08 09 04", ""}}},
        {"a minute no window showed is told, the appointment shown after it not", "2026 12 08 08 59",
         {{'T', "12 08 09 00", "朝会"}, {'H', "12 08 09 03", "電話"}, {'T', "12 09 08 00", "明日"},
          {'L', "12 09 08 05", "見逃した予定 12/08 09:03 電話 ほか 2 件"}}},
        {"the clock set back tells nothing again", "2026 12 08 09 30",
         {{'L', "12 08 08 00", ""}, {'T', "12 08 09 00", "朝会"}, {'L', "12 08 09 20", ""},
          {'L', "12 09 09 00", "見逃した予定 12/08 15:04 会議 ほか 2 件"}}},
        {"99 in a day: five in the balloon, the rest again (once for a resume told twice); written once a minute",
         "2026 12 09 23 59",
         {{'L', "12 10 23 00", "見逃した予定 12/10 08:00 0 ほか 98 件"}, {'R', "12 10 23 00", ""},
          {'L', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"}, {'L', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"},
          {'B', "", "見逃した予定|12/10 08:05 5\n12/10 08:06 6\n12/10 08:07 7\n12/10 08:08 8\n12/10 08:09 9"},
          {'T', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"}, {'A', "", "2026 12 10 08 09"},
          {'W', "", ""}, {'T', "12 10 23 01", ""}, {'A', "", "2026 12 10 23 01"}}},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.name);
        Run('R', "01 01 00 00");  // what the last one left unwritten is overwritten next
        registry.SetText(kAlertKey, kAnnouncedValue, script.announced);
        for (const auto& [op, when, text] : script.steps) EXPECT_EQ(Run(op, when), text) << op << " at " << when;
    }
}

}  // namespace
}  // namespace kronvik

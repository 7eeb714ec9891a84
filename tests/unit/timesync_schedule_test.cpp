#include <gtest/gtest.h>

#include <tuple>

#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sync.h"
#include "fakes/fake_timer.h"
#include "japan_zone.h"
#include "settings/settings_store.h"
#include "timesync/system_proxy.h"
#include "timesync/time_sync.h"

namespace kronvik {
namespace {

using namespace fakes;

constexpr char kFlag[] = "Software\\Velk\\FLAG";
constexpr char kUnset[] = "----年--月--日--時--分--秒";

TEST(NextSyncIntervalTest, EveryModeAndItsLimits) {
    UseJapanZone();
    struct Case {
        const char* what;
        int32_t run_and_run, mode, runtime1, runtime2, runtime3, cycle;
        int32_t armed;
        int32_t hour, minute, second;
        uint32_t interval;
        int32_t armed_after;
    };
    const Case cases[] = {
        {"off", 0, 0, 0, 0, 3, 30, 0, 9, 0, 0, 0, 0},
        {"once, at start", 1, 0, 0, 0, 3, 30, 0, 9, 0, 0, 15000, 1},
        {"once, afterwards", 1, 0, 0, 0, 3, 30, 1, 9, 0, 0, 0, 1},
        {"daily, 20 s before", 2, 0, 7, 30, 3, 30, 0, 7, 29, 40, 60000, 0},
        {"daily, its minute", 2, 0, 7, 30, 3, 30, 0, 7, 30, 40, 86400000, 0},
        {"daily, past it", 2, 0, 7, 30, 3, 30, 0, 8, 0, 10, 84600000, 0},
        {"periodic, at start", 3, 0, 0, 0, 3, 30, 0, 9, 0, 0, 15000, 1},
        {"periodic SNTP", 3, 0, 0, 0, 3, 30, 1, 9, 0, 0, 1800000, 1},
        {"periodic HTTP", 3, 1, 0, 0, 3, 30, 1, 9, 0, 0, 10800000, 1},
        {"period too long", 3, 1, 0, 0, 597, 30, 0, 9, 0, 0, 0, 0},
        {"period negative", 3, 0, 0, 0, 3, -5, 1, 9, 0, 0, 0, 1},
        {"period 0", 3, 0, 0, 0, 3, 0, 0, 9, 0, 0, 0, 0},
        {"daily, hour 24", 2, 0, 24, 0, 3, 30, 0, 9, 0, 0, 0, 0},
        {"daily, minute 17, by hand", 2, 0, 9, 17, 3, 30, 0, 9, 0, 0, 1020000, 0},
        {"mode 4", 4, 0, 0, 0, 3, 30, 0, 9, 0, 0, 0, 0},
        {"mode -1", -1, 0, 0, 0, 3, 30, 0, 9, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SettingsRecord s;
        s.RUN_AND_RUN = c.run_and_run;
        s.MODE = c.mode;
        s.RUNTIME1 = c.runtime1;
        s.RUNTIME2 = c.runtime2;
        s.RUNTIME3 = c.runtime3;
        s.SNTPcycle = c.cycle;
        std::atomic<int32_t> armed{c.armed};
        const LocalTime now{2026, 12, 2, 8, c.hour, c.minute, c.second, 0};
        EXPECT_EQ(NextSyncInterval(s, armed, now), c.interval) << c.what;
        EXPECT_EQ(armed.load(), c.armed_after) << c.what;
    }
}

struct SyncHarness {
    FakeRegistry registry;
    FakeClock clock;
    FakeDesktop desktop;
    FakeMessageBoxes boxes;
    FakeTimer timer3;
    FakeUiDispatch ui;
    FakeQuitRequest quit;
    FakeNetwork network;
    FakeHttp http;
    FakeWorkerStarter workers;
    FakeViews view;
    SettingsRecord settings;
    SyncFlags flags;
    TimeSync sync{TimeSyncPorts{registry, clock, desktop, boxes, timer3, ui, quit, network, http, workers},
                  settings, flags};

    explicit SyncHarness(int32_t run_and_run = 0, int32_t mode = 0) {
        UseJapanZone();
        clock.Set(2007, 9, 29, 5, 26, 40, 6);  // what the server answers
        registry.SetText(kFlag, "SET_TIME", kUnset);
        settings.SET_TIME.Set(kUnset);
        settings.RUN_AND_RUN = run_and_run;
        settings.MODE = mode;
        settings.SNTP = "127.0.0.1";
        settings.SNTPanswer = 1;
        settings.SNTPcycle = 30;
        settings.RUNTIME3 = 3;
        boxes.ok = true;
        sync.AttachView(&view);
        sync.StartWorkers();
        sync.ArmTimer3();
    }
    FakeWorker& Http() { return *workers.started.at(0); }
    FakeWorker& Sntp() { return *workers.started.at(1); }
    // A reply from 127.0.0.1:123, by default the clock's time: 2007-09-29 05:26:40 in Japan.
    void ServerAnswers(uint32_t t = 3400000000u) {
        std::vector<uint8_t> reply(48, 0);
        reply[0] = 0x1C;
        reply[1] = 1;
        for (int i = 0; i < 4; ++i) reply[40 + static_cast<size_t>(i)] = static_cast<uint8_t>(t >> (24 - 8 * i));
        network.replies.push_back({reply, 0x7F000001, 123});
    }
};

TEST(TimeSyncTest, ManualSuccessSetsRecordsAndLabelsWithoutABox) {
    SyncHarness h;
    h.settings.RUN_STOP = 1;
    h.ServerAnswers();
    h.sync.ManualRequest(h.settings.MODE);
    EXPECT_EQ(h.flags.AutoSync, 0);
    ASSERT_TRUE(h.Sntp().Run());
    EXPECT_FALSE(h.Http().Run());  // never woken
    ASSERT_EQ(h.clock.set.size(), 1u);
    EXPECT_EQ(h.settings.SET_TIME.Get(), "2007年09月29日 05時26分40秒");
    EXPECT_EQ(h.registry.Text(kFlag, "SET_TIME"), "2007年09月29日 05時26分40秒");
    EXPECT_EQ(h.view.label3, "");   // only through the UI thread
    EXPECT_EQ(h.quit.posts, 0);
    h.ui.RunAll();
    EXPECT_EQ(h.quit.posts, 1);
    EXPECT_EQ(h.view.label3, "2007年09月29日 05時26分40秒に行いました。");
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(h.flags.SyncRunning, 0);
}

TEST(TimeSyncTest, RunStopCountsAsItStandsWhenTheSuccessIsReported) {
    for (const int32_t at_report : {0, 1}) {
        SyncHarness h;
        h.settings.RUN_STOP = 1 - at_report;
        h.ServerAnswers();
        h.sync.ManualRequest(0);
        h.settings.RUN_STOP = at_report;  // applied in the dialog while the exchange runs
        ASSERT_TRUE(h.Sntp().Run());
        h.ui.RunAll();
        EXPECT_EQ(h.quit.posts, at_report);
    }
}

TEST(TimeSyncTest, AFarMoveIsSetByHandOnlyWhenConfirmedAndAsTheServerTimeStandsThen) {
    // 15 hours is still near; the question is answered 5 s after the reply came.
    constexpr uint32_t kHours15 = 15 * 3600;
    struct Case {
        bool manual;
        uint32_t off;
        bool ok;
        const char* set_time;
    };
    const Case cases[] = {{false, kHours15, false, "2007年09月29日 20時26分40秒"},
                          {true, kHours15 + 1, true, "2007年09月29日 20時26分46秒"},
                          {true, kHours15 + 1, false, kUnset}};
    for (const Case& c : cases) {
        SyncHarness h(3);
        h.ServerAnswers(3400000000u + c.off);
        h.boxes.ok = c.ok;
        h.boxes.while_open = [&] { h.clock.elapsed_ms += 5000; };
        c.manual ? h.sync.ManualRequest(0) : h.sync.Timer3Timer();
        ASSERT_TRUE(h.Sntp().Run());
        h.ui.RunAll();
        EXPECT_EQ(h.settings.SET_TIME.Get(), c.set_time) << c.manual << c.ok;
        // Asked by hand only, naming the server's time; no failure box, no retry.
        EXPECT_EQ(h.boxes.shown.size(), c.manual ? 1u : 0u);
        EXPECT_TRUE(!c.manual || h.boxes.shown[0].text == FarOffQuestion("2007年09月29日 20時26分41秒"));
        EXPECT_EQ(h.timer3.Interval(), 1800000u);
    }
}

TEST(TimeSyncTest, RefusedClockIsAFailureWithBoxAndRetryOnlyWhenScheduled) {
    // Without the right to change the time the box says so on a third line.
    for (const auto& [run_and_run, refusal, last_line] :
         {std::tuple{0, ClockSet::NoRight, std::string("\n時刻を変更する権限がありません。")},
          std::tuple{3, ClockSet::Refused, std::string()}}) {
        SyncHarness h(run_and_run);
        h.settings.RUN_STOP = 1;
        h.clock.refuse = refusal;
        h.ServerAnswers();
        h.sync.ManualRequest(h.settings.MODE);
        const uint32_t armed = h.timer3.Interval();
        ASSERT_TRUE(h.Sntp().Run());
        ASSERT_EQ(h.boxes.shown.size(), 1u);
        EXPECT_EQ(h.boxes.shown[0].text,
                  "日付時刻合わせに失敗しました。\n再度時刻合わせを行うか、SNTP<->HTTPの切り替えを行い再度時刻合わせを行って下さい。" +
                      last_line);
        EXPECT_EQ(h.boxes.shown[0].caption, "日付時刻設定");
        EXPECT_EQ(h.boxes.shown[0].style, BoxStyle::Error);
        EXPECT_EQ(h.desktop.beeps, 1);
        EXPECT_EQ(h.settings.SET_TIME.Get(), kUnset);
        EXPECT_EQ(h.registry.Text(kFlag, "SET_TIME"), kUnset);
        EXPECT_EQ(h.quit.posts, 0);
        EXPECT_EQ(h.timer3.Interval(), armed);   // the retry waits for the UI thread
        h.ui.RunAll();
        EXPECT_EQ(h.timer3.Interval(), run_and_run ? 180000u : 0u) << run_and_run;
        EXPECT_EQ(h.view.label27, "");
        EXPECT_EQ(h.view.label3, "");
    }
}

TEST(TimeSyncTest, AFailureRetriesOnlyWhenTheScheduleCanRunAndTheRetrySurvivesAClockChange) {
    for (const auto& [hour, retry] : {std::pair{23, 180000u}, std::pair{24, 0u}}) {
        SyncHarness h(2);
        h.settings.RUNTIME1 = hour;
        h.sync.Timer3Timer();
        ASSERT_TRUE(h.Sntp().Run());
        h.ui.RunAll();
        h.sync.ClockChanged();
        h.sync.Resumed();
        EXPECT_EQ(h.timer3.Interval(), retry) << hour;
    }
}

TEST(TimeSyncTest, AutomaticFailureWritesTheNoticeOfItsMethodAndRetries) {
    for (int32_t mode : {0, 1}) {
        SyncHarness h(3, mode);
        h.http.connect_fails = true;
        h.view.label27 = "old notice";
        h.sync.Timer3Timer();
        EXPECT_EQ(h.flags.AutoSync, 1);
        EXPECT_EQ(h.view.label27, "");
        EXPECT_EQ(h.timer3.Interval(), mode == 0 ? 1800000u : 10800000u);
        ASSERT_TRUE((mode == 0 ? h.Sntp() : h.Http()).Run());
        h.ui.RunAll();
        EXPECT_TRUE(h.boxes.shown.empty());
        EXPECT_EQ(h.view.label27, mode == 0 ? "SNTPを利用した時刻合わせに失敗しました。"
                                            : "HTTPを利用した時刻合わせに失敗しました。");
        EXPECT_EQ(h.timer3.Interval(), 180000u);
    }
}

TEST(TimeSyncTest, ManualRequestWhileBusyStartsNothingButMakesTheRunManual) {
    SyncHarness h(3);
    h.sync.Timer3Timer();
    h.sync.ManualRequest(h.settings.MODE);
    h.sync.ManualRequest(h.settings.MODE);
    EXPECT_EQ(h.flags.AutoSync, 0);
    ASSERT_TRUE(h.Sntp().Run());
    EXPECT_FALSE(h.Sntp().Run());   // one exchange only
    EXPECT_EQ(h.boxes.shown.size(), 1u);   // reported as manual
}

TEST(TimeSyncTest, ModeOnceSynchronisesFifteenSecondsAfterStartUnlessDoneByHand) {
    SyncHarness h(1);
    EXPECT_EQ(h.timer3.Interval(), 15000u);
    h.sync.ManualRequest(h.settings.MODE);
    EXPECT_EQ(h.timer3.Interval(), 0u);
}

TEST(TimeSyncTest, HttpExchangeUsesTheProxyFieldsAsTheyStandAtTheWake) {
    SyncHarness h(0, 1);
    h.view.edit1 = "127.0.0.1";
    h.view.edit2 = "8089";
    h.http.reply.body = "var Start = Math.floor( 1182400000 + 0 / 1 );";
    h.sync.ManualRequest(h.settings.MODE);
    h.view.edit1 = "changed later";
    ASSERT_TRUE(h.Http().Run());
    EXPECT_EQ(h.http.proxy, "127.0.0.1:8089");
    EXPECT_EQ(h.settings.SET_TIME.Get(), "2007年06月21日 13時26分40秒");
}

TEST(TimeSyncTest, WithoutWorkersEveryRequestFailsVisiblyOneBoxAtATime) {
    SyncHarness h;
    h.workers.fail = true;
    h.sync.StartWorkers();
    size_t shown_while_open = 0;
    h.boxes.while_open = [&] {
        if (h.boxes.shown.size() > 1) return;
        h.sync.ManualRequest(0);
        shown_while_open = h.boxes.shown.size();
    };
    h.sync.ManualRequest(h.settings.MODE);
    EXPECT_EQ(shown_while_open, 1u);  // the second failure follows once the first box closed
    EXPECT_EQ(h.boxes.shown.size(), 2u);
}

TEST(TimeSyncTest, EachWorkerKeepsItsKindAndTheMarkerStaysWhileEitherRuns) {
    SyncHarness h(3, 1);
    h.sync.Timer3Timer();  // automatic, by HTTP
    h.settings.MODE = 0;
    h.sync.ManualRequest(0);  // by hand, by SNTP, while HTTP runs
    h.http.connect_fails = true;
    h.http.while_connecting = [&] {
        ASSERT_TRUE(h.Sntp().Run());  // fails: no answer
        EXPECT_TRUE(h.flags.SyncRunning == 1 && h.flags.AutoSync == 1) << "the automatic run's marker";
    };
    ASSERT_TRUE(h.Http().Run());
    h.ui.RunAll();
    EXPECT_EQ(h.boxes.shown.size(), 1u);  // the SNTP run's, made by hand
    EXPECT_EQ(h.view.label27, kHttpFailureNotice);
}

TEST(TimeSyncTest, AFillWhileTheTimeIsRecordedCannotPutTheOldTimeBack) {
    SyncHarness h;
    WriteDefaultSettings(h.registry, RegistrySystemProxy{h.registry});
    int opened = 0;  // the settings dialog's fill comes just as the worker records
    h.registry.on_open = [&](const std::string&) {
        if (opened++ == 0) LoadSettings(h.registry, h.settings);
    };
    h.ServerAnswers();
    h.sync.ManualRequest(0);
    ASSERT_TRUE(h.Sntp().Run());
    h.ui.RunAll();
    const std::string set = "2007年09月29日 05時26分40秒";
    EXPECT_EQ(h.registry.Text(kFlag, "SET_TIME"), set);
    EXPECT_EQ(h.settings.SET_TIME.Get(), set);
    EXPECT_EQ(h.view.label3, set + "に行いました。");
}

TEST(TimeSyncTest, SettingsChangeRearmsOnlyWhenTheScheduleChanged) {
    SyncHarness h(3, 0);
    ASSERT_EQ(h.timer3.Interval(), 15000u);
    const int sets = h.timer3.set_calls;
    h.sync.RearmAfterSettingsChange(ScheduleOf(h.settings));
    EXPECT_EQ(h.timer3.set_calls, sets);

    const SyncSchedule before = ScheduleOf(h.settings);
    h.settings.SNTPcycle = 10;
    h.sync.RearmAfterSettingsChange(before);
    EXPECT_EQ(h.timer3.Interval(), 600000u);

    // A switch to HTTP starts over with the 15 s delay.
    const SyncSchedule sntp = ScheduleOf(h.settings);
    h.settings.MODE = 1;
    h.sync.RearmAfterSettingsChange(sntp);
    EXPECT_EQ(h.timer3.Interval(), 15000u);
}

TEST(TimeSyncTest, ClockChangeTimesOnlyTheDailySynchronisationAfresh) {
    for (const int32_t run_and_run : {2, 3}) {
        SyncHarness h(run_and_run, 0);
        h.settings.RUNTIME1 = 12;
        h.settings.RUNTIME2 = 0;
        h.sync.ArmTimer3();
        const uint32_t armed = h.timer3.Interval();
        h.clock.Set(2026, 12, 8, 11, 0, 0, 2);  // set forward by someone, or woken from sleep
        h.sync.ClockChanged();
        if (run_and_run == 2) {
            EXPECT_EQ(h.timer3.Interval(), 3600000u) << "12:00 is an hour away now";
        } else {
            EXPECT_EQ(h.timer3.Interval(), armed) << "a period runs on";
        }
    }
}

TEST(TimeSyncTest, TheDailyRunSurvivesChangesInItsMinuteAndComesOnceADay) {
    // Armed at 09:41:30 for 09:42:30: a clock change or a resume at 09:42:05
    // keeps it; once it ran, Kronvik's own setting of the clock back to
    // 09:42:10 or 09:41:50 brings no second run today.
    struct Case {
        bool ran, resume;
        int32_t minute, second;
        uint32_t interval;
    };
    const Case cases[] = {{false, false, 42, 5, 25000u},
                          {false, true, 42, 5, 25000u},
                          {true, false, 42, 10, 86400000u},
                          {true, false, 41, 50, 86460000u}};
    for (const Case& c : cases) {
        SyncHarness h(2);
        h.settings.RUNTIME1 = 9;
        h.settings.RUNTIME2 = 42;
        h.clock.Set(2026, 12, 8, 9, 41, 30, 2);
        h.sync.ArmTimer3();
        h.clock.Set(2026, 12, 8, 9, 42, 30, 2);
        if (c.ran) h.sync.Timer3Timer();
        h.clock.Set(2026, 12, 8, 9, c.minute, c.second, 2);
        c.resume ? h.sync.Resumed() : h.sync.ClockChanged();
        EXPECT_EQ(h.timer3.Interval(), c.interval) << c.ran << c.resume << c.minute << c.second;
    }
}

TEST(TimeSyncTest, ADailyTimeSleptThroughRunsOnce15SecondsAfterTheResume) {
    for (const bool timer_first : {false, true}) {  // the overdue timer before the resume, or not
        SyncHarness h(2);
        h.settings.RUNTIME1 = 12;
        h.sync.ArmTimer3();                      // at 09:41 for 12:00
        h.clock.Set(2026, 12, 8, 13, 0, 0, 2);  // woken at 13:00
        if (timer_first) h.sync.Timer3Timer();
        h.sync.Resumed();
        EXPECT_TRUE(h.timer3.Interval() == 15000u && !h.Sntp().Run()) << timer_first;
        h.sync.Timer3Timer();
        EXPECT_TRUE(h.Sntp().Run() && h.timer3.Interval() == 82800000u) << timer_first;  // then tomorrow's
    }
}

}  // namespace
}  // namespace kronvik

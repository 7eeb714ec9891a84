// The display tick runs twice a second for the whole run: what one tick costs,
// and how many captions a steady foreground window is sent per minute.
#include <benchmark/benchmark.h>

#include "display/caption_writer.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_timer.h"
#include "schedule/missed_alert.h"
#include "schedule/schedule_alert.h"
#include "schedule/schedule_menu.h"
#include "schedule/upcoming_dates.h"

namespace kronvik {
namespace {

struct DisplayRig {
    DisplayRig() {
        settings.DAY_FORM = "%04d年%02d月%02d日";
        settings.TIM_FORM = "%02d時%02d分";
        settings.WEK_FORM_J = "%s曜日";
        settings.WEK_FORM_E = "[ %s ]";
        settings.REKI = "平成";
        settings.YEAR_SEL = 1;
        settings.WEEK_ON = 1;
        settings.WEEK_TYPE = 1;
        settings.MEMO = "Tanks! Download";
        clock.Set(2007, 6, 21, 15, 4, 0, 4);
        desktop.Add(1, u"無題 - メモ帳");
        desktop.foreground = 1;
    }

    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2;
    SettingsRecord settings;
    SyncFlags flags;
    ClockTextComposer composer{clock, settings};
    CaptionWriter writer{desktop, composer, settings, flags, timer2,
                         [](DSPDRAW_CLASS&) { return 0; }};
};

// Same minute, the caption already carries the clock: the common case.
void BM_SteadyTick(benchmark::State& state) {
    DisplayRig rig;
    rig.writer.Timer1Timer();
    for (auto _ : state) rig.writer.Timer1Timer();
    state.counters["writes"] = rig.desktop.total_writes;
}
BENCHMARK(BM_SteadyTick);

// The text is rebuilt in every tick, as at the first tick of a minute.
void BM_RecomposingTick(benchmark::State& state) {
    DisplayRig rig;
    rig.writer.Timer1Timer();
    for (auto _ : state) {
        rig.composer.InvalidateClockText();
        rig.writer.Timer1Timer();
    }
}
BENCHMARK(BM_RecomposingTick);

// 120 ticks of half a second per iteration, one simulated minute each, on a
// foreground window that stays put. A tick that wrote whenever the clock was
// present would send 120 captions a minute.
void BM_CaptionWritesPerMinute(benchmark::State& state) {
    DisplayRig rig;
    rig.writer.Timer1Timer();
    uint64_t minutes = 0;
    const int writes_before = rig.desktop.total_writes;
    for (auto _ : state) {
        for (int tick = 0; tick < 120; ++tick) {
            rig.clock.AddHalfSecond();
            rig.writer.Timer1Timer();
        }
        ++minutes;
    }
    const double writes = rig.desktop.total_writes - writes_before;
    state.counters["writes_per_minute"] = minutes ? writes / static_cast<double>(minutes) : 0;
    state.counters["writes_per_minute_unconditional"] = 120;
}
BENCHMARK(BM_CaptionWritesPerMinute);

// The same steady tick with the schedule checked in it: empty, and full
// (14 days of 99 appointments, none due in the ticking minute).
void BM_SteadyTickWithSchedule(benchmark::State& state) {
    const bool full = state.range(0) != 0;
    FakeRegistry registry;
    fakes::FakeClock day_clock;
    day_clock.Set(2007, 6, 21, 15, 4);
    ScheduleStore store{registry, day_clock};
    if (full) {
        const UpcomingDates dates = ComputeUpcomingDates(2007, 6, 21);
        for (const UpcomingDate& date : dates) {
            for (int e = 0; e < 99; ++e) {
                registry.SetText(std::string(kScheduleKey) + "\\" +
                                     DateKeyText(date.year, date.month, date.day),
                                 TimeValueName(e / 12, e % 12 * 5), "予定のテキスト");
            }
        }
    }
    store.LoadSchedule();
    DisplayRig rig;
    // Wired as the program wires them: the alert learns which ticks were shown.
    fakes::FakeTrayIcon tray;
    MissedAlert missed{store, tray, rig.desktop};
    ScheduleAlert alert{store, missed, rig.desktop, rig.timer2};
    CaptionWriter writer{rig.desktop, rig.composer, rig.settings, rig.flags, rig.timer2,
                         [&alert](DSPDRAW_CLASS& tick) { return alert.CheckSchedule(tick); }};
    writer.OnShown([&alert](const DSPDRAW_CLASS& tick) { alert.Shown(tick); });
    writer.Timer1Timer();
    for (auto _ : state) writer.Timer1Timer();
    double loaded = 0;
    for (const DaySlot& slot : store.Slots()) loaded += static_cast<double>(slot.entries.size());
    state.counters["appointments"] = loaded;
    state.counters["beeps"] = rig.desktop.beeps;
}
BENCHMARK(BM_SteadyTickWithSchedule)->Arg(0)->Arg(1);

}  // namespace
}  // namespace kronvik

BENCHMARK_MAIN();

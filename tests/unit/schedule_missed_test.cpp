// Which appointments count as missed: scripts of looks (start-up, resume,
// clock change), display ticks and restarts against one registry.
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
#include "schedule/schedule_alert.h"

namespace kronvik {
namespace {

class MissedTest : public ::testing::Test {
protected:
    MissedTest() {
        for (const std::string a : {"07 23 55 夜", "08 00 00 零時", "08 09 00 朝会", "08 09 03 電話", "09 08 00 明日"})
            registry.SetText("Software\\Velk\\Information\\2026 12 " + a.substr(0, 2), a.substr(3, 5), a.substr(9));
        for (int i = 0; i < 99; ++i)
            registry.SetText("Software\\Velk\\Information\\2026 12 10", TimeValueName(8 + i / 60, i % 60), std::to_string(i));
        tray.present = true;
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
        DSPDRAW_CLASS tick{t, {}, {}};
        alert->CheckSchedule(tick);
        if (op == 'T') alert->Shown(tick);
        return tick.ScheduleText;
    }

    FakeRegistry registry;
    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2;
    fakes::FakeTrayIcon tray;
    ScheduleStore store{registry, clock};
    std::unique_ptr<MissedAlert> missed;
    std::unique_ptr<ScheduleAlert> alert;
};

TEST_F(MissedTest, SleepsRestartsAndClockChanges) {
    const struct {
        const char* announced;  // the remembered minute at the start
        std::vector<std::tuple<char, const char*, const char*>> steps;
    } scripts[] = {
        // Slept across midnight: told after the due one for a minute, and not again after a restart.
        {"2026 12 07 23 50",
         {{'L', "12 08 09 03", "見逃した予定 12/07 23:55 夜 ほか 2 件"}, {'T', "12 08 09 03", "電話   見逃した予定 12/07 23:55 夜 ほか 2 件"},
          {'W', "12 08 09 03", ""}, {'T', "12 08 09 04", ""}, {'R', "12 08 09 04", ""}, {'L', "12 08 09 04", ""}}},
        // A minute no window showed is told, the appointment shown after it not.
        {"2026 12 08 08 59",
         {{'T', "12 08 09 00", "朝会"}, {'H', "12 08 09 03", "電話"}, {'T', "12 09 08 00", "明日"},
          {'L', "12 09 08 05", "見逃した予定 12/08 09:03 電話"}}},
        // The clock set back tells nothing again.
        {"2026 12 08 09 30",
         {{'L', "12 08 08 00", ""}, {'T', "12 08 09 00", "朝会"}, {'L', "12 08 09 20", ""},
          {'L', "12 09 09 00", "見逃した予定 12/09 08:00 明日"}}},
        // 99 in a day: the balloon lists five, the rest come again (once for a resume told twice);
        // the minute is written at most once a minute.
        {"2026 12 09 23 59",
         {{'L', "12 10 23 00", "見逃した予定 12/10 08:00 0 ほか 98 件"}, {'R', "12 10 23 00", ""},
          {'L', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"}, {'L', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"},
          {'B', "", "見逃した予定|12/10 08:05 5\n12/10 08:06 6\n12/10 08:07 7\n12/10 08:08 8\n12/10 08:09 9"},
          {'T', "12 10 23 00", "見逃した予定 12/10 08:05 5 ほか 93 件"}, {'A', "", "2026 12 10 08 09"},
          {'W', "", ""}, {'T', "12 10 23 01", ""}, {'A', "", "2026 12 10 23 01"}}},
    };
    for (const auto& script : scripts) {
        Run('R', "01 01 00 00");  // what the last one left unwritten is overwritten next
        registry.SetText(kAlertKey, kAnnouncedValue, script.announced);
        for (const auto& [op, when, text] : script.steps) EXPECT_EQ(Run(op, when), text) << op << " at " << when;
    }
}

}  // namespace
}  // namespace kronvik

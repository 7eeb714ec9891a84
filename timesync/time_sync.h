#pragma once
// The synchronisation of the PC clock: the two workers and what wakes them
// (the manual command, Timer3, a change of the scheduling settings, the
// retry after a failure), setting the clock, recording and reporting it.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/http.h"
#include "platform/message_box.h"
#include "platform/network.h"
#include "platform/registry.h"
#include "platform/system_ports.h"
#include "platform/timer.h"
#include "platform/ui_dispatch.h"
#include "settings/settings_record.h"
#include "timesync/socket_control.h"
#include "timesync/sync_flags.h"
#include "timesync/sync_schedule.h"
#include "timesync/sync_timer.h"
#include "timesync/sync_view.h"
#include "timesync/sync_worker.h"

namespace kronvik {

inline constexpr char kSyncFailureCaption[] = "日付時刻設定";
inline constexpr char kSyncFailureText[] =
    "日付時刻合わせに失敗しました。\n"
    "再度時刻合わせを行うか、SNTP<->HTTPの切り替えを行い再度時刻合わせを行って下さい。";
// Added to the failure box when the system refused the setting for want of the
// right to change the time.
inline constexpr char kNoClockRightsLine[] = "時刻を変更する権限がありません。";
inline constexpr char kSntpFailureNotice[] = "SNTPを利用した時刻合わせに失敗しました。";
inline constexpr char kHttpFailureNotice[] = "HTTPを利用した時刻合わせに失敗しました。";

struct TimeSyncPorts {
    Registry& registry;
    Clock& clock;
    Desktop& desktop;
    MessageBoxes& boxes;
    Timer& timer3;
    UiDispatch& ui;
    QuitRequest& quit;
    Network& network;
    HttpClient& http;
    WorkerStarter& workers;
};

// SET_TIME's text for a local time: "2007年06月21日 09時05分07秒".
std::string SetTimeText(const LocalTime& time);

class TimeSync {
public:
    TimeSync(TimeSyncPorts ports, SettingsRecord& settings, SyncFlags& flags);
    // The workers keep references to this object, which must outlive them.
    ~TimeSync();

    // Creates the HTTP worker, then the SNTP worker, both idle. A worker that
    // cannot be created leaves its method failing every exchange.
    void StartWorkers();
    void AttachView(SyncView* view) { view_ = view; }

    void ArmTimer3() { timer_.ArmSchedule(); }

    // The user confirmed the manual time setting; mode is the MODE its box
    // announced, whatever the settings say by now.
    void ManualRequest(int32_t mode);
    void Timer3Timer();
    // After the settings dialog stored and reloaded the settings.
    void RearmAfterSettingsChange(const SyncSchedule& before);
    // Someone set the clock, or the computer woke from sleep (see SyncTimer).
    void ClockChanged() { timer_.ClockChanged(); }
    void Resumed() { timer_.Resumed(); }

private:
    enum Method { kHttp = 0, kSntp = 1 };
    // What one exchange needs, taken on the UI thread when its worker is woken.
    struct Request {
        bool run_stop = false;
        SntpSettings sntp;
        std::string proxy;
    };
    // A worker's exchange: running, and whether Timer3 or the user asked for it.
    struct Run {
        bool running = false;
        bool automatic = false;
    };
    // What an exchange's clock setting gave: the system's answer and the
    // SET_TIME text recorded.
    struct Outcome {
        ClockSet set = ClockSet::Done;
        std::string set_time;
    };

    static Method MethodOf(int32_t mode) { return mode != 0 ? kHttp : kSntp; }
    void Wake(Method method, bool automatic);
    Request TakeRequest(Method method);
    void RunExchange(Method method);
    bool Exchange(Method method, const Request& request, Outcome& outcome);
    // Sets the clock and, when the system took it, records the time and ends
    // the program if asked to; false when the system refused.
    bool ApplyServerTime(const LocalTime& time, bool run_stop, Outcome& outcome);
    void RecordSyncTime(const std::string& text);
    // Ends a worker's run; true when it was an automatic one.
    bool EndRun(Method method);
    // no_right: the system refused to set the clock for want of the right.
    void ReportSyncFailure(Method method, bool automatic, bool no_right);
    void ShowFailureBox(bool no_right);
    // The flags the caption marker reads, from the runs; with mutex_ held.
    void PublishFlags();

    TimeSyncPorts ports_;
    SettingsRecord& settings_;
    SyncFlags& flags_;
    SyncView* view_ = nullptr;
    SyncTimer timer_;
    std::mutex mutex_;  // guards requests_, runs_ and last_automatic_
    std::array<Request, 2> requests_;
    std::array<Run, 2> runs_;
    bool last_automatic_ = false;
    std::atomic<bool> box_open_{false};
    std::array<std::unique_ptr<Worker>, 2> workers_;
};

}  // namespace kronvik

#pragma once
// The synchronisation of the PC clock: the two workers and what wakes them
// (the manual command, Timer3, a change of the scheduling settings, the
// retry after a failure), setting the clock, recording and reporting it.
#include <array>
#include <cstdint>
#include <functional>
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
#include "timesync/server_time.h"
#include "timesync/socket_control.h"
#include "timesync/sync_boxes.h"
#include "timesync/sync_flags.h"
#include "timesync/sync_schedule.h"
#include "timesync/sync_timer.h"
#include "timesync/sync_view.h"
#include "timesync/sync_worker.h"

namespace kronvik {

// The caption of the synchronisation's boxes: a failure, and the question
// before a far move of the clock.
inline constexpr char kSyncCaption[] = "日付時刻設定";
inline constexpr char kSyncFailureText[] =
    "日付時刻合わせに失敗しました。\n"
    "再度時刻合わせを行うか、SNTP<->HTTPの切り替えを行い再度時刻合わせを行って下さい。";
// Added to the failure box when the system refused the setting for want of the
// right to change the time.
inline constexpr char kNoClockRightsLine[] = "時刻を変更する権限がありません。";
inline constexpr char kSntpFailureNotice[] = "SNTPを利用した時刻合わせに失敗しました。";
inline constexpr char kHttpFailureNotice[] = "HTTPを利用した時刻合わせに失敗しました。";
// A server's time this far from the clock is set only by hand, knowingly: a
// broken server must not move the clock years on unasked.
inline constexpr int64_t kFarOffMs = int64_t{15} * 3600 * 1000;
inline constexpr char kFarOffNotice[] =
    "サーバの時刻が15時間を超えて離れています。\n"
    "手動時刻設定で合わせることができます。";

// The question before a manual setting moves the clock that far, naming the
// server's date and time in SET_TIME's form.
std::string FarOffQuestion(const std::string& server_time);

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
        SntpSettings sntp;
        std::string proxy;
    };
    // A worker's exchange: running, and whether Timer3 or the user asked for it.
    struct Run {
        bool running = false;
        bool automatic = false;
    };
    enum class Failure { None, Failed, NoRight, FarOff };
    // What an exchange's clock setting gave: why it set nothing, whether the
    // user declined a far move, and the SET_TIME text recorded.
    struct Outcome {
        Failure failure = Failure::Failed;
        bool declined = false;
        std::string set_time;
    };

    static Method MethodOf(int32_t mode) { return mode != 0 ? kHttp : kSntp; }
    void Wake(Method method, bool automatic);
    Request TakeRequest(Method method);
    void RunExchange(Method method);
    bool Exchange(Method method, const Request& request, Outcome& outcome);
    // Sets the clock to the server's time as it stands now and records it;
    // false when it set nothing.
    bool ApplyServerTime(Method method, const ServerTime& time, Outcome& outcome);
    // Whether the server's time may be set: near the clock, or a far move
    // the user accepted; an automatic run never moves it far.
    bool MayApply(Method method, const std::function<int64_t()>& server_ms, Outcome& outcome);
    void RecordSyncTime(const std::string& text);
    // Ends a worker's run; true when it was an automatic one.
    bool EndRun(Method method);
    bool Automatic(Method method);
    void ReportSuccess(const std::string& set_time);
    void ReportSyncFailure(Method method, bool automatic, Failure failure, bool on_worker);
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
    SyncBoxes boxes_;
    std::array<std::unique_ptr<Worker>, 2> workers_;
};

}  // namespace kronvik

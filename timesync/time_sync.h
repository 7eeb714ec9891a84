#pragma once
// The synchronisation of the PC clock: the two workers and what wakes them
// (the manual command, Timer3, a change of the scheduling settings, the
// retry after a failure), setting the clock, recording and reporting it.
#include <array>
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
// right to change the time (ERROR_PRIVILEGE_NOT_HELD).
inline constexpr char kNoClockRightsLine[] = "時刻を変更する権限がありません。";
inline constexpr uint32_t kErrorPrivilegeNotHeld = 1314;
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

    // The user confirmed the manual time setting.
    void ManualRequest();
    void Timer3Timer();
    // After the settings dialog stored and reloaded the settings.
    void RearmAfterSettingsChange(const SyncSchedule& before);
    // Someone set the clock, or the computer woke from sleep (see SyncTimer).
    void ClockChanged() { timer_.ClockChanged(); }
    void Resumed() { timer_.Resumed(); }

    // Worker side, public for the exchanges and the tests. ApplyServerTime
    // sets the clock and, when the system took it, records the time and ends
    // the program if asked to; false when the system refused.
    // set_error, when given, receives the system's answer to the setting.
    bool ApplyServerTime(const LocalTime& time, bool run_stop, uint32_t* set_error = nullptr);
    void RecordSyncTime();
    // set_error: the system's refusal of the clock setting, 0 for none.
    void ReportSyncFailure(uint32_t set_error = 0);

private:
    enum Method { kHttp = 0, kSntp = 1 };
    // What one exchange needs, taken on the UI thread when its worker is woken.
    struct Request {
        bool run_stop = false;
        SntpSettings sntp;
        std::string proxy;
    };

    void Wake(int32_t mode);
    void RunExchange(Method method);
    bool Exchange(Method method, const Request& request, uint32_t& set_error);

    TimeSyncPorts ports_;
    SettingsRecord& settings_;
    SyncFlags& flags_;
    SyncView* view_ = nullptr;
    SyncTimer timer_;
    std::mutex request_mutex_;
    std::array<Request, 2> requests_;
    std::array<std::unique_ptr<Worker>, 2> workers_;
};

}  // namespace kronvik

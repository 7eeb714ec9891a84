#include "timesync/time_sync.h"

#include <cstdio>
#include <exception>

#include "settings/settings_dialog.h"
#include "settings/settings_store.h"
#include "timesync/http_time.h"
#include "timesync/socket_control.h"
#include "timesync/time_page.h"

namespace kronvik {

std::string SetTimeText(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d年%02d月%02d日 %02d時%02d分%02d秒", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

TimeSync::TimeSync(TimeSyncPorts ports, SettingsRecord& settings, SyncFlags& flags)
    : ports_(ports), settings_(settings), flags_(flags),
      timer_(ports_.timer3, ports_.clock, settings_, flags_.SyncArmed) {}

TimeSync::~TimeSync() = default;

void TimeSync::StartWorkers() {
    workers_[kHttp] = ports_.workers.Start([this] { RunExchange(kHttp); });
    workers_[kSntp] = ports_.workers.Start([this] { RunExchange(kSntp); });
}

void TimeSync::ManualRequest() {
    flags_.AutoSync = 0;
    Wake(settings_.MODE);
    ArmTimer3();
}

void TimeSync::Timer3Timer() {
    if (!timer_.Fire()) return;
    flags_.AutoSync = 1;
    if (view_) view_->SetFailureNotice("");
    Wake(settings_.MODE);
    ArmTimer3();
}

void TimeSync::RearmAfterSettingsChange(const SyncSchedule& before) {
    if (ScheduleOf(settings_) == before) return;
    if (settings_.MODE != 0) flags_.SyncArmed = 0;
    ArmTimer3();
}

void TimeSync::Wake(int32_t mode) {
    const Method method = mode != 0 ? kHttp : kSntp;
    {
        // Taken here, on the UI thread, so the worker never reads a setting
        // or a control while the UI thread may be changing it.
        std::lock_guard lock(request_mutex_);
        Request& request = requests_[method];
        request.run_stop = settings_.RUN_STOP != 0;
        if (method == kSntp) {
            request.sntp = SntpSettings{settings_.SNTP, settings_.SNTPanswer, settings_.TIME_PLUS};
        } else {
            request.proxy = view_ ? ProxyText(view_->ProxyAddress(), view_->ProxyPort()) : std::string();
        }
    }
    if (workers_[method]) {
        workers_[method]->Wake();
    } else {
        ReportSyncFailure();
    }
}

void TimeSync::RunExchange(Method method) {
    Request request;
    {
        std::lock_guard lock(request_mutex_);
        request = requests_[method];
    }
    flags_.SyncRunning = 1;
    ports_.network.Startup();
    bool ok = false;
    uint32_t set_error = 0;
    try {
        ok = Exchange(method, request, set_error);
    } catch (const std::exception&) {
        ok = false;
    }
    ports_.network.Cleanup();
    if (ok) {
        ports_.ui.Post([this] {
            if (view_) view_->SetLastSetting(LastSettingLabel(settings_.SET_TIME.Get()));
        });
    } else {
        ReportSyncFailure(set_error);
    }
    flags_.SyncRunning = 0;
}

bool TimeSync::Exchange(Method method, const Request& request, uint32_t& set_error) {
    const ApplyTime apply = [this, &request, &set_error](const LocalTime& time) {
        return ApplyServerTime(time, request.run_stop, &set_error);
    };
    if (method == kSntp) return RunSntpExchange(ports_.network, request.sntp, apply);
    return FetchTimePage(ports_.http, request.proxy, apply);
}

bool TimeSync::ApplyServerTime(const LocalTime& time, bool run_stop, uint32_t* set_error) {
    // Date and time of day in one setting; a refusal (no privilege) is a failure.
    const uint32_t error = ports_.clock.SetLocal(time);
    if (set_error) *set_error = error;
    if (error != 0) return false;
    settings_.SET_TIME.Set(SetTimeText(time));
    RecordSyncTime();
    if (run_stop) ports_.quit.Post();
    return true;
}

void TimeSync::RecordSyncTime() {
    // The key exists from the first start on; without it there is nowhere to record.
    if (const auto key = ports_.registry.Open(kSettingsKey, false)) {
        key->WriteText("SET_TIME", settings_.SET_TIME.Get());
    }
}

void TimeSync::ReportSyncFailure(uint32_t set_error) {
    flags_.SyncRunning = 0;
    const bool automatic = flags_.AutoSync.load() == 1;
    if (!automatic) {
        // Without the right, switching methods would not help: the box says why.
        std::string text = kSyncFailureText;
        if (set_error == kErrorPrivilegeNotHeld) text += std::string("\n") + kNoClockRightsLine;
        // Shown while the worker is still busy, so a second manual request
        // meanwhile starts nothing and cannot stack a second box.
        ports_.desktop.Beep();
        ports_.boxes.Show(text, kSyncFailureCaption, kBoxOk | kBoxIconError);
    }
    ports_.ui.Post([this, automatic] {
        if (automatic && view_) view_->SetFailureNotice(settings_.MODE == 0 ? kSntpFailureNotice : kHttpFailureNotice);
        timer_.ArmRetry();
    });
}

}  // namespace kronvik

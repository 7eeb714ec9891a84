#include "timesync/time_sync.h"

#include <cstdio>
#include <exception>

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

void TimeSync::ManualRequest(int32_t mode) {
    Wake(MethodOf(mode), false);
    ArmTimer3();
}

void TimeSync::Timer3Timer() {
    if (!timer_.Fire()) return;
    if (view_) view_->SetFailureNotice("");
    Wake(MethodOf(settings_.MODE), true);
    ArmTimer3();
}

void TimeSync::RearmAfterSettingsChange(const SyncSchedule& before) {
    if (ScheduleOf(settings_) == before) return;
    if (settings_.MODE != 0) flags_.SyncArmed = 0;
    timer_.ScheduleChanged();
}

void TimeSync::Wake(Method method, bool automatic) {
    std::unique_lock lock(mutex_);
    requests_[method] = TakeRequest(method);
    last_automatic_ = automatic;
    if (!workers_[method]) {
        PublishFlags();
        lock.unlock();
        ReportSyncFailure(method, automatic, false);
        return;
    }
    // The woken worker waits for the lock before it reads its request. The
    // user's request takes over an exchange already running.
    if (workers_[method]->Wake() || !automatic) runs_[method].automatic = automatic;
    PublishFlags();
}

TimeSync::Request TimeSync::TakeRequest(Method method) {
    // Taken here, on the UI thread, so the worker never reads a setting or a
    // control while the UI thread may be changing it.
    Request request;
    request.run_stop = settings_.RUN_STOP != 0;
    if (method == kSntp) {
        request.sntp = SntpSettings{settings_.SNTP, settings_.SNTPanswer, settings_.TIME_PLUS};
    } else if (view_) {
        request.proxy = ProxyText(view_->ProxyAddress(), view_->ProxyPort());
    }
    return request;
}

void TimeSync::RunExchange(Method method) {
    Request request;
    {
        std::lock_guard lock(mutex_);
        request = requests_[method];
        runs_[method].running = true;
        PublishFlags();
    }
    Outcome outcome;
    bool ok = false;
    try {
        ok = Exchange(method, request, outcome);
    } catch (const std::exception&) {
        ok = false;
    }
    const bool automatic = EndRun(method);
    if (ok) {
        ports_.ui.Post([this, label = LastSettingLabel(outcome.set_time)] {
            if (view_) view_->SetLastSetting(label);
        });
    } else {
        ReportSyncFailure(method, automatic, outcome.set == ClockSet::NoRight);
    }
}

bool TimeSync::Exchange(Method method, const Request& request, Outcome& outcome) {
    const ApplyTime apply = [this, &request, &outcome](const LocalTime& time) {
        return ApplyServerTime(time, request.run_stop, outcome);
    };
    if (method == kSntp) return RunSntpExchange(ports_.network, request.sntp, apply);
    return FetchTimePage(ports_.http, request.proxy, apply);
}

bool TimeSync::ApplyServerTime(const LocalTime& time, bool run_stop, Outcome& outcome) {
    // Date and time of day in one setting; a refusal (no privilege) is a failure.
    outcome.set = ports_.clock.SetLocal(time);
    if (outcome.set != ClockSet::Done) return false;
    outcome.set_time = SetTimeText(time);
    RecordSyncTime(outcome.set_time);
    if (run_stop) ports_.quit.Post();
    return true;
}

void TimeSync::RecordSyncTime(const std::string& text) {
    // The key exists from the first start on; without it there is nowhere to record.
    const std::unique_ptr<RegistryKey> key = ports_.registry.Open(kSettingsKey, false);
    // The registry and the record change under one lock, so a settings load
    // on the UI thread meanwhile cannot put the old time back into either.
    settings_.SET_TIME.Replace([&] {
        if (key) key->WriteText("SET_TIME", text);
        return text;
    });
}

bool TimeSync::EndRun(Method method) {
    std::lock_guard lock(mutex_);
    runs_[method].running = false;
    PublishFlags();
    return runs_[method].automatic;
}

void TimeSync::PublishFlags() {
    const Run& http = runs_[kHttp];
    const Run& sntp = runs_[kSntp];
    const bool running = http.running || sntp.running;
    // While both run, the automatic one's marker shows.
    const bool automatic = running ? (http.running && http.automatic) || (sntp.running && sntp.automatic)
                                   : last_automatic_;
    flags_.AutoSync = automatic ? 1 : 0;
    flags_.SyncRunning = running ? 1 : 0;
}

void TimeSync::ReportSyncFailure(Method method, bool automatic, bool no_right) {
    if (!automatic) ShowFailureBox(no_right);
    ports_.ui.Post([this, method, automatic] {
        if (automatic && view_) {
            view_->SetFailureNotice(method == kSntp ? kSntpFailureNotice : kHttpFailureNotice);
        }
        timer_.ArmRetry();
    });
}

void TimeSync::ShowFailureBox(bool no_right) {
    // One box at a time. A worker shows its box while still busy, so a second
    // request for it starts nothing meanwhile; a failure of the other worker,
    // or of a request that finds no worker (reported on the UI thread, in the
    // open box's own loop), shows none while a box is open.
    if (box_open_.exchange(true)) return;
    // Without the right, switching methods would not help: the box says why.
    std::string text = kSyncFailureText;
    if (no_right) text += std::string("\n") + kNoClockRightsLine;
    ports_.desktop.Beep();
    ports_.boxes.Show(text, kSyncFailureCaption, BoxStyle::Error);
    box_open_ = false;
}

}  // namespace kronvik

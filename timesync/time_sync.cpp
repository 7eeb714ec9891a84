#include "timesync/time_sync.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/local_calendar.h"
#include "settings/settings_store.h"
#include "timesync/http_time.h"
#include "timesync/socket_control.h"
#include "timesync/time_page.h"

namespace kronvik {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// The local date and time of a moment, to the millisecond.
std::optional<LocalTime> LocalAt(int64_t unix_ms) {
    const int64_t seconds = FloorDiv(unix_ms, 1000);
    std::optional<LocalTime> local = LocalFromSeconds(seconds);
    if (local) local->milliseconds = static_cast<int32_t>(unix_ms - seconds * 1000);
    return local;
}

// The clock's time in milliseconds since 1970; nothing when the C library
// cannot place it.
std::optional<int64_t> UnixMsOf(const LocalTime& t) {
    const std::optional<int64_t> seconds = SecondsFromLocal(t.year, t.month, t.day, t.hour, t.minute, t.second);
    if (!seconds) return std::nullopt;
    return *seconds * 1000 + t.milliseconds;
}

}  // namespace

std::string SetTimeText(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d年%02d月%02d日 %02d時%02d分%02d秒", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string FarOffQuestion(const std::string& server_time) {
    return "サーバの日付時刻は " + server_time + " です。\n" +
           "このパソコンの日付時刻と15時間を超えて離れています。\n" + "この日付時刻に合わせますか？";
}

TimeSync::TimeSync(TimeSyncPorts ports, SettingsRecord& settings, SyncFlags& flags)
    : ports_(ports), settings_(settings), flags_(flags),
      timer_(ports_.timer3, ports_.clock, settings_, flags_.SyncArmed), boxes_(ports_.boxes, ports_.desktop) {}

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
        ReportSyncFailure(method, automatic, Failure::Failed, false);
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
        ReportSuccess(outcome.set_time);
    } else if (!outcome.declined) {
        ReportSyncFailure(method, automatic, outcome.failure, true);
    }
}

bool TimeSync::Exchange(Method method, const Request& request, Outcome& outcome) {
    const ApplyTime apply = [this, method, &outcome](const ServerTime& time) {
        return ApplyServerTime(method, time, outcome);
    };
    const MonotonicMs now_ms = [this] { return ports_.clock.ElapsedMs(); };
    if (method == kSntp) return RunSntpExchange(ports_.network, request.sntp, apply, now_ms);
    return FetchTimePage(ports_.http, request.proxy, apply, now_ms);
}

bool TimeSync::ApplyServerTime(Method method, const ServerTime& time, Outcome& outcome) {
    // The server's time as it stands now: as its answer told it, and the
    // time that passed since the answer came.
    const auto server_ms = [this, &time] { return time.unix_ms + (ports_.clock.ElapsedMs() - time.arrived_ms); };
    if (!MayApply(method, server_ms, outcome)) return false;
    const std::optional<LocalTime> local = LocalAt(server_ms());
    if (!local) return false;
    // Date and time of day in one setting; a refusal (no privilege) is a failure.
    const ClockSet set = ports_.clock.SetLocal(*local);
    if (set != ClockSet::Done) {
        outcome.failure = set == ClockSet::NoRight ? Failure::NoRight : Failure::Failed;
        return false;
    }
    outcome.failure = Failure::None;
    outcome.set_time = SetTimeText(*local);
    RecordSyncTime(outcome.set_time);
    return true;
}

bool TimeSync::MayApply(Method method, const std::function<int64_t()>& server_ms, Outcome& outcome) {
    const std::optional<int64_t> clock_ms = UnixMsOf(ports_.clock.Now());
    // A clock the calendar cannot place counts as far off.
    if (clock_ms && std::abs(server_ms() - *clock_ms) <= kFarOffMs) return true;
    if (Automatic(method)) {
        outcome.failure = Failure::FarOff;
        return false;
    }
    const std::optional<LocalTime> local = LocalAt(server_ms());
    if (!local) return false;
    const SyncBox question{FarOffQuestion(SetTimeText(*local)), kSyncCaption, BoxStyle::ConfirmRisky, false};
    outcome.declined = !boxes_.Show(question);
    return !outcome.declined;
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

bool TimeSync::Automatic(Method method) {
    std::lock_guard lock(mutex_);
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

void TimeSync::ReportSuccess(const std::string& set_time) {
    ports_.ui.Post([this, label = LastSettingLabel(set_time)] {
        if (view_) view_->SetLastSetting(label);
        // Read here, on the UI thread: an Apply during the exchange counts.
        if (settings_.RUN_STOP != 0) ports_.quit.Post();
    });
}

void TimeSync::ReportSyncFailure(Method method, bool automatic, Failure failure, bool on_worker) {
    if (!automatic) {
        // Without the right, switching methods would not help: the box says why.
        std::string text = kSyncFailureText;
        if (failure == Failure::NoRight) text += std::string("\n") + kNoClockRightsLine;
        const SyncBox box{text, kSyncCaption, BoxStyle::Error, true};
        // A worker shows its box while still busy, so a second request for it
        // starts nothing meanwhile; a request that finds no worker is
        // reported on the UI thread, which must not wait for an open box.
        if (on_worker) {
            boxes_.Show(box);
        } else {
            boxes_.ShowOrQueue(box);
        }
    }
    ports_.ui.Post([this, method, automatic, failure] {
        if (automatic && view_) {
            const char* notice = method == kSntp ? kSntpFailureNotice : kHttpFailureNotice;
            view_->SetFailureNotice(failure == Failure::FarOff ? kFarOffNotice : notice);
        }
        timer_.ArmRetry();
    });
}

}  // namespace kronvik

#pragma once
// The hidden main window TForm1: the program's state for the whole run, its
// creation steps, the application message hook and the exit sequence.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "app/ports.h"
#include "display/caption_writer.h"
#include "display/clock_text.h"
#include "platform/system_ports.h"
#include "platform/timer.h"
#include "schedule/entry_presenter.h"
#include "schedule/missed_alert.h"
#include "schedule/schedule_alert.h"
#include "schedule/schedule_store.h"
#include "settings/settings_presenter.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "timesync/sync_flags.h"
#include "timesync/time_sync.h"

namespace kronvik {

// The confirmation text of the manual time setting, with SET_TIME in its place.
std::string ManualSettingText(int32_t mode, const std::string& set_time);

// The message a failure carries, or a general one when it carries none.
std::string FailureText(const std::exception_ptr& error);

// The synchronisation's ports and those of the display tick, the alert and the tray.
struct MainWindowPorts : TimeSyncPorts {
    Timer& timer1;
    Timer& timer2;
    TrayIcon& tray;
    const SystemProxy& system_proxy;
};

class MainWindow {
public:
    enum class Start { Resident, Uninstalled };

    explicit MainWindow(MainWindowPorts ports);
    ~MainWindow();

    // The creation event and the constructor steps, in order. Throws
    // SettingsError when the settings cannot be read; whatever fails once the
    // tray icon is there removes it first, so a failed start leaves nothing behind.
    Start Create(const std::vector<std::string>& arguments);
    void AttachViews(Views* views) {
        views_ = views;
        time_sync_.AttachView(views);
    }

    // The application message hook sees every message taken from the UI
    // thread's queue before dispatch, and acts on two: a menu command and the
    // quit request. Each returns true when the message is handled and must
    // not be dispatched. A command counts only when addressed to the main
    // window, the menu's owner, or to no window: in a dialog, ids 1 and 2 are
    // its OK and Cancel. The quit request counts only with lParam 0.
    bool MenuCommand(uint32_t id, bool to_main_window);
    bool QuitRequested(int64_t lparam);
    void TrayNotify(TrayMouse mouse);

    // Gives every window that may show the clock its caption back (about two
    // seconds at most) and removes the icon; the caller then ends the
    // process. Runs at most once.
    void ExitSequence();
    bool Ending() const { return ending_; }
    // A failure left a handler. A settings error is expected: it is shown,
    // and the program goes on. Anything else is a fault: the exit sequence
    // runs, the failure is shown, and the caller ends the process.
    void Failed(const std::exception_ptr& error);

    void Timer1Timer() { writer_.Timer1Timer(); }
    void Timer2Timer() { alert_.Timer2Timer(writer_.TrackedWindow()); }
    void Timer3Timer() { time_sync_.Timer3Timer(); }
    // The system clock was set by someone: the daily timer is computed
    // afresh, the clock text recomposed.
    void ClockChanged() {
        time_sync_.ClockChanged();
        composer_.InvalidateClockText();
        missed_.Look(ports_.clock.Now());
    }
    // The computer resumed from sleep: as a clock change, and a daily
    // synchronisation slept through runs shortly. Both tell the appointments
    // whose minute passed unannounced.
    void Resumed() {
        time_sync_.Resumed();
        composer_.InvalidateClockText();
        missed_.Look(ports_.clock.Now());
    }
    // The shell was restarted: the icon must be added again.
    void TaskbarCreated();

    EntryPresenter& EntryForm() { return entry_presenter_; }
    SettingsPresenter& SettingsForm() { return settings_presenter_; }
    uint32_t QuitRequestMsg() const { return quit_request_msg_; }

private:
    void CommandDispatch(uint32_t id);
    // The popup menu as it stands now: the commands and the 14 upcoming days.
    std::vector<MenuItem> TrayMenu();
    void ManualTimeSetting();

    MainWindowPorts ports_;
    Views* views_ = nullptr;
    SettingsRecord settings_;
    SyncFlags flags_;
    ClockTextComposer composer_;
    ScheduleStore schedule_;
    MissedAlert missed_;
    ScheduleAlert alert_;
    EntryPresenter entry_presenter_;
    CaptionWriter writer_;
    SettingsPresenter settings_presenter_;
    uint32_t quit_request_msg_ = 0;
    bool icon_added_ = false;
    bool ending_ = false;
    // Last: its workers use the members above and end before they go.
    TimeSync time_sync_;
};

}  // namespace kronvik

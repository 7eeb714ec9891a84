#pragma once
// The hidden main window TForm1: the program's state for the whole run, its
// creation steps, the application message hook and the exit sequence.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ports.h"
#include "display/caption_writer.h"
#include "display/clock_text.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/timer.h"
#include "schedule/schedule_types.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "timesync/sync_worker.h"

namespace kronvik {

// The confirmation text of the manual time setting, with SET_TIME in its place.
std::string ManualSettingText(int32_t mode, const std::string& set_time);

struct MainWindowPorts {
    Registry& registry;
    Clock& clock;
    Desktop& desktop;
    MessageBoxes& boxes;
    Timer& timer1;
    Timer& timer2;
    Timer& timer3;
    TrayIcon& tray;
    // LOCALE_IDATE of the Japanese locale as text ("" when the query fails).
    std::function<std::string()> locale_date_order;
    std::function<uint32_t()> register_quit_message;
    SystemProxyQuery system_proxy;
};

class MainWindow {
public:
    enum class Start { Resident, Uninstalled };

    explicit MainWindow(MainWindowPorts ports);
    ~MainWindow();

    // The creation event and the constructor steps, in order. Throws
    // SettingsError when the settings cannot be read; the tray icon is removed
    // first, so a failed start leaves nothing behind.
    Start Create(const std::vector<std::string>& arguments);
    void AttachViews(Views* views) { views_ = views; }

    // Sees every message taken from the UI thread's queue before dispatch;
    // returns true when the message is handled and must not be dispatched.
    bool AppMessage(uint32_t message, uint64_t wparam, int64_t lparam);
    void CommandDispatch(uint32_t id);
    // A mouse action over the tray icon (lParam of WM_TRAYNOTIFY).
    void TrayNotify(uint32_t mouse_message);
    // The popup menu as it stands now: the commands and the 14 upcoming days.
    std::vector<MenuItem> TrayMenu();
    void ManualTimeSetting();

    // Gives the tracked window its caption back and removes the icon; the
    // caller then ends the process. Runs at most once.
    void ExitSequence();
    bool Ending() const { return ending_; }

    void Timer1Timer() { writer_.Timer1Timer(); }
    // The shell was restarted: the icon must be added again.
    void TaskbarCreated();

    // The period of Timer3 in ms, 0 for none. No automatic synchronisation
    // exists yet, so Timer3 never runs.
    uint32_t NextSyncInterval() const { return 0; }

    SettingsRecord& Settings() { return settings_; }
    SyncFlags& Flags() { return flags_; }
    ClockTextComposer& Composer() { return composer_; }
    CaptionWriter& Writer() { return writer_; }
    int32_t DateOrder() const { return date_order_; }
    uint32_t QuitRequestMsg() const { return quit_request_msg_; }
    const std::string& Memo1() const { return memo1_; }

private:
    MainWindowPorts ports_;
    Views* views_ = nullptr;
    SettingsRecord settings_;
    SyncFlags flags_;
    ClockTextComposer composer_;
    CaptionWriter writer_;
    std::unique_ptr<SyncWorker> http_thread_;
    std::unique_ptr<SyncWorker> sntp_thread_;
    uint32_t quit_request_msg_ = 0;
    int32_t date_order_ = 0;
    std::string memo1_;
    std::vector<DaySlot> day_slots_;
    bool icon_added_ = false;
    bool ending_ = false;
};

}  // namespace kronvik

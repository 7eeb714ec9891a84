#include "app/main_window.h"

#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/tray_menu.h"
#include "schedule/schedule_menu.h"

namespace kronvik {

namespace {

constexpr char kManualCaption[] = "日付時刻設定（手動）";
constexpr char kSntpFirstLine[] = "ＳＮＴＰサーバを使用し、日付時刻を合わせます。";
constexpr char kHttpFirstLine[] =
    "NICT 独立行政法人 情報通信研究機構 Ｗｅｂサーバを使用し、日本標準時刻に日付時刻を合わせます。";
constexpr char kLastSetBefore[] = "前回の日付時刻合わせは ";
constexpr char kLastSetAfter[] = " に行いました。";
constexpr char kConnectedQuestion[] = "(インターネットに接続されていますか？)";
// The message of a failure that carries none of its own.
constexpr char kUnexpectedFailure[] = "予期しないエラーが発生しました。";

}  // namespace

std::string ManualSettingText(int32_t mode, const std::string& set_time) {
    return std::string(mode == 0 ? kSntpFirstLine : kHttpFirstLine) + '\n' + kLastSetBefore + set_time +
           kLastSetAfter + '\n' + kConnectedQuestion;
}

MainWindow::MainWindow(MainWindowPorts ports)
    : ports_(std::move(ports)),
      composer_(ports_.clock, settings_),
      schedule_(ports_.registry, ports_.clock),
      missed_(schedule_, ports_.tray, ports_.desktop),
      alert_(schedule_, missed_, ports_.desktop, ports_.timer2),
      entry_presenter_(schedule_, ports_.clock),
      writer_(ports_.desktop, composer_, settings_, flags_, ports_.timer2,
              [this](DSPDRAW_CLASS& tick) { return alert_.CheckSchedule(tick); }),
      settings_presenter_(ports_.registry, settings_, ports_.clock,
                          SettingsHooks{[this] { composer_.InvalidateClockText(); },
                                        [this](const SettingsRecord& before) {
                                            time_sync_.RearmAfterSettingsChange(ScheduleOf(before));
                                            composer_.InvalidateClockText();
                                        }}),
      time_sync_(ports_, settings_, flags_) {
    writer_.OnShown([this](const DSPDRAW_CLASS& tick) { alert_.Shown(tick); });
}

MainWindow::~MainWindow() = default;

MainWindow::Start MainWindow::Create(const std::vector<std::string>& arguments) {
    // The uninstall argument ends the program before anything is set up.
    if (IsUninstallRequest(arguments)) {
        ports_.registry.DeleteTree(kRootKey);
        return Start::Uninstalled;
    }
    // The tray icon comes first; everything after it that fails takes it away.
    ports_.tray.Add();
    icon_added_ = true;
    try {
        // The display tick runs; the alert flasher waits.
        ports_.timer1.SetInterval(500);
        ports_.timer2.SetInterval(0);
        CheckSettingsVersion(ports_.registry, settings_, ports_.system_proxy);
        // Appointments stored in an earlier run are announced without the
        // menu having been opened, those passed meanwhile at once.
        schedule_.LoadSchedule();
        missed_.Look(ports_.clock.Now());
        flags_.AutoSync = 0;
        flags_.SyncArmed = 0;
        // HTTP worker first, then SNTP; both wait idle until woken.
        time_sync_.StartWorkers();
        time_sync_.ArmTimer3();
        quit_request_msg_ = ports_.quit.Register();
    } catch (...) {
        ports_.tray.Remove();
        icon_added_ = false;
        throw;
    }
    return Start::Resident;
}

bool MainWindow::MenuCommand(uint32_t id, bool to_main_window) {
    if (!to_main_window) return false;
    CommandDispatch(id);
    return true;
}

bool MainWindow::QuitRequested(int64_t lparam) {
    if (lparam != 0) return false;
    ExitSequence();
    return true;
}

void MainWindow::CommandDispatch(uint32_t id) {
    if (ending_) return;
    switch (id) {
    case kCmdSettings:
        // A settings read failure goes to the error box and the dialog stays as it was.
        if (settings_presenter_.FillForShowing() && views_) views_->ShowSettings();
        return;
    case kCmdManualSync:
        ManualTimeSetting();
        return;
    case kCmdAbout:
        if (views_) views_->ShowAbout();
        return;
    case kCmdExit:
        ExitSequence();
        return;
    default:
        // Only ids the schedule submenu produced open the entry dialog.
        if (id >= kCmdScheduleFirst && id <= kCmdScheduleLast) entry_presenter_.Open(id);
    }
}

void MainWindow::TrayNotify(TrayMouse mouse) {
    if (ending_) return;
    if (mouse == TrayMouse::LeftDoubleClick) {
        CommandDispatch(kCmdSettings);
    } else if (mouse == TrayMouse::RightButtonDown && views_) {
        views_->TrackTrayMenu(TrayMenu());
    }
}

std::vector<MenuItem> MainWindow::TrayMenu() {
    schedule_.LoadSchedule();
    ScheduleMenuLoad load{schedule_.Dates(), schedule_.Slots()};
    std::vector<MenuItem> schedule_menu = BuildScheduleMenu(load.dates, load.slots);
    entry_presenter_.MenuShown(std::move(load));
    schedule_.PurgePastDays();
    return BuildTrayMenu(std::move(schedule_menu));
}

void MainWindow::ManualTimeSetting() {
    const int32_t mode = settings_.MODE;
    const std::string text = ManualSettingText(mode, settings_.SET_TIME.Get());
    if (ports_.boxes.Show(text, kManualCaption, BoxStyle::Confirm)) time_sync_.ManualRequest(mode);
}

void MainWindow::ExitSequence() {
    if (ending_) return;
    ending_ = true;
    writer_.GiveBackAll();
    missed_.Flush();
    if (icon_added_) {
        ports_.tray.Remove();
        icon_added_ = false;
    }
}

std::string FailureText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return kUnexpectedFailure;
    }
}

void MainWindow::Failed(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const SettingsError&) {
    } catch (...) {
        ExitSequence();
    }
    ports_.boxes.Show(FailureText(error), kApplicationTitle, BoxStyle::Error);
}

void MainWindow::TaskbarCreated() {
    if (icon_added_ && !ending_) ports_.tray.Add();
}

}  // namespace kronvik

// Entry point: single instance, the four windows, the message loop with the
// application message hook.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "about/about_view_win32.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/setup_request_win32.h"
#include "app/tray_win32.h"
#include "app/views_win32.h"
#include "platform/win32/basic_ports_win32.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/gdi_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/http_win32.h"
#include "platform/win32/layout_win32.h"
#include "platform/win32/message_filter_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/win32_text.h"
#include "schedule/entry_view_win32.h"
#include "settings/settings_view_win32.h"
#include "timesync/system_proxy.h"

namespace kronvik {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimer2 = 2;
constexpr UINT_PTR kTimer3 = 3;
// Looks once a second whether an administrator's installer asks every
// session's Kronvik to end; the quit request reaches only this desktop.
constexpr UINT_PTR kSetupTimer = 4;
constexpr UINT kSetupPeriodMs = 1000;

struct Program {
    HINSTANCE instance = nullptr;
    HWND form1 = nullptr;
    UINT taskbar_created = 0;
    Win32Registry registry;
    Win32Clock clock;
    Win32Desktop desktop;
    Win32MessageBoxes boxes;
    RegistrySystemProxy system_proxy{registry};
    Win32Network network;
    Win32HttpClient http;
    ThreadWorkerStarter workers;
    std::unique_ptr<Win32QuitRequest> quit;
    std::unique_ptr<Win32UiDispatch> ui;
    std::unique_ptr<Win32Timer> timer1, timer2, timer3;
    std::unique_ptr<Win32TrayIcon> tray;
    std::unique_ptr<MainWindow> main;
    DigitImages digit_image;
    Win32AboutView about;
    Win32EntryView entry_view;
    Win32SettingsView settings_view;
    std::unique_ptr<Win32Views> views;
};

Program* program = nullptr;

[[noreturn]] void EndProgram() {
    // The workers are not waited for: a synchronisation in progress ends here.
    ExitProcess(0);
}

[[noreturn]] void OrderlyEnd() {
    if (program->main) program->main->ExitSequence();
    EndProgram();
}

void EndIfExiting() {
    if (program->main && program->main->Ending()) EndProgram();
}

// Whatever a window procedure or the message loop let out.
void Failed(std::exception_ptr error) noexcept {
    program->main->Failed(error);
    EndIfExiting();
}

// The application message hook: a menu command or the quit request is taken
// before dispatch. True when the message must not be dispatched.
bool AppMessage(MainWindow& main, UINT message, WPARAM wparam, LPARAM lparam, bool to_main_window) {
    bool handled = false;
    if (message == WM_COMMAND) handled = main.MenuCommand(LOWORD(wparam), to_main_window);
    if (message == main.QuitRequestMsg() && message != 0) handled = main.QuitRequested(lparam);
    EndIfExiting();
    return handled;
}

// The main window's handlers; false for a message left to the default.
bool Form1Message(MainWindow& main, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        if (wparam == kTimer1) main.Timer1Timer();
        if (wparam == kTimer2) main.Timer2Timer();
        if (wparam == kTimer3) main.Timer3Timer();
        if (wparam == kSetupTimer && SetupAsksToEnd()) OrderlyEnd();
        return true;
    case Win32UiDispatch::kMessage:
        program->ui->RunPending();
        return true;
    case WM_TIMECHANGE:
        main.ClockChanged();
        return true;
    case WM_ENDSESSION:
        if (wparam) OrderlyEnd();
        return true;
    case WM_TRAYNOTIFY:
        main.TrayNotify(Win32TrayIcon::MouseOf(lparam));
        return true;
    default:
        break;
    }
    if (message == program->taskbar_created && message != 0) {
        main.TaskbarCreated();
        return true;
    }
    // A modal loop (a message box, a menu) dispatches posted messages without
    // the hook; commands and the quit request still take effect.
    return AppMessage(main, message, wparam, lparam, true);
}

LRESULT CALLBACK Form1Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MainWindow* main = program->main.get();
    // Once the exit sequence has run, only a failure's box may still be open:
    // nothing is written any more.
    if (main == nullptr || main->Ending()) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_POWERBROADCAST:
        if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) main->Resumed();
        return TRUE;
    case WM_CLOSE:
        OrderlyEnd();
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return Form1Message(*main, message, wparam, lparam) ? 0 : DefWindowProcW(window, message, wparam, lparam);
    }
}

std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(Narrow(words[i]));
    if (words != nullptr) LocalFree(words);
    return arguments;
}

void CreateMainWindow(Program& p) {
    RegisterFormClass<Form1Proc>(p.instance, L"TForm1");
    p.form1 = CreateForm(p.instance, L"TForm1", L"Form1", WS_OVERLAPPEDWINDOW, 0, 320, 200);
    p.timer1 = std::make_unique<Win32Timer>(p.form1, kTimer1);
    p.timer2 = std::make_unique<Win32Timer>(p.form1, kTimer2);
    p.timer3 = std::make_unique<Win32Timer>(p.form1, kTimer3);
    // The tray draws the icon's own 16 x 16 picture rather than a shrunken 32 x 32 one.
    Icon small_icon(static_cast<HICON>(LoadImageW(p.instance, L"MAINICON", IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    p.tray = std::make_unique<Win32TrayIcon>(p.form1, std::move(small_icon));
    p.quit = std::make_unique<Win32QuitRequest>(p.form1);
    p.ui = std::make_unique<Win32UiDispatch>(p.form1);
    p.main = std::make_unique<MainWindow>(MainWindowPorts{
        {p.registry, p.clock, p.desktop, p.boxes, *p.timer3, *p.ui, *p.quit, p.network, p.http, p.workers},
        *p.timer1, *p.timer2, *p.tray, p.system_proxy});
    failure_handler = Failed;
}

void CreateDialogs(Program& p) {
    RegisterPanelClass(p.instance);
    p.about.Create(p.instance);
    p.entry_view.Create(p.instance, p.form1, p.digit_image, p.main->EntryForm());
    p.settings_view.Create(p.instance, p.form1, p.digit_image, p.main->SettingsForm());
    p.views = std::make_unique<Win32Views>(p.form1, p.about, p.settings_view);
    p.main->AttachViews(p.views.get());
}

// The ten digit pictures with which the dialogs show numbers.
void LoadDigitImages(Program& p) {
    for (int digit = 0; digit < 10; ++digit) {
        const std::wstring name = L"IMAGE10" + std::to_wstring(digit);
        p.digit_image[static_cast<std::size_t>(digit)].reset(
            static_cast<HBITMAP>(LoadImageW(p.instance, name.c_str(), IMAGE_BITMAP, 0, 0, 0)));
    }
}

// One message from the queue: the hook, the dialogs' keys, then dispatch.
void TakeMessage(Program& p, MSG& msg) {
    const bool to_main = msg.hwnd == nullptr || msg.hwnd == p.form1;
    if (AppMessage(*p.main, msg.message, msg.wParam, msg.lParam, to_main)) return;
    if (p.settings_view.PageKey(msg)) return;
    // Tab, Enter and Esc work in the dialogs as in any dialog box.
    for (const HWND dialog : {p.entry_view.Window(), p.settings_view.Window(), p.about.Window()}) {
        if (dialog != nullptr && IsWindowVisible(dialog) && IsDialogMessageW(dialog, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void RunMessageLoop(Program& p) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        try {
            TakeMessage(p, msg);
        } catch (...) {
            Failed(std::current_exception());
        }
    }
}

// The four windows and the message loop, until the loop or a failed start
// ends the program.
void Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    // Screen readers call the dialogs' controls through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    static Program p;
    p.instance = instance;
    p.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    program = &p;
    try {
        CreateMainWindow(p);
        if (p.main->Create(Arguments()) == MainWindow::Start::Uninstalled) return;
        // Started elevated, Kronvik still hears the shell and the installer.
        AllowFromLowerIntegrity(p.form1, {WM_TRAYNOTIFY, p.taskbar_created, p.main->QuitRequestMsg()});
        SetTimer(p.form1, kSetupTimer, kSetupPeriodMs, nullptr);
        LoadDigitImages(p);
        CreateDialogs(p);
        RunMessageLoop(p);
        // The loop ended without the exit command (WM_QUIT from outside): still
        // give the caption back and remove the icon.
        p.main->ExitSequence();
    } catch (...) {
        // A failed start leaves no icon behind.
        if (p.main) p.main->ExitSequence();
        p.boxes.Show(FailureText(std::current_exception()), kApplicationTitle, BoxStyle::Error);
    }
}

}  // namespace
}  // namespace kronvik

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace kronvik;
    {
        const KernelHandle mutex(CreateMutexW(nullptr, FALSE, L"Kronvik-Velk"));
        // Another instance runs in this session: it is neither told nor activated.
        if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
        Run(instance);
    }
    // Not a return: the workers are neither stopped nor waited for.
    EndProgram();
}

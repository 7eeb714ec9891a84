// Entry point: single instance, the four windows, the message loop with the
// application message hook.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "about/about_box_win32.h"
#include "app/command_ids.h"
#include "app/main_window.h"
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
#include "schedule/entry_dialog_win32.h"
#include "settings/settings_dialog_win32.h"
#include "timesync/system_proxy.h"

namespace kronvik {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimer2 = 2;
constexpr UINT_PTR kTimer3 = 3;

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
    AboutBox about;
    EntryDialogWindow entry_dialog;
    SettingsDialog settings_dialog;
    std::unique_ptr<Win32Views> views;
};

Program* program = nullptr;

void ShowError(const char* message) {
    MessageBoxW(nullptr, Wide(message).c_str(), Wide(kApplicationTitle).c_str(),
                MB_OK | MB_ICONERROR);
}

// A failure that escapes a handler is shown, and the program goes on.
template <typename Handler>
void Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

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

// The application message hook: a menu command or the quit request is taken
// before dispatch. True when the message must not be dispatched.
bool AppMessage(MainWindow& main, UINT message, WPARAM wparam, LPARAM lparam, bool to_main_window) {
    bool handled = false;
    Guarded([&] {
        if (message == WM_COMMAND) handled = main.MenuCommand(LOWORD(wparam), to_main_window);
        if (message == main.QuitRequestMsg() && message != 0) handled = main.QuitRequested(lparam);
    });
    EndIfExiting();
    return handled;
}

LRESULT CALLBACK Form1Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MainWindow* main = program ? program->main.get() : nullptr;
    if (main == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_TIMER:
        if (wparam == kTimer1) Guarded([&] { main->Timer1Timer(); });
        if (wparam == kTimer2) Guarded([&] { main->Timer2Timer(); });
        if (wparam == kTimer3) Guarded([&] { main->Timer3Timer(); });
        return 0;
    case Win32UiDispatch::kMessage:
        Guarded([&] { program->ui->RunPending(); });
        return 0;
    case WM_TIMECHANGE:
        Guarded([&] { main->ClockChanged(); });
        return 0;
    case WM_POWERBROADCAST:
        if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND)
            Guarded([&] { main->Resumed(); });
        return TRUE;
    case WM_CLOSE:
        OrderlyEnd();
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wparam) OrderlyEnd();
        return 0;
    default:
        break;
    }
    if (message == WM_TRAYNOTIFY) {
        Guarded([&] { main->TrayNotify(Win32TrayIcon::MouseOf(lparam)); });
        return 0;
    }
    if (message == program->taskbar_created && message != 0) {
        main->TaskbarCreated();
        return 0;
    }
    // A modal loop (a message box, a menu) dispatches posted messages without
    // the hook; commands and the quit request still take effect.
    if (AppMessage(*main, message, wparam, lparam, true)) return 0;
    return DefWindowProcW(window, message, wparam, lparam);
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
    RegisterFormClass(p.instance, L"TForm1", Form1Proc);
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
        p.registry, p.clock, p.desktop, p.boxes, *p.timer1, *p.timer2, *p.timer3, *p.tray,
        *p.quit, p.system_proxy, *p.ui, p.network, p.http, p.workers});
}

void CreateDialogs(Program& p) {
    RegisterPanelClass(p.instance);
    p.about.Create(p.instance);
    p.entry_dialog.Create(p.instance, p.form1, p.digit_image, p.main->EntryDialog());
    p.settings_dialog.Create(p.instance, p.form1, p.digit_image, p.main->SettingsForm());
    p.views = std::make_unique<Win32Views>(p.form1, p.about, p.settings_dialog);
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

int RunMessageLoop(Program& p) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        const bool to_main = msg.hwnd == nullptr || msg.hwnd == p.form1;
        if (AppMessage(*p.main, msg.message, msg.wParam, msg.lParam, to_main)) continue;
        if (p.settings_dialog.PageKey(msg)) continue;
        // Tab, Enter and Esc work in the dialogs as in any dialog box.
        bool dialog_key = false;
        for (const HWND dialog : {p.entry_dialog.Window(), p.settings_dialog.Window()}) {
            if (dialog != nullptr && IsWindowVisible(dialog) && IsDialogMessageW(dialog, &msg)) {
                dialog_key = true;
                break;
            }
        }
        if (dialog_key) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The four windows and the message loop, until the loop or a failed start
// ends the program.
void Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    static Program p;
    p.instance = instance;
    p.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    program = &p;
    try {
        CreateMainWindow(p);
        if (p.main->Create(Arguments()) == MainWindow::Start::Uninstalled) return;
        // Started elevated, Kronvik still hears the shell and the installer.
        AllowFromLowerIntegrity(p.form1, {WM_TRAYNOTIFY, p.taskbar_created, p.main->QuitRequestMsg()});
        LoadDigitImages(p);
        CreateDialogs(p);
        RunMessageLoop(p);
        // The loop ended without the exit command (WM_QUIT from outside): still
        // give the caption back and remove the icon.
        p.main->ExitSequence();
    } catch (const std::exception& error) {
        // A failed start leaves no icon behind.
        if (p.main) p.main->ExitSequence();
        ShowError(error.what());
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

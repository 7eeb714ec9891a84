// kvctl: drives a running Kronvik from outside for the demo screenshots.
//   kvctl tray <mouse-message>   WM_TRAYNOTIFY with that lParam (e.g. 0x204)
//   kvctl command <id>           a posted WM_COMMAND
//   kvctl keys <vk> [<vk>...]    key presses sent to the open popup menu
//   kvctl dismiss                Cancel on the open message box
//   kvctl confirm                OK on the open message box
//   kvctl quit                   the quit request
//   kvctl key <class> <id> <vk>  a key press sent to a control of a window
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

HWND MainWindow() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (HWND window = FindWindowW(L"TForm1", nullptr)) return window;
        Sleep(100);
    }
    return nullptr;
}

// The open menu window highest in z-order; closed menus leave hidden ones behind.
HWND OpenMenu() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t name[16];
            if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && !wcscmp(name, L"#32768")) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

unsigned long Number(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const HWND main = MainWindow();
    if (main == nullptr) return 1;
    if (!wcscmp(argv[1], L"tray") && argc == 3) {
        PostMessageW(main, 2249, 0, static_cast<LPARAM>(Number(argv[2])));
    } else if (!wcscmp(argv[1], L"command") && argc == 3) {
        PostMessageW(main, WM_COMMAND, Number(argv[2]), 0);
    } else if (!wcscmp(argv[1], L"keys")) {
        for (int i = 2; i < argc; ++i) {
            HWND menu = OpenMenu();
            if (menu == nullptr) return 1;
            PostMessageW(menu, WM_KEYDOWN, Number(argv[i]), 0);
            Sleep(200);
        }
    } else if (!wcscmp(argv[1], L"dismiss")) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (box == nullptr) return 1;
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    } else if (!wcscmp(argv[1], L"confirm")) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (box == nullptr) return 1;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else if (!wcscmp(argv[1], L"key") && argc == 5) {
        struct Search {
            int id;
            HWND found;
        } search{static_cast<int>(Number(argv[3])), nullptr};
        EnumChildWindows(
            FindWindowW(argv[2], nullptr),
            [](HWND child, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (GetDlgCtrlID(child) != s->id) return TRUE;
                s->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) return 1;
        PostMessageW(search.found, WM_KEYDOWN, Number(argv[4]), 0);
    } else if (!wcscmp(argv[1], L"quit")) {
        PostMessageW(main, RegisterWindowMessageW(L"Kronvik"), 0, 0);
    } else {
        return 2;
    }
    return 0;
}

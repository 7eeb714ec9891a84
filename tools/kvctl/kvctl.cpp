// kvctl: drives a running Kronvik from outside for the demo screenshots.
//   kvctl tray <mouse-message>   WM_TRAYNOTIFY with that lParam (e.g. 0x204)
//   kvctl command <id>           a posted WM_COMMAND
//   kvctl keys <vk> [<vk>...]    key presses sent to the open popup menu
//   kvctl dismiss                Cancel on the open message box
//   kvctl confirm                OK on the open message box
//   kvctl quit                   the quit request
//   kvctl key <class> <id> <vk>  a key press sent to a control of a window
// and waits, each for at most ten seconds (exit code 1 when it did not come):
//   kvctl wait ready                  the main window is there and answers
//   kvctl wait gone                   the main window is gone
//   kvctl wait visible <class> [<n>]  n (default 1) windows of the class are visible and painted
//   kvctl wait hidden <class>         none is visible
//   kvctl wait clock <class>          a visible window of the class carries the clock, painted
//   kvctl wait page <class> <id> <i>  the tab control <id> of the window shows page i
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

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

// The visible top-level windows of a class, topmost first.
struct Visible {
    const wchar_t* cls;
    std::vector<HWND> found;
};
std::vector<HWND> VisibleWindows(const wchar_t* cls) {
    Visible visible{cls, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* v = reinterpret_cast<Visible*>(param);
            wchar_t name[64];
            if (IsWindowVisible(window) && GetClassNameW(window, name, 64) && !wcscmp(name, v->cls))
                v->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visible));
    return visible.found;
}

// Asks the window's thread to paint now, and waits until it has.
bool Painted(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr) != 0;
}

template <typename Condition>
bool Await(Condition condition) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (condition()) return true;
        Sleep(50);
    }
    return false;
}

HWND Control(HWND window, int id) {
    if (window == nullptr) return nullptr;
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Wait(int argc, wchar_t** argv) {
    const std::wstring what = argc > 2 ? argv[2] : L"";
    if (what == L"ready") {
        return Await([] {
            const HWND main = FindWindowW(L"TForm1", nullptr);
            return main != nullptr && SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 500, nullptr) != 0;
        });
    }
    if (what == L"gone") return Await([] { return FindWindowW(L"TForm1", nullptr) == nullptr; });
    if (argc < 4) return false;
    const wchar_t* cls = argv[3];
    if (what == L"visible") {
        const size_t count = argc > 4 ? Number(argv[4]) : 1;
        return Await([&] { return VisibleWindows(cls).size() >= count; }) && Painted(VisibleWindows(cls).front());
    }
    if (what == L"hidden") return Await([&] { return VisibleWindows(cls).empty(); });
    if (what == L"clock") {
        HWND shown = nullptr;
        return Await([&] {
            for (HWND window : VisibleWindows(cls)) {
                wchar_t caption[512];
                if (InternalGetWindowText(window, caption, 512) && wcsstr(caption, L"   ")) shown = window;
            }
            return shown != nullptr;
        }) && Painted(shown);
    }
    if (what == L"page" && argc == 6) {
        const HWND window = FindWindowW(cls, nullptr);
        const HWND tabs = window ? Control(window, static_cast<int>(Number(argv[4]))) : nullptr;
        const auto page = static_cast<LRESULT>(Number(argv[5]));
        return tabs != nullptr && Await([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == page; }) &&
               Painted(window);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    if (!wcscmp(argv[1], L"wait")) return Wait(argc, argv) ? 0 : 1;
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
            // Answered once the menu's loop has taken the key.
            SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
        }
    } else if (!wcscmp(argv[1], L"dismiss") || !wcscmp(argv[1], L"confirm")) {
        // The box in front: dialogs closed earlier may linger hidden.
        const std::vector<HWND> boxes = VisibleWindows(L"#32770");
        if (boxes.empty()) return 1;
        PostMessageW(boxes.front(), WM_COMMAND, !wcscmp(argv[1], L"confirm") ? IDOK : IDCANCEL, 0);
    } else if (!wcscmp(argv[1], L"key") && argc == 5) {
        const HWND control = Control(FindWindowW(argv[2], nullptr), static_cast<int>(Number(argv[3])));
        if (control == nullptr) return 1;
        PostMessageW(control, WM_KEYDOWN, Number(argv[4]), 0);
    } else if (!wcscmp(argv[1], L"quit")) {
        PostMessageW(main, RegisterWindowMessageW(L"Kronvik"), 0, 0);
    } else {
        return 2;
    }
    return 0;
}


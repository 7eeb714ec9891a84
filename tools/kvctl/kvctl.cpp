// kvctl: drives a running Kronvik from outside for the demo screenshots.
//   kvctl tray <mouse-message>   WM_TRAYNOTIFY with that lParam (e.g. 0x204)
//   kvctl command <id>           a posted WM_COMMAND
//   kvctl keys <vk> [<vk>...]    key presses sent to the open popup menu
//   kvctl dismiss                Cancel on the open message box
//   kvctl confirm                OK on the open message box
//   kvctl quit                   the quit request
//   kvctl tab <class> <id> <i>   tab i of the tab control <id> of the window, as a click would choose it
//   kvctl click <class> <id>     a click on the button <id> of the visible window of the class
// and waits, each for at most ten seconds (exit code 1 when it did not come):
//   kvctl wait ready                  the main window is there and answers
//   kvctl wait gone                   the main window is gone
//   kvctl wait visible <class> [<n>]  n (default 1) windows of the class are visible and painted
//   kvctl wait hidden <class>         none is visible
//   kvctl wait clock <class>          a visible window of the class carries the clock, painted
//   kvctl wait page <class> <id> <i> <page>  the tab control <id> of the window has tab i chosen
//                                            and its page, the child window <page>, shows
//   kvctl wait text <class> <id> <text>      the control <id> of a visible window of the class reads <text>
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

// The control of a visible window of the class; closed dialogs may linger hidden.
HWND VisibleControl(const wchar_t* cls, int id) {
    for (HWND window : VisibleWindows(cls)) {
        const HWND control = Control(window, id);
        if (control != nullptr && IsWindowVisible(control)) return control;
    }
    return nullptr;
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
    if (what == L"page" && argc == 7) {
        const HWND window = FindWindowW(cls, nullptr);
        const HWND tabs = Control(window, static_cast<int>(Number(argv[4])));
        const HWND page = Control(window, static_cast<int>(Number(argv[6])));
        const auto index = static_cast<LRESULT>(Number(argv[5]));
        // The tab is chosen before the dialog has swapped the pages over.
        return tabs != nullptr && page != nullptr &&
               Await([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index && IsWindowVisible(page); }) &&
               Painted(window);
    }
    if (what == L"text" && argc == 6) {
        const int id = static_cast<int>(Number(argv[4]));
        HWND shown = nullptr;
        return Await([&] {
            wchar_t text[256];
            shown = VisibleControl(cls, id);
            return shown != nullptr && GetWindowTextW(shown, text, 256) && !wcscmp(text, argv[5]);
        }) && Painted(GetAncestor(shown, GA_ROOT));
    }
    return false;
}

// Drives a window other than Kronvik's main window (a dialog of it, or
// another program's): 0 done, 1 not there, 2 not such a command.
int DriveWindow(int argc, wchar_t** argv) {
    if (!wcscmp(argv[1], L"tab") && argc == 5) {
        const HWND tabs = Control(FindWindowW(argv[2], nullptr), static_cast<int>(Number(argv[3])));
        // Unlike TCM_SETCURSEL, this tells the dialog, which then shows the page.
        const bool chosen =
            tabs != nullptr && SendMessageTimeoutW(tabs, TCM_SETCURFOCUS, Number(argv[4]), 0, SMTO_NORMAL, 5000, nullptr);
        return chosen ? 0 : 1;
    }
    if (!wcscmp(argv[1], L"click") && argc == 4) {
        // Sent: the button has told its window by the time this returns.
        const HWND button = VisibleControl(argv[2], static_cast<int>(Number(argv[3])));
        const bool clicked =
            button != nullptr && SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
        return clicked ? 0 : 1;
    }
    if (!wcscmp(argv[1], L"dismiss") || !wcscmp(argv[1], L"confirm")) {
        // The box in front: dialogs closed earlier may linger hidden.
        const std::vector<HWND> boxes = VisibleWindows(L"#32770");
        if (boxes.empty()) return 1;
        PostMessageW(boxes.front(), WM_COMMAND, !wcscmp(argv[1], L"confirm") ? IDOK : IDCANCEL, 0);
        return 0;
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    if (!wcscmp(argv[1], L"wait")) return Wait(argc, argv) ? 0 : 1;
    if (const int done = DriveWindow(argc, argv); done != 2) return done;
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
    } else if (!wcscmp(argv[1], L"quit")) {
        PostMessageW(main, RegisterWindowMessageW(L"Kronvik"), 0, 0);
    } else {
        return 2;
    }
    return 0;
}

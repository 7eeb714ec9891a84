// A steady foreground window that counts the caption writes it receives.
//
//   caption_probe.exe SECONDS OUTFILE
//
// The window comes to the foreground and keeps its own caption fixed. The
// first WM_SETTEXT is the clock program adopting the window; the counting
// window of SECONDS starts there (or after kAdoptWaitMs without any write), and
// "OUTFILE.counting" is created at that moment so a caller can line up its own
// measurements. At the end OUTFILE gets, one "key value" per line:
//   writes N          WM_SETTEXT received within the counting window
//   span_ms MS        length of the counting window
//   adopted 0|1       whether the adopting write came
//   adoption_ms MS    from being shown to the adopting write (-1 without one)
//   foreground_lost N times another window was found in the foreground
//   write_ms MS       one line per counted write, from the window's start
//   caption TEXT      the caption at the end (UTF-8)
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 250;
constexpr ULONGLONG kAdoptWaitMs = 10000;

enum class Phase { kWaiting, kCounting, kDone };

struct Probe {
    ULONGLONG seconds = 0;
    std::wstring out_path;
    Phase phase = Phase::kWaiting;
    ULONGLONG shown_at = 0;
    ULONGLONG counting_from = 0;
    long long adoption_ms = -1;
    unsigned writes = 0;
    unsigned foreground_lost = 0;
    bool was_foreground = true;
    std::vector<ULONGLONG> write_ms;
};

Probe g_probe;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                              nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

void StartCounting(ULONGLONG now) {
    g_probe.phase = Phase::kCounting;
    g_probe.counting_from = now;
    WriteWholeFile(g_probe.out_path + L".counting",
                   "adoption_ms " + std::to_string(g_probe.adoption_ms) + "\n");
}

void Finish(HWND hwnd, ULONGLONG now) {
    g_probe.phase = Phase::kDone;
    std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(hwnd, caption.data(),
                                                      static_cast<int>(caption.size()))));
    std::string out;
    out += "writes " + std::to_string(g_probe.writes) + "\n";
    out += "span_ms " + std::to_string(now - g_probe.counting_from) + "\n";
    out += "adopted " + std::string(g_probe.adoption_ms >= 0 ? "1" : "0") + "\n";
    out += "adoption_ms " + std::to_string(g_probe.adoption_ms) + "\n";
    out += "foreground_lost " + std::to_string(g_probe.foreground_lost) + "\n";
    for (ULONGLONG ms : g_probe.write_ms) out += "write_ms " + std::to_string(ms) + "\n";
    out += "caption " + Utf8(caption) + "\n";
    // Written aside and moved into place, so a reader never sees half a file.
    const std::wstring tmp = g_probe.out_path + L".tmp";
    if (WriteWholeFile(tmp, out)) MoveFileExW(tmp.c_str(), g_probe.out_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    DestroyWindow(hwnd);
}

void CheckTick(HWND hwnd) {
    const ULONGLONG now = GetTickCount64();
    const bool foreground = GetForegroundWindow() == hwnd;
    if (!foreground) {
        if (g_probe.was_foreground) ++g_probe.foreground_lost;
        SetForegroundWindow(hwnd);
    }
    g_probe.was_foreground = foreground;

    if (g_probe.phase == Phase::kWaiting && now - g_probe.shown_at >= kAdoptWaitMs) StartCounting(now);
    if (g_probe.phase == Phase::kCounting && now - g_probe.counting_from >= g_probe.seconds * 1000) {
        Finish(hwnd, now);
    }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SETTEXT: {
        const ULONGLONG now = GetTickCount64();
        if (g_probe.phase == Phase::kWaiting) {
            g_probe.adoption_ms = static_cast<long long>(now - g_probe.shown_at);
            StartCounting(now);
        } else if (g_probe.phase == Phase::kCounting) {
            ++g_probe.writes;
            g_probe.write_ms.push_back(now - g_probe.counting_from);
        }
        break;  // the caption is still stored, as for any window
    }
    case WM_TIMER:
        if (wparam == kCheckTimer && g_probe.phase != Phase::kDone) CheckTick(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) return 2;
    g_probe.seconds = std::wcstoul(argv[1], nullptr, 10);
    g_probe.out_path = argv[2];
    LocalFree(argv);
    if (g_probe.seconds == 0) return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KronvikCaptionProbe";
    if (RegisterClassW(&wc) == 0) return 1;

    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Caption probe", WS_OVERLAPPEDWINDOW,
                                100, 100, 480, 200, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    g_probe.shown_at = GetTickCount64();
    if (SetTimer(hwnd, kCheckTimer, kCheckMs, nullptr) == 0) return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return g_probe.phase == Phase::kDone ? 0 : 1;
}

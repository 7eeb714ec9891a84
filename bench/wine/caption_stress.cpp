// The caption clock among windows that hardly answer.
//
//   caption_stress.exe SECONDS OUTFILE
//
// Twenty windows, each on a thread of its own, come to the foreground in turn;
// once one shows the clock its thread pumps only for a moment every 1-4 s, so
// the clock program owes it its caption and cannot give it back at once. Then,
// for SECONDS, a new window that answers at once comes to the foreground every
// two seconds, while another thread sends WM_NULL to the clock program's main
// window (class TForm1) every 20 ms. The window in front always answers, so
// the longest answer is about the longest a tick waited on the windows behind.
// OUTFILE gets one "key value" per line:
//   null_samples N, null_p50_ms, null_p99_ms, null_max_ms
//   clock_windows N, clock_p50_ms, clock_max_ms, clock_missed N
//       from a new window coming to the front to its clock (missed: not in 3 s)
//   owed N      slow windows still showing a clock at the end
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT kMsgForeground = WM_APP + 1;
constexpr size_t kSlowWindows = 20;

// A window on a thread of its own that pumps at once, or now and then.
class Window {
public:
    explicit Window(const std::wstring& title) : thread_([this, title] { Run(title); }) {
        while (hwnd_.load() == nullptr) Sleep(5);
    }
    ~Window() {
        stop_ = true;
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND hwnd() const { return hwnd_; }
    void Slow() { slow_ = true; }
    std::wstring Caption() const {
        wchar_t text[1024];
        const int n = InternalGetWindowText(hwnd_, text, 1024);
        return std::wstring(text, static_cast<size_t>(std::max(n, 0)));
    }
    bool ShowsClock() const { return Caption().find(L"   ") != std::wstring::npos; }
    bool Foreground() {
        PostMessageW(hwnd_, kMsgForeground, 0, 0);
        for (int i = 0; i < 150 && GetForegroundWindow() != hwnd_; ++i) Sleep(20);
        return GetForegroundWindow() == hwnd_;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kMsgForeground) {
            SetForegroundWindow(hwnd);
            return 0;
        }
        if (msg == WM_CLOSE) {
            DestroyWindow(hwnd);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    void Run(const std::wstring& title) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KronvikStressWindow";
        RegisterClassW(&wc);
        HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                                    400, 120, nullptr, nullptr, wc.hInstance, nullptr);
        hwnd_ = hwnd;
        unsigned seed = static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd));
        MSG msg;
        while (!stop_) {
            if (slow_) Sleep(1000 + (seed = seed * 1103515245u + 12345u) / 65536u % 3000u);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, slow_ ? 0 : 50, QS_ALLINPUT);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        while (IsWindow(hwnd) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    std::atomic<HWND> hwnd_{nullptr};
    std::atomic<bool> slow_{false}, stop_{false};
    std::thread thread_;
};

long long Percentile(std::vector<long long> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

std::string Figures(const char* name, const std::vector<long long>& values) {
    const std::string key(name);
    return key + "_p50_ms " + std::to_string(Percentile(values, 0.5)) + "\n" + key + "_p99_ms " +
           std::to_string(Percentile(values, 0.99)) + "\n" + key + "_max_ms " +
           std::to_string(Percentile(values, 1.0)) + "\n";
}

// From coming to the front to showing the clock, or -1 after three seconds.
long long TimeToClock(Window& window) {
    const ULONGLONG start = GetTickCount64();
    if (!window.Foreground()) return -1;
    while (!window.ShowsClock()) {
        if (GetTickCount64() - start > 3000) return -1;
        Sleep(10);
    }
    return static_cast<long long>(GetTickCount64() - start);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) return 2;
    const ULONGLONG seconds = std::wcstoul(argv[1], nullptr, 10);
    const std::wstring out_path = argv[2];
    const HWND main = FindWindowW(L"TForm1", nullptr);
    if (main == nullptr || seconds == 0) return 2;

    std::vector<std::unique_ptr<Window>> slow;
    for (size_t i = 0; i < kSlowWindows; ++i) {
        slow.push_back(std::make_unique<Window>(L"Stress slow " + std::to_wstring(i)));
        TimeToClock(*slow.back());
        slow.back()->Slow();
    }
    std::atomic<bool> sampling{true};
    std::vector<long long> answers;
    std::thread sampler([&] {
        while (sampling) {
            const ULONGLONG start = GetTickCount64();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            answers.push_back(static_cast<long long>(GetTickCount64() - start));
            Sleep(20);
        }
    });
    std::vector<long long> clocks;
    int missed = 0;
    std::unique_ptr<Window> before;
    for (const ULONGLONG end = GetTickCount64() + seconds * 1000; GetTickCount64() < end;) {
        auto fresh = std::make_unique<Window>(L"Stress fresh " + std::to_wstring(clocks.size() + missed));
        const long long ms = TimeToClock(*fresh);
        if (ms < 0) ++missed; else clocks.push_back(ms);
        before = std::move(fresh);
        Sleep(2000);
    }
    sampling = false;
    sampler.join();
    int owed = 0;
    for (const auto& window : slow) owed += window->ShowsClock();

    std::string out = "null_samples " + std::to_string(answers.size()) + "\n" + Figures("null", answers) +
                      "clock_windows " + std::to_string(clocks.size()) + "\n" + Figures("clock", clocks) +
                      "clock_missed " + std::to_string(missed) + "\nowed " + std::to_string(owed) + "\n";
    HANDLE file = CreateFileW(out_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

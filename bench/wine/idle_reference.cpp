// The smallest resident program with a 500 ms tick: one hidden window and one
// timer whose handler does nothing. Its CPU time under Wine is the floor that
// kronvik.exe's own idle cost is compared with.
//
//   idle_reference.exe [SECONDS]   ends by itself after SECONDS (default: never)
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;
constexpr UINT kTickMs = 500;

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_TIMER:
        if (wparam == kLifetimeTimer) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KronvikIdleReference";
    if (RegisterClassW(&wc) == 0) return 1;

    // A top-level window that is never shown, like a tray program's main window.
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"idle reference", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance,
                                nullptr);
    if (hwnd == nullptr) return 1;
    if (SetTimer(hwnd, kTickTimer, kTickMs, nullptr) == 0) return 1;

    const long seconds = args != nullptr ? std::wcstol(args, nullptr, 10) : 0;
    if (seconds > 0) SetTimer(hwnd, kLifetimeTimer, static_cast<UINT>(seconds) * 1000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

#include "app/forms_win32.h"

namespace kronvik {

void RegisterFormClass(HINSTANCE instance, const wchar_t* class_name, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);
}

HWND CreateForm(HINSTANCE instance, const wchar_t* class_name, const wchar_t* caption,
                DWORD style, DWORD ex_style, int client_width, int client_height) {
    RECT rect{0, 0, client_width, client_height};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    return CreateWindowExW(ex_style, class_name, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           instance, nullptr);
}

LRESULT CALLBACK HideOnCloseProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace kronvik

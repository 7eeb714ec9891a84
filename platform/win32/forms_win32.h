#pragma once
// The program's four top-level windows, created hidden once at start-up.
#include <windows.h>

#include "platform/win32/barrier_win32.h"

namespace kronvik {

// Registers a window class (arrow cursor, button-face background, MAINICON)
// whose procedure runs behind the barrier.
template <WNDPROC Procedure>
void RegisterFormClass(HINSTANCE instance, const wchar_t* class_name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Barrier<Procedure>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);
}

// A hidden top-level window whose client area has the given size. A window
// with an owner gets no taskbar button of its own.
HWND CreateForm(HINSTANCE instance, const wchar_t* class_name, const wchar_t* caption,
                DWORD style, DWORD ex_style, int client_width, int client_height,
                HWND owner = nullptr);

// Shows a dialog non-modally and brings it to the front; the first showing
// centres it, later ones leave it where the user put it.
void ShowDialog(HWND window, bool& shown_before);

// The tooltip window of a form, and a hint shown over one of its controls.
HWND CreateHints(HWND form);
void AddHint(HWND hints, HWND form, HWND control, const wchar_t* text);

// A dialog closed by its close box is hidden, never destroyed.
LRESULT CALLBACK HideOnCloseProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace kronvik

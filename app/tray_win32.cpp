#include "app/tray_win32.h"

namespace kronvik {

Win32TrayIcon::Win32TrayIcon(HWND owner, Icon icon) : icon_(std::move(icon)) {
    data_.cbSize = sizeof(data_);
    data_.hWnd = owner;
    data_.uID = 0;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = WM_TRAYNOTIFY;
    data_.hIcon = icon_.get();
    lstrcpynW(data_.szTip, L"Kron-Vik", ARRAYSIZE(data_.szTip));
}

void Win32TrayIcon::Add() { Shell_NotifyIconW(NIM_ADD, &data_); }

void Win32TrayIcon::Remove() { Shell_NotifyIconW(NIM_DELETE, &data_); }

TrayMouse Win32TrayIcon::MouseOf(LPARAM lparam) {
    switch (lparam) {
    case WM_LBUTTONDBLCLK: return TrayMouse::LeftDoubleClick;
    case WM_RBUTTONDOWN: return TrayMouse::RightButtonDown;
    default: return TrayMouse::Other;
    }
}

}  // namespace kronvik

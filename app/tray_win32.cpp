#include "app/tray_win32.h"

#include "platform/win32/win32_text.h"

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

namespace {

// Copies text into a fixed field, ending it in "…" when it does not fit, and
// never between the two halves of a surrogate pair.
template <size_t N>
void CopyCut(WCHAR (&field)[N], const std::wstring& text) {
    size_t length = text.size();
    if (length >= N) {
        length = N - 2;
        if (IS_HIGH_SURROGATE(text[length - 1])) --length;
    }
    text.copy(field, length);
    if (length < text.size()) field[length++] = L'\u2026';
    field[length] = L'\0';
}

}  // namespace

bool Win32TrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    NOTIFYICONDATAW balloon{};
    balloon.cbSize = sizeof(balloon);
    balloon.hWnd = data_.hWnd;
    balloon.uID = data_.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_INFO;
    CopyCut(balloon.szInfoTitle, Wide(title));
    CopyCut(balloon.szInfo, Wide(text));
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

TrayMouse Win32TrayIcon::MouseOf(LPARAM lparam) {
    switch (lparam) {
    case WM_LBUTTONDBLCLK: return TrayMouse::LeftDoubleClick;
    case WM_RBUTTONDOWN: return TrayMouse::RightButtonDown;
    default: return TrayMouse::Other;
    }
}

}  // namespace kronvik

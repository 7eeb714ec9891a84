#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/ports.h"
#include "platform/win32/handle_win32.h"

namespace kronvik {

// The message the icon sends its owner, with the mouse message in lParam.
inline constexpr UINT WM_TRAYNOTIFY = 2249;

// The notification-area icon: tip "Kron-Vik", callback WM_TRAYNOTIFY, icon
// MAINICON. A balloon changes only the balloon fields of the icon.
class Win32TrayIcon : public TrayIcon {
public:
    Win32TrayIcon(HWND owner, Icon icon);
    void Add() override;
    void Remove() override;
    bool ShowBalloon(const std::string& title, const std::string& text) override;
    static TrayMouse MouseOf(LPARAM lparam);

private:
    Icon icon_;
    NOTIFYICONDATAW data_{};
};

}  // namespace kronvik

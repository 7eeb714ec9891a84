#pragma once
#include <windows.h>
#include <shellapi.h>

#include "app/ports.h"

namespace kronvik {

// The notification-area icon: tip "Kron-Vik", callback WM_TRAYNOTIFY, icon MAINICON.
class Win32TrayIcon : public TrayIcon {
public:
    Win32TrayIcon(HWND owner, HICON icon);
    void Add() override;
    void Remove() override;

private:
    NOTIFYICONDATAW data_{};
};

}  // namespace kronvik

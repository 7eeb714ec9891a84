#include "platform/win32/desktop_win32.h"

#include <windows.h>

namespace kronvik {

namespace {

// A window that does not answer WM_SETTEXT within this time is given up on for
// this tick, so a hung program never freezes the clock or the exit.
constexpr UINT kWriteTimeoutMs = 250;
constexpr size_t kLongestCaption = 1 << 16;

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

WindowHandle Win32Desktop::Foreground() {
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

std::u16string Win32Desktop::ReadCaption(WindowHandle window) {
    const HWND hwnd = ToHwnd(window);
    if (hwnd == nullptr) return {};
    // InternalGetWindowText reads the stored caption without sending a message,
    // so a hung window cannot block the tick; a window that is gone reads as
    // empty. It is read every tick, so no other call is added to it.
    for (;;) {
        const int length = InternalGetWindowText(hwnd, buffer_.data(), static_cast<int>(buffer_.size()));
        if (length < 0) return {};
        if (static_cast<size_t>(length) + 1 < buffer_.size() || buffer_.size() >= kLongestCaption) {
            return std::u16string(reinterpret_cast<const char16_t*>(buffer_.data()),
                                  static_cast<size_t>(length));
        }
        buffer_.resize(buffer_.size() * 4);
    }
}

bool Win32Desktop::WriteCaption(WindowHandle window, const std::u16string& caption) {
    const HWND hwnd = ToHwnd(window);
    if (hwnd == nullptr || !IsWindow(hwnd)) return false;
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(
        hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()),
        SMTO_ABORTIFHUNG | SMTO_NORMAL, kWriteTimeoutMs, &result);
    return sent != 0 && result != 0;
}

void Win32Desktop::Flash(WindowHandle window, bool invert) {
    FlashWindow(ToHwnd(window), invert ? TRUE : FALSE);
}

// The simple beep of the speaker, not a sound scheme's event.
void Win32Desktop::Beep() { MessageBeep(0xFFFFFFFF); }

}  // namespace kronvik

#include "platform/win32/desktop_win32.h"

#include <windows.h>

namespace kronvik {

namespace {

constexpr size_t kLongestCaption = 1 << 16;

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// SMTO_BLOCK: nothing sent to this program runs while it waits, so the
// display tick is never entered again from inside a write, and an end of the
// session that arrives meanwhile runs after the write has been settled.
bool Ping(HWND window, UINT flags, uint32_t wait_ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | flags, wait_ms, &result) != 0;
}

}  // namespace

// Asked every tick: not every system reports each change of the foreground.
WindowHandle Win32Desktop::Foreground() { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

uint32_t Win32Desktop::Thread(WindowHandle window) {
    return window != 0 ? GetWindowThreadProcessId(ToHwnd(window), nullptr) : 0;
}

const std::u16string& Win32Desktop::ReadCaption(WindowHandle window) {
    ReadInto(ToHwnd(window), read_);
    return read_;
}

void Win32Desktop::ReadInto(HWND window, std::u16string& text) {
    text.clear();
    if (window == nullptr) return;
    for (;;) {
        // A window that is gone reads as empty.
        const int length = InternalGetWindowText(window, buffer_.data(), static_cast<int>(buffer_.size()));
        if (length <= 0) return;
        if (static_cast<size_t>(length) + 1 < buffer_.size() || buffer_.size() >= kLongestCaption) {
            text.assign(reinterpret_cast<const char16_t*>(buffer_.data()), static_cast<size_t>(length));
            return;
        }
        buffer_.resize(buffer_.size() * 4);
    }
}

CaptionWrite Win32Desktop::WriteCaption(WindowHandle window, const std::u16string& shown,
                                        const std::u16string& text, uint32_t wait_ms) {
    const HWND hwnd = ToHwnd(window);
    if (hwnd == nullptr || !IsWindow(hwnd)) return CaptionWrite::Retitled;
    // Read again right before the send: a title the window set since the
    // caller's read is not written over.
    ReadInto(hwnd, check_);
    if (check_ != shown) return CaptionWrite::Retitled;
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    // The window's answer tells nothing of what it did with the text.
    if (SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_BLOCK | SMTO_ABORTIFHUNG, wait_ms, &result) != 0)
        return CaptionWrite::Answered;
    // A window of a program with higher rights is not let through at all.
    if (GetLastError() == ERROR_ACCESS_DENIED) return CaptionWrite::Answered;
    return IsWindow(hwnd) ? CaptionWrite::Unknown : CaptionWrite::Retitled;
}

bool Win32Desktop::Answers(WindowHandle window, uint32_t wait_ms) {
    return Ping(ToHwnd(window), SMTO_ABORTIFHUNG, wait_ms);
}

bool Win32Desktop::AwaitAnswer(WindowHandle window, uint32_t wait_ms) {
    return Ping(ToHwnd(window), 0, wait_ms);
}

uint64_t Win32Desktop::Milliseconds() { return GetTickCount64(); }

void Win32Desktop::Flash(WindowHandle window, bool invert) {
    FlashWindow(ToHwnd(window), invert ? TRUE : FALSE);
}

// The simple beep of the speaker, not a sound scheme's event.
void Win32Desktop::Beep() { MessageBeep(0xFFFFFFFF); }

}  // namespace kronvik

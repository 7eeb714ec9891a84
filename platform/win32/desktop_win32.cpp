#include "platform/win32/desktop_win32.h"

#include <windows.h>

namespace kronvik {

namespace {

// A window that does not answer WM_SETTEXT within this time is given up on for
// this tick, so a hung program never freezes the clock or the exit.
constexpr UINT kWriteTimeoutMs = 250;
constexpr size_t kLongestCaption = 1 << 16;

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// The desktop whose cache the system's reports invalidate; the reports come
// to the thread that set the hooks, the one that runs the display tick.
Win32Desktop* watching = nullptr;

}  // namespace

Win32Desktop::~Win32Desktop() {
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    if (watching == this) watching = nullptr;
}

// Only the process of the window read is watched, so a program elsewhere
// that keeps renaming its controls costs nothing here.
bool Win32Desktop::Watch(HWND window) {
    if (watching != nullptr && watching != this) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (hook_ != nullptr && process == watched_process_) return true;
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    hook_ = process == 0 ? nullptr
                         : SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, Changed,
                                           process, 0, WINEVENT_OUTOFCONTEXT);
    watched_process_ = process;
    watching = hook_ != nullptr ? this : nullptr;
    return hook_ != nullptr;
}

void CALLBACK Win32Desktop::Changed(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    Win32Desktop* self = watching;
    if (self != nullptr && object == OBJID_WINDOW && window == self->read_window_) self->caption_known_ = false;
}

// Asked every tick: not every system reports each change of the foreground.
WindowHandle Win32Desktop::Foreground() { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

const std::u16string& Win32Desktop::ReadCaption(WindowHandle window) {
    static const std::u16string none;
    const HWND hwnd = ToHwnd(window);
    if (hwnd == nullptr) return none;
    if (!caption_known_ || hwnd != read_window_) {
        // Watched before the read, so a change right after it is reported.
        const bool watched = hwnd == read_window_ ? watching == this : Watch(hwnd);
        read_window_ = hwnd;
        read_caption_ = ReadNow(hwnd);
        caption_known_ = watched;
    }
    return read_caption_;
}

std::u16string Win32Desktop::ReadNow(HWND hwnd) {
    // InternalGetWindowText reads the stored caption without sending a message,
    // so a hung window cannot block the tick; a window that is gone reads as
    // empty.
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

CaptionWrite Win32Desktop::WriteCaption(WindowHandle window, const std::u16string& caption) {
    const HWND hwnd = ToHwnd(window);
    if (hwnd == nullptr || !IsWindow(hwnd)) return CaptionWrite::Refused;
    if (caption_known_ && hwnd == read_window_) {
        const std::u16string now = ReadNow(hwnd);
        if (now != read_caption_) {
            // Changed unreported: the next tick decides again on what it shows.
            read_caption_ = now;
            return CaptionWrite::Refused;
        }
    }
    caption_known_ = false;
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(
        hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()),
        SMTO_ABORTIFHUNG | SMTO_NORMAL, kWriteTimeoutMs, &result);
    // No answer in time, or none at all from a window the system takes for
    // hung: the window has not taken the text, whether or not it keeps it.
    if (sent == 0) return IsWindow(hwnd) ? CaptionWrite::Pending : CaptionWrite::Refused;
    return result != 0 ? CaptionWrite::Written : CaptionWrite::Refused;
}

void Win32Desktop::Flash(WindowHandle window, bool invert) {
    FlashWindow(ToHwnd(window), invert ? TRUE : FALSE);
}

// The simple beep of the speaker, not a sound scheme's event.
void Win32Desktop::Beep() { MessageBeep(0xFFFFFFFF); }

}  // namespace kronvik

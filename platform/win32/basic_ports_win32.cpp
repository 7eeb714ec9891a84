#include "platform/win32/basic_ports_win32.h"

#include "platform/win32/win32_text.h"

namespace kronvik {

LocalTime Win32Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay,
                     st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

void Win32Timer::SetInterval(uint32_t milliseconds) {
    // The display tick stops the alert flasher in every tick that writes; a
    // stopped timer needs no system call to stay stopped.
    if (milliseconds == 0 && interval_ == 0) return;
    interval_ = milliseconds;
    if (milliseconds == 0) {
        KillTimer(window_, id_);
    } else {
        SetTimer(window_, id_, milliseconds, nullptr);
    }
}

int Win32MessageBoxes::Show(const std::string& text, const std::string& caption, uint32_t style) {
    return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), style);
}

}  // namespace kronvik

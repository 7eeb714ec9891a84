#include "platform/win32/basic_ports_win32.h"

#include "platform/win32/win32_text.h"

namespace kronvik {

LocalTime Win32Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay,
                     st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

ClockSet Win32Clock::SetLocal(const LocalTime& time) {
    const auto word = [](int32_t value) { return static_cast<WORD>(value); };
    const SYSTEMTIME st{word(time.year),   word(time.month),  0, word(time.day), word(time.hour),
                        word(time.minute), word(time.second), word(time.milliseconds)};
    // The first call converts with the daylight-saving state of the old
    // time; the second, as the platform documents, with that of the new one.
    for (int pass = 0; pass < 2; ++pass) {
        if (!SetLocalTime(&st))
            return GetLastError() == ERROR_PRIVILEGE_NOT_HELD ? ClockSet::NoRight : ClockSet::Refused;
    }
    return ClockSet::Done;
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

bool Win32MessageBoxes::Show(const std::string& text, const std::string& caption, BoxStyle style) {
    UINT type = MB_OK | MB_ICONERROR;
    if (style == BoxStyle::Confirm) type = MB_OKCANCEL | MB_ICONINFORMATION;
    if (style == BoxStyle::ConfirmRisky) type = MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2;
    return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), type) == IDOK;
}

uint32_t Win32QuitRequest::Register() {
    message_ = RegisterWindowMessageW(L"Kronvik");
    return message_;
}

void Win32QuitRequest::Post() {
    if (message_ != 0) PostMessageW(window_, message_, 0, 0);
}

void Win32UiDispatch::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    PostMessageW(window_, kMessage, 0, 0);
}

void Win32UiDispatch::RunPending() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        if (task) task();
    }
}

}  // namespace kronvik

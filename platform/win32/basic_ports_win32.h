#pragma once
// Small Win32 adapters: local time, UI-thread timers and message boxes.
#include <windows.h>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/timer.h"

namespace kronvik {

class Win32Clock : public Clock {
public:
    LocalTime Now() override;
};

// A SetTimer timer on a window; WM_TIMER with this id reaches the window.
class Win32Timer : public Timer {
public:
    Win32Timer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
    void SetInterval(uint32_t milliseconds) override;
    uint32_t Interval() const override { return interval_; }

private:
    HWND window_;
    UINT_PTR id_;
    uint32_t interval_ = 0;
};

class Win32MessageBoxes : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, uint32_t style) override;
};

}  // namespace kronvik

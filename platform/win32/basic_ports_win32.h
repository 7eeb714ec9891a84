#pragma once
// Small Win32 adapters: local time, UI-thread timers, message boxes, the
// quit request and the hand-over of tasks to the UI thread.
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/system_ports.h"
#include "platform/timer.h"
#include "platform/ui_dispatch.h"

namespace kronvik {

class Win32Clock : public Clock {
public:
    LocalTime Now() override;
    ClockSet SetLocal(const LocalTime& time) override;
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
    bool Show(const std::string& text, const std::string& caption, BoxStyle style) override;
};

class Win32QuitRequest : public QuitRequest {
public:
    explicit Win32QuitRequest(HWND window) : window_(window) {}
    uint32_t Register() override;
    void Post() override;

private:
    HWND window_;
    UINT message_ = 0;
};

// Queues each task and posts kMessage to the window, whose procedure calls
// RunPending on the UI thread. The message carries nothing, so one that
// another program posts only runs what is queued.
class Win32UiDispatch : public UiDispatch {
public:
    static constexpr UINT kMessage = WM_APP + 1;

    explicit Win32UiDispatch(HWND window) : window_(window) {}
    void Post(std::function<void()> task) override;
    void RunPending();

private:
    HWND window_;
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace kronvik

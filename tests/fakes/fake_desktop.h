#pragma once
// An in-memory desktop of top-level windows with captions. A window can
// refuse caption changes from outside, or retitle itself right after every
// change from outside, as programs that keep setting their own title do.
#include <map>
#include <string>
#include <utility>

#include "platform/desktop.h"

namespace kronvik::fakes {

class FakeDesktop : public Desktop {
public:
    struct Window {
        std::u16string caption;
        bool refuses_caption = false;
        bool retitles_itself = false;   // puts own_title back after each outside write
        std::u16string own_title;
        std::u16string appends;         // added to every caption given from outside
        int writes = 0;                 // WriteCaption calls aimed at this window
        bool busy = false;              // takes no text until Answer(); it queues
        bool drops_queued = false;      // Answer() forgets what was queued meanwhile
        std::u16string queued_last;     // the last text queued while busy
        int flashes = 0;
    };

    Window& Add(WindowHandle handle, std::u16string caption) {
        Window& w = windows[handle];
        w.caption = caption;
        w.own_title = std::move(caption);
        return w;
    }
    // The window changes its own title, as when it opens another document.
    void Retitle(WindowHandle handle, std::u16string caption) {
        Window& w = windows.at(handle);
        w.caption = caption;
        w.own_title = std::move(caption);
    }
    const std::u16string& Caption(WindowHandle handle) const { return windows.at(handle).caption; }
    int Writes(WindowHandle handle) const { return windows.at(handle).writes; }

    WindowHandle Foreground() override { return foreground; }

    const std::u16string& ReadCaption(WindowHandle handle) override {
        static const std::u16string none;
        ++reads;
        const auto it = windows.find(handle);
        return it == windows.end() ? none : it->second.caption;
    }

    CaptionWrite WriteCaption(WindowHandle handle, const std::u16string& caption) override {
        ++total_writes;
        const auto it = windows.find(handle);
        if (it == windows.end()) return CaptionWrite::Refused;
        Window& w = it->second;
        ++w.writes;
        if (w.busy) {
            w.queued_last = caption;
            return CaptionWrite::Pending;
        }
        if (w.refuses_caption) return CaptionWrite::Refused;
        w.caption = w.retitles_itself ? w.own_title : caption + w.appends;
        return CaptionWrite::Written;
    }
    // A busy window answers again and takes what was queued, in order.
    void Answer(WindowHandle handle) {
        Window& w = windows.at(handle);
        w.busy = false;
        if (!w.queued_last.empty() && !w.drops_queued) w.caption = w.queued_last;
        w.queued_last.clear();
    }

    void Flash(WindowHandle handle, bool) override {
        const auto it = windows.find(handle);
        if (it != windows.end()) ++it->second.flashes;
    }
    void Beep() override { ++beeps; }

    std::map<WindowHandle, Window> windows;
    WindowHandle foreground = 0;
    int reads = 0;
    int total_writes = 0;
    int beeps = 0;
};

}  // namespace kronvik::fakes

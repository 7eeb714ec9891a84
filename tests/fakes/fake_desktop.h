#pragma once
// An in-memory desktop of top-level windows, each on a thread of its own, in
// simulated milliseconds. A thread may stop pumping for a while: a text sent
// to it meanwhile waits until it pumps again, or is cancelled at the sender's
// time-out. A caption it takes but handles slowly lands after the time-out.
// A thread that has not pumped for five seconds counts as hung, and a send
// that gives up on hung windows sends it nothing.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"

namespace kronvik::fakes {

class FakeDesktop : public Desktop {
public:
    static constexpr uint64_t kHungMs = 5000;
    static constexpr uint32_t kWriteWaitMs = 250;
    static constexpr uint32_t kPingWaitMs = 50;

    struct Window {
        std::u16string caption;        // what the system holds
        std::u16string title;          // what it would show if nobody wrote to it
        std::u16string adds;           // added to every text it is given (a frame's document)
        bool refuses = false;          // answers no to a caption from outside
        bool denied = false;           // the system lets no caption through (higher rights)
        bool retitles_back = false;    // sets its title again right after any caption from outside
        uint32_t slow_ms = 0;          // how long it takes to handle a caption
        uint64_t free_at = 0;          // its thread pumps again from then on
        uint64_t stopped_at = 0;       // and stopped pumping then
        int writes = 0;                // captions sent to it
        bool unanswered = false;       // a caption sent timed out and nothing sent since came back
        int flashes = 0;               // caption bar flashed
        int restores = 0;              // caption bar given its own look back
    };

    Window& Add(WindowHandle handle, const std::u16string& title, const std::u16string& adds = {}) {
        Window& w = windows[handle];
        w.adds = adds;
        w.title = w.caption = title + adds;
        return w;
    }
    // The window names itself anew, as when it opens another file.
    void Retitle(WindowHandle handle, const std::u16string& title) {
        Window& w = windows.at(handle);
        w.title = w.caption = title + w.adds;
    }
    // A frame shows another document after whatever text it holds.
    void SwitchDocument(WindowHandle handle, const std::u16string& adds) {
        Window& w = windows.at(handle);
        const auto strip = [&](std::u16string& text) {
            if (text.ends_with(w.adds)) text.resize(text.size() - w.adds.size());
            text += adds;
        };
        strip(w.caption);
        strip(w.title);
        w.adds = adds;
    }
    void RetitleAfterNextRead(WindowHandle handle, std::u16string title) {
        after_read_[handle] = std::move(title);
    }
    // The window's thread stops pumping for ms.
    void Busy(WindowHandle handle, uint64_t ms) {
        Window& w = windows.at(handle);
        if (w.free_at <= now) w.stopped_at = now;
        w.free_at = std::max(w.free_at, now + ms);
    }
    void Destroy(WindowHandle handle) {
        windows.erase(handle);
        if (foreground == handle) foreground = 0;
    }
    bool Pumping(WindowHandle handle) const { return windows.at(handle).free_at <= now; }
    const std::u16string& Caption(WindowHandle handle) const { return windows.at(handle).caption; }
    int Writes(WindowHandle handle) const { return windows.at(handle).writes; }

    // Time passes; captions handled meanwhile land.
    void Advance(uint64_t ms) {
        now += ms;
        std::stable_sort(landings_.begin(), landings_.end(),
                         [](const Landing& a, const Landing& b) { return a.at < b.at; });
        while (!landings_.empty() && landings_.front().at <= now) {
            const Landing landing = landings_.front();
            landings_.erase(landings_.begin());
            Land(landing.window, landing.text);
        }
    }

    WindowHandle Foreground() override { return foreground; }
    bool Exists(WindowHandle handle) override { return windows.count(handle) != 0; }

    const std::u16string& ReadCaption(WindowHandle handle) override {
        static const std::u16string none;
        ++reads;
        const auto it = windows.find(handle);
        if (it == windows.end()) return none;
        const auto retitle = after_read_.find(handle);
        if (retitle == after_read_.end()) return it->second.caption;
        read_ = it->second.caption;
        Retitle(handle, retitle->second);
        after_read_.erase(retitle);
        return read_;
    }

    CaptionWrite WriteCaption(WindowHandle handle, const std::u16string& shown,
                              const std::u16string& text) override {
        ++total_writes;
        const auto it = windows.find(handle);
        if (it == windows.end()) return CaptionWrite::Refused;
        if (it->second.caption != shown) return CaptionWrite::Retitled;
        ++it->second.writes;
        if (on_write) on_write(handle, text);
        if (it->second.denied) return CaptionWrite::Refused;
        if (!Deliver(handle, kWriteWaitMs, true, &text)) return CaptionWrite::Unknown;
        return windows.count(handle) && !windows.at(handle).refuses ? CaptionWrite::Written
                                                                   : CaptionWrite::Refused;
    }
    bool Answers(WindowHandle handle) override { return Deliver(handle, kPingWaitMs, true, nullptr); }
    bool AwaitAnswer(WindowHandle handle, uint32_t wait_ms) override {
        return Deliver(handle, wait_ms, false, nullptr);
    }
    uint64_t Milliseconds() override { return now; }

    void Flash(WindowHandle handle, bool invert) override {
        const auto it = windows.find(handle);
        if (it != windows.end()) ++(invert ? it->second.flashes : it->second.restores);
    }
    void Beep() override { ++beeps; }

    std::map<WindowHandle, Window> windows;
    WindowHandle foreground = 0;
    uint64_t now = 0;
    int reads = 0;
    int total_writes = 0;
    int beeps = 0;
    // Sees every caption sent, before the window has it.
    std::function<void(WindowHandle, const std::u16string&)> on_write;
    // Runs once, while the next caption sent waits for its window: something
    // sent to the writer's own thread meanwhile.
    std::function<void()> while_sending;

private:
    struct Landing {
        uint64_t at;
        WindowHandle window;
        std::u16string text;
    };

    // True when the window's thread answered within wait_ms.
    bool Deliver(WindowHandle handle, uint64_t wait_ms, bool skip_hung, const std::u16string* text) {
        const auto it = windows.find(handle);
        if (it == windows.end()) return false;
        Window& w = it->second;
        if (text != nullptr) w.unanswered = true;
        if (skip_hung && w.free_at > now && now - w.stopped_at >= kHungMs) return false;
        const uint64_t deadline = now + wait_ms;
        const uint64_t taken = std::max(now, w.free_at);
        if (taken > deadline) {
            Advance(wait_ms);  // never taken: cancelled
            return false;
        }
        const uint64_t done = taken + (text != nullptr ? w.slow_ms : 0);
        if (done > taken && w.free_at <= now) w.stopped_at = taken;
        w.free_at = done;
        // Whatever is sent after it is handled after it.
        if (text != nullptr) landings_.push_back(Landing{done, handle, *text});
        if (text != nullptr && while_sending) std::exchange(while_sending, nullptr)();
        if (done > deadline) {
            if (now < deadline) Advance(deadline - now);
            return false;
        }
        if (now < done) Advance(done - now);
        Advance(0);
        w.unanswered = false;
        return true;
    }
    void Land(WindowHandle handle, const std::u16string& text) {
        const auto it = windows.find(handle);
        if (it == windows.end() || it->second.refuses) return;
        Window& w = it->second;
        w.caption = w.retitles_back ? w.title : text + w.adds;
    }

    std::vector<Landing> landings_;
    std::map<WindowHandle, std::u16string> after_read_;
    std::u16string read_;
};

}  // namespace kronvik::fakes

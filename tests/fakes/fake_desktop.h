#pragma once
// An in-memory desktop of top-level windows in simulated milliseconds. Each
// window runs on a thread, alone or with others; a thread may stop pumping
// for a while: a text sent to it meanwhile waits until it pumps again, or is
// cancelled at the sender's time-out, and one it takes but handles slowly
// lands later. A thread that has not pumped for five seconds counts as hung.
// What a window does with a text is its behaviour: it may add a prefix or a
// document, cut it, keep its own, set its own title again, or take only the
// first text; what it answers is not told, as on the real port.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/desktop.h"

namespace kronvik::fakes {

class FakeDesktop : public Desktop {
public:
    static constexpr uint64_t kHungMs = 5000;

    struct Window {
        uint32_t thread = 0;
        std::u16string base;     // the title the program gives itself
        std::u16string stored;   // the text it holds, set by itself or from outside
        std::u16string caption;  // what it shows: prefix, stored text, document, cut
        std::u16string prefix, doc;
        size_t cut = std::u16string::npos;
        bool refuses = false;        // keeps its caption
        bool denied = false;         // the system lets no caption through (higher rights)
        bool retitles_back = false;  // sets its own title again right after a caption from outside
        bool takes_once = false;     // takes the first caption from outside, then none
        bool took = false;
        uint32_t slow_ms = 0;        // how long it takes to handle a caption
        int writes = 0;              // captions sent to it
        bool unanswered = false;     // a caption sent timed out and nothing sent since came back
        std::u16string sent;         // the last caption sent
        bool ours = false;           // shows a text of ours as it landed
        // Its own title cannot be known: our text landed over a title it set
        // that no read saw, or it changed text of ours while a write was open.
        bool lost = false;
        int flashes = 0, restores = 0;
        uint64_t read_seq = 0, retitle_seq = 0;
    };
    struct Pump {
        uint64_t free_at = 0, stopped_at = 0;  // a thread pumps from free_at on, and stopped at stopped_at
        uint64_t handling_from = 0, handling_to = 0;  // inside a caption of ours meanwhile
    };

    Window& Add(WindowHandle handle, const std::u16string& title, const std::u16string& doc = {},
                uint32_t thread = 0) {
        Window& w = windows[handle] = Window{};
        w.thread = thread != 0 ? thread : ++last_thread_;
        threads.try_emplace(w.thread);
        w.doc = doc;
        Retitle(handle, title);
        return w;
    }
    // What the window shows when it holds text.
    static std::u16string Show(const Window& w, const std::u16string& text) {
        return (w.prefix + text + w.doc).substr(0, w.cut);
    }
    std::u16string Title(WindowHandle handle) const { return Show(windows.at(handle), windows.at(handle).base); }
    // The program names its window anew (also while its thread is busy).
    void Retitle(WindowHandle handle, const std::u16string& title) {
        Window& w = windows.at(handle);
        w.base = w.stored = title;
        w.caption = Show(w, title);
        w.retitle_seq = ++seq_;
        // Named anew while no write of ours is open, it is known again;
        // setting the very text we sent meanwhile reads as our text landing.
        w.lost = w.unanswered && (w.lost || title == w.sent);
        w.ours = false;
    }
    // The program sets the text it holds with `more` appended, as an editor
    // marks a changed document; it means its own title to end so too.
    void Append(WindowHandle handle, const std::u16string& more) {
        Window& w = windows.at(handle);
        w.base += more;
        w.stored += more;
        w.caption = Show(w, w.stored);
        w.retitle_seq = ++seq_;
        // Whole with our text, it reads as what the window adds to any text
        // when it comes while our write is open, until it names itself anew.
        w.lost = w.lost || w.unanswered;
        w.ours = false;
    }
    // A frame shows another document after whatever text it holds.
    void SwitchDocument(WindowHandle handle, const std::u16string& doc) {
        Window& w = windows.at(handle);
        w.doc = doc;
        w.caption = Show(w, w.stored);
    }
    void Busy(WindowHandle handle, uint64_t ms) {
        Pump& t = threads.at(windows.at(handle).thread);
        if (t.free_at <= now) t.stopped_at = now;
        t.free_at = std::max(t.free_at, now + ms);
    }
    void At(uint64_t time, std::function<void()> event) { events_.push_back({time, std::move(event)}); }
    void Destroy(WindowHandle handle) {
        windows.erase(handle);
        if (foreground == handle) foreground = 0;
    }
    bool Pumping(WindowHandle handle) const { return threads.at(windows.at(handle).thread).free_at <= now; }
    // The program runs code of its own: its thread is not inside a caption of ours.
    bool OwnCode(WindowHandle handle) const {
        const Pump& t = threads.at(windows.at(handle).thread);
        return now < t.handling_from || now >= t.handling_to;
    }
    const std::u16string& Caption(WindowHandle handle) const { return windows.at(handle).caption; }
    int Writes(WindowHandle handle) const { return windows.at(handle).writes; }

    // Time passes; what was due meanwhile happens in order.
    void Advance(uint64_t ms) {
        now += ms;
        for (;;) {
            const auto next = std::min_element(events_.begin(), events_.end(),
                                               [](const Event& a, const Event& b) { return a.at < b.at; });
            if (next == events_.end() || next->at > now) return;
            const std::function<void()> event = std::move(next->run);
            events_.erase(next);
            event();
        }
    }

    WindowHandle Foreground() override { return foreground; }
    uint32_t Thread(WindowHandle handle) override {
        const auto it = windows.find(handle);
        return it == windows.end() ? 0 : it->second.thread;
    }
    const std::u16string& ReadCaption(WindowHandle handle) override {
        static const std::u16string none;
        ++reads;
        const auto it = windows.find(handle);
        if (it == windows.end()) return none;
        it->second.read_seq = ++seq_;
        return it->second.caption;
    }
    CaptionWrite WriteCaption(WindowHandle handle, const std::u16string& shown, const std::u16string& text,
                              uint32_t wait_ms) override {
        ++total_writes;
        const auto it = windows.find(handle);
        if (it == windows.end() || it->second.caption != shown) return CaptionWrite::Retitled;
        ++it->second.writes;
        if (on_write) on_write(handle, text);
        if (it->second.denied) return CaptionWrite::Answered;
        return Deliver(handle, wait_ms, true, &text) ? CaptionWrite::Answered : CaptionWrite::Unknown;
    }
    bool Answers(WindowHandle handle, uint32_t wait_ms) override { return Ping(handle, wait_ms, true); }
    bool AwaitAnswer(WindowHandle handle, uint32_t wait_ms) override { return Ping(handle, wait_ms, false); }
    uint64_t Milliseconds() override { return now; }

    void Flash(WindowHandle handle, bool invert) override {
        const auto it = windows.find(handle);
        if (it != windows.end()) ++(invert ? it->second.flashes : it->second.restores);
    }
    void Beep() override { ++beeps; }

    std::map<WindowHandle, Window> windows;
    std::map<uint32_t, Pump> threads;
    WindowHandle foreground = 0;
    uint64_t now = 0;
    int reads = 0;
    int total_writes = 0;
    int beeps = 0;
    std::map<uint32_t, int> pings;           // per thread, since the test last cleared it
    std::map<WindowHandle, uint64_t> waited;  // ms spent waiting on each window
    // Sees every caption sent, before the window has it.
    std::function<void(WindowHandle, const std::u16string&)> on_write;
    // Runs when a thread has answered a ping.
    std::function<void(WindowHandle)> on_answer;

private:
    struct Event {
        uint64_t at;
        std::function<void()> run;
    };

    bool Ping(WindowHandle handle, uint32_t wait_ms, bool skip_hung) {
        const auto it = windows.find(handle);
        if (it != windows.end()) ++pings[it->second.thread];
        const bool answered = Deliver(handle, wait_ms, skip_hung, nullptr);
        if (answered && on_answer) on_answer(handle);
        return answered;
    }
    // True when the window's thread answered within wait_ms.
    bool Deliver(WindowHandle handle, uint64_t wait_ms, bool skip_hung, const std::u16string* text) {
        const auto it = windows.find(handle);
        if (it == windows.end()) return false;
        Window& w = it->second;
        Pump& t = threads.at(w.thread);
        const uint64_t start = now;
        if (text != nullptr) {
            w.unanswered = true;
            w.sent = *text;
        }
        if (skip_hung && t.free_at > now && now - t.stopped_at >= kHungMs) return false;
        const uint64_t deadline = now + wait_ms, taken = std::max(now, t.free_at);
        if (taken > deadline) {
            Advance(wait_ms);  // never taken: cancelled
            waited[handle] += now - start;
            return false;
        }
        const uint64_t done = taken + (text != nullptr ? w.slow_ms : 0);
        if (done > taken && t.free_at <= now) t.stopped_at = taken;
        t.free_at = done;
        if (text != nullptr) std::tie(t.handling_from, t.handling_to) = std::pair(taken, done);
        // Whatever is sent after it is handled after it.
        if (text != nullptr) At(done, [this, handle, text = *text, seq = seq_] { Land(handle, text, seq); });
        Advance(std::min(done, deadline) - now);
        waited[handle] += now - start;
        if (done > deadline) return false;
        if (windows.count(handle)) windows.at(handle).unanswered = false;
        return true;
    }
    void Land(WindowHandle handle, const std::u16string& text, uint64_t sent_seq) {
        const auto it = windows.find(handle);
        if (it == windows.end() || it->second.refuses || (it->second.takes_once && it->second.took)) return;
        Window& w = it->second;
        w.took = true;
        if (w.retitles_back) return Retitle(handle, w.base);
        // A title the program set after the write was checked, unseen by any
        // read, is lost under our text: no sender can know it.
        if (w.retitle_seq > sent_seq && w.read_seq < w.retitle_seq) w.lost = true;
        w.stored = text;
        w.caption = Show(w, text);
        w.ours = true;
    }

    std::vector<Event> events_;
    uint32_t last_thread_ = 0;
    uint64_t seq_ = 0;
};

}  // namespace kronvik::fakes

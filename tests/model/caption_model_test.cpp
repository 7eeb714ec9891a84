// The caption clock among windows that behave as real programs do, each kind
// a row of behaviours: they keep a text and add a prefix, a document or cut
// it, keep their own, set it again, take only the first text, handle it
// slowly; they share threads, retitle (also while our text waits in their
// queue), mark their title while it shows our clock, switch documents, stop
// pumping, vanish and come back under the same handle; synchronisations,
// appointments and the display setting change under them. After every tick:
//  - a window out of the foreground whose thread has pumped for three ticks
//    shows its own title;
//  - every write lands on a window that showed its own caption or our text;
//  - no clock, marker or addition twice in a title (an addition may show
//    twice for one tick after the first write to a window);
//  - after the end every window that answers shows its own title;
//  - a steady window in front is written once a minute;
// and: the wait on the windows behind stays within its bound, each thread is
// pinged once a tick, writes stay within five a minute but for what the
// window or the user changed, and a write's own part is the window's title.
// A failure prints the seed (RC_PARAMS="seed=N" repeats it) and the shortest
// schedule found. KV_MODEL_RUNS sets the number of schedules.
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "display/caption_writer.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_timer.h"
#include "platform/text.h"

namespace kronvik {
namespace {

using Window = fakes::FakeDesktop::Window;

// In every clock and appointment text, and in no window's own title.
constexpr char16_t kMark[] = u"⏱";
const std::u16string kTitles[] = {u"", u"Alpha", u"a   b", u"メモ帳 - 無題", u"Alpha 32", u"\U0001F600 한국어"};
const std::u16string kDocuments[] = {u" - [d0]", u" - [d1]", u" - [d2]"};
// Busy spells, the last two past the system's hung threshold.
constexpr uint64_t kBusyMs[] = {300, 900, 2000, 4000, 6000, 7000};

struct Kind {
    const char* name;
    void (*make)(Window&);
    bool steady;  // shows any text whole: written once a minute
};
const Kind kKinds[] = {
    {"plain", [](Window&) {}, true},
    {"frame", [](Window& w) { w.doc = kDocuments[0]; }, true},
    {"prefix", [](Window& w) { w.prefix = u"[x] "; }, true},
    {"slow", [](Window& w) { w.slow_ms = 700; }, true},
    {"cut", [](Window& w) { w.cut = 14; }, false},
    {"refuses", [](Window& w) { w.refuses = true; }, false},
    {"denied", [](Window& w) { w.denied = true; }, false},
    {"retitles back", [](Window& w) { w.retitles_back = true; }, false},
    {"takes once", [](Window& w) { w.takes_once = true; }, false},
};
constexpr int kKindCount = sizeof kKinds / sizeof kKinds[0];

struct Step {
    enum What { Tick, Focus, Retitle, RetitleSoon, Append, Busy, Switch, Destroy, Create, Sync, Due, Minute, Display };
    int what = Tick;
    int window = 0;  // 1-based; 0 in Focus is the desktop
    int value = 0;
};

void showValue(const Step& s, std::ostream& os) {
    static const char* const names[] = {"Tick", "Focus",  "Retitle", "RetitleSoon", "Append", "Busy",   "Switch",
                                        "Destroy", "Create", "Sync",    "Due",         "Minute", "Display"};
    os << names[s.what] << "(" << s.window << "," << s.value << ")";
}

rc::Gen<Step> AnyStep(int windows) {
    return rc::gen::apply([](int what, int window, int value) { return Step{what, window, value}; },
                          rc::gen::weightedElement<int>({{14, Step::Tick}, {4, Step::Focus}, {2, Step::Retitle},
                                                         {1, Step::RetitleSoon}, {1, Step::Append}, {2, Step::Busy},
                                                         {1, Step::Switch}, {1, Step::Destroy}, {1, Step::Create},
                                                         {1, Step::Sync}, {1, Step::Due}, {2, Step::Minute},
                                                         {1, Step::Display}}),
                          rc::gen::inRange(0, windows + 1), rc::gen::inRange(0, 6));
}

size_t Count(const std::u16string& text, const std::u16string& part) {
    size_t n = 0;
    if (part.empty()) return n;
    for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::string Show(const std::u16string& text) { return Utf16ToUtf8(text); }

class Model {
public:
    // kinds[i] and threads[i] make window i + 1.
    Model(std::vector<int> kinds, const std::vector<uint32_t>& threads) : kinds_(std::move(kinds)) {
        settings.DSP_FLAG = 1;
        settings.TIM_FORM = "⏱%02d:%02d";
        settings.DAY_FORM = "%d/%d/%d";
        clock.Set(2026, 12, 8, 9, 59, 30);
        for (size_t i = 0; i < kinds_.size(); ++i) Make(i + 1, threads[i], 0);
        desktop.on_write = [this](WindowHandle h, const std::u16string& text) { CheckWrite(h, text); };
    }

    void Apply(const Step& s) {
        const WindowHandle h = static_cast<WindowHandle>(s.window);
        const bool there = desktop.windows.count(h) != 0;
        switch (s.what) {
        case Step::Tick: return Tick();
        case Step::Focus:
            for (const WindowHandle moved : {desktop.foreground, there ? h : 0})
                if (moved != 0) Disturb(moved);
            desktop.foreground = there ? h : 0;
            return;
        case Step::Sync:
            flags.SyncRunning = s.value % 2;
            flags.AutoSync = s.value / 2 % 2;
            return Disturb();
        case Step::Due: due_ = s.value == 1 ? "会議⏱" : ""; return Disturb();
        case Step::Minute: clock.now.second = 59; return;
        case Step::Display:
            settings.DSP_FLAG = s.value % 3;
            composer.InvalidateClockText();  // as the settings dialog's Apply does
            return Disturb();
        case Step::Create:
            if (!there && h != 0) Make(h, static_cast<uint32_t>(100 + ++created_), s.value);
            return Disturb(h);
        default: break;
        }
        // What a program does itself it does outside its handling of our text.
        if (!there || !desktop.OwnCode(h)) return;
        switch (s.what) {
        case Step::Retitle: desktop.Retitle(h, kTitles[s.value]); break;
        case Step::RetitleSoon:
            desktop.At(desktop.now + 60u * static_cast<unsigned>(s.value), [this, h, s] {
                if (desktop.windows.count(h) != 0 && desktop.OwnCode(h)) desktop.Retitle(h, kTitles[s.value]);
            });
            break;
        case Step::Append: {
            Window& w = desktop.windows.at(h);
            if (w.cut != std::u16string::npos) break;  // cut off unseen
            // Marked over a title of ours given back, that title is the one it means.
            const bool given_back = w.ours && Count(w.caption, kMark) == 0;
            desktop.Append(h, u" *");
            if (given_back) w.base = w.stored;
            break;
        }
        case Step::Busy:
            desktop.Busy(h, kBusyMs[s.value]);
            for (const auto& [other, w] : desktop.windows)
                if (w.thread == desktop.windows.at(h).thread) Disturb(other);
            break;
        case Step::Switch:
            if (kinds_[h - 1] == 1) desktop.SwitchDocument(h, kDocuments[s.value % 3]);
            break;
        case Step::Destroy: desktop.Destroy(h); break;
        default: return;
        }
        Disturb(h);
    }

    // After the end, every window that answers within its wait shows its own title.
    void Exit() {
        const uint64_t start = desktop.now;
        writer.GiveBackAll();
        RC_ASSERT(desktop.now - start <= 2000u);
        const int writes = desktop.total_writes;
        desktop.Advance(10000);
        writer.Timer1Timer();
        RC_ASSERT(desktop.total_writes == writes);
        for (const auto& [h, w] : desktop.windows) {
            if (desktop.threads.at(w.thread).free_at > start + 800 || Exempt(h, w)) continue;
            RC_ASSERT(Show(w.caption) == Show(desktop.Title(h)));
        }
    }

    fakes::FakeDesktop desktop;

private:
    void Make(WindowHandle h, uint32_t thread, int value) {
        if (h > kinds_.size()) kinds_.resize(h);
        if (thread > 100) kinds_[h - 1] = value * 7 % kKindCount;
        Window& w = desktop.Add(h, u"", {}, thread);
        kKinds[kinds_[h - 1]].make(w);
        desktop.Retitle(h, kTitles[(h + static_cast<WindowHandle>(value)) % 6]);
    }
    // Something changed for window h, or for all windows with h 0.
    void Disturb(WindowHandle h = 0) {
        steady_since_[h] = ticks_;
        ++changes_[h];
    }
    int SteadySince(WindowHandle h) { return std::max(steady_since_[h], steady_since_[0]); }
    bool Steady(WindowHandle h) const { return h != 0 && !off_ && kKinds[kinds_[h - 1]].steady; }
    bool Exempt(WindowHandle h, const Window& w) const {
        return w.lost || (w.takes_once && w.took) || off_exempt_.count(h) != 0;
    }

    void Tick() {
        std::map<WindowHandle, bool> pumped;
        for (const auto& [h, w] : desktop.windows) {
            pumped[h] = desktop.Pumping(h);
            if (!pumped[h]) steady_since_[h] = ticks_;
        }
        const bool was_off = settings.DSP_FLAG == 2 && off_;
        if (settings.DSP_FLAG == 2 && !off_)
            for (const auto& [h, w] : desktop.windows)
                if (!pumped[h]) off_exempt_.insert(h);
        off_ = settings.DSP_FLAG == 2;
        if (!off_) off_exempt_.clear();
        desktop.pings.clear();
        desktop.waited.clear();
        const int reads = desktop.reads;
        const WindowHandle front = desktop.foreground;
        const uint64_t start = desktop.now;
        writer.Timer1Timer();
        CheckTick(front, start, was_off, reads);
        desktop.Advance(500);
        clock.AddHalfSecond();
        ++ticks_;
        for (const auto& [h, w] : desktop.windows) CheckTitle(h, w, pumped[h] && desktop.Pumping(h), front);
    }

    // The bound on waiting, one ping per thread, nothing read while the
    // display is off, and one write a minute to a steady window in front.
    void CheckTick(WindowHandle front, uint64_t start, bool was_off, int reads) {
        uint64_t behind = 0;
        for (const auto& [h, ms] : desktop.waited) behind += h == front && !off_ ? 0 : ms;
        RC_ASSERT(behind <= (off_ ? 300u : 80u));
        RC_ASSERT(desktop.now - start <= 330u);
        for (const auto& [thread, n] : desktop.pings) RC_ASSERT(n <= 1);
        if (was_off) RC_ASSERT(desktop.reads == reads);
        if (clock.now.minute == minute_) return;
        minute_ = clock.now.minute;
        // One write a minute to a steady window in front while the clock
        // shows (a due appointment's text stays the same all minute).
        if (Steady(front) && due_.empty() && SteadySince(front) + 2 < minute_start_) RC_ASSERT(writes_[front] == 1);
        minute_start_ = ticks_;
        writes_.clear();
        changes_.clear();
    }

    void CheckTitle(WindowHandle h, const Window& w, bool calm, WindowHandle front) {
        // Nothing twice in a title, an addition but for the tick after the first write.
        RC_ASSERT(Count(w.caption, kMark) <= 1u);
        RC_ASSERT(Count(w.caption, u" [ Internet Access ]") <= 1u);
        int& twice = twice_[h];
        twice = Count(w.caption, w.doc) > 1 || Count(w.caption, w.prefix) > 1 ? twice + calm : 0;
        RC_ASSERT(twice <= 1);
        // The window in front that shows any text whole shows the clock after
        // its title, unless it changed so often that writing paused.
        if (h == front && calm && Steady(h) && !w.lost && SteadySince(h) + 3 < ticks_ &&
            changes_[h] + changes_[0] < 4) {
            RC_ASSERT(Count(w.caption, kMark) == 1u);
            RC_ASSERT(w.caption.starts_with(w.prefix + w.base + u"   "));
        }
        // Out of the foreground for three calm ticks: its own title back.
        int& away = away_[h];
        away = calm && (h != front || off_) ? away + 1 : 0;
        if (away >= 3 && !Exempt(h, w)) RC_ASSERT(Show(w.caption) == Show(desktop.Title(h)));
    }

    // Every write lands on its own caption or our text, and a clock's own part
    // is the window's title, given back whole.
    void CheckWrite(WindowHandle h, const std::u16string& text) {
        const Window& w = desktop.windows.at(h);
        RC_ASSERT(!w.unanswered);
        RC_ASSERT(w.caption == desktop.Title(h) || Count(w.caption, kMark) != 0 || w.ours);
        if (w.cut == std::u16string::npos) RC_ASSERT(Show(fakes::FakeDesktop::Show(w, text)) != Show(w.caption));
        const bool given_back = text == w.base || text == desktop.Title(h);
        const bool with_clock = text.starts_with(w.base + u"   ") || text.starts_with(desktop.Title(h) + u"   ");
        const bool clock_text = Count(text, kMark) != 0;
        if (!w.lost) RC_ASSERT((clock_text ? with_clock : given_back));
        // Five writes a minute that do not show as sent, and five more for
        // each change of the window's or everyone's.
        RC_ASSERT(++writes_[h] <= 6 + 5 * (changes_[h] + changes_[0]));
    }

    std::vector<int> kinds_;
    fakes::FakeClock clock;
    fakes::FakeTimer timer2;
    SettingsRecord settings;
    SyncFlags flags;
    ClockTextComposer composer{clock, settings};
    std::string due_;
    CaptionWriter writer{desktop, composer, settings, flags, timer2, [this](DSPDRAW_CLASS& tick) {
                             tick.ScheduleText = due_;
                             return due_.empty() ? 0 : 1;
                         }};
    int created_ = 0;
    int ticks_ = 0, minute_ = -1, minute_start_ = 0;
    bool off_ = false;
    std::set<WindowHandle> off_exempt_;  // busy when the display went off: keeps our text until the end
    std::map<WindowHandle, int> away_, twice_, writes_, changes_, steady_since_;
};

void Schedule() {
    const auto kinds = *rc::gen::resize(6, rc::gen::nonEmpty(rc::gen::container<std::vector<int>>(
                                               rc::gen::inRange(0, kKindCount))));
    const int windows = static_cast<int>(kinds.size());
    // Some windows share a thread.
    const auto threads = *rc::gen::container<std::vector<uint32_t>>(
        kinds.size(), rc::gen::inRange<uint32_t>(1, static_cast<uint32_t>(windows) + 1));
    Model model(kinds, threads);
    for (const Step& step : *rc::gen::container<std::vector<Step>>(AnyStep(windows))) model.Apply(step);
    model.Exit();
}

// Twenty or more windows given the clock in turn, most of them hung when
// the program ends: every one that answers gets its title back.
void CrowdAtTheEnd() {
    const int windows = *rc::gen::inRange(20, 27);
    const auto answers = *rc::gen::container<std::vector<bool>>(
        static_cast<size_t>(windows), rc::gen::map(rc::gen::inRange(0, 5), [](int n) { return n == 0; }));
    std::vector<uint32_t> threads;
    for (int i = 1; i <= windows; ++i) threads.push_back(static_cast<uint32_t>(i));
    Model model(std::vector<int>(static_cast<size_t>(windows), 0), threads);
    for (int i = 1; i <= windows; ++i) {
        model.Apply({Step::Focus, i, 0});
        model.Apply({Step::Tick, 0, 0});
        model.desktop.Busy(static_cast<WindowHandle>(i), 60000);
    }
    for (int i = 0; i < 12; ++i) model.Apply({Step::Tick, 0, 0});  // past the hung threshold
    // A few pump again just as the program ends.
    for (int i = 1; i <= windows; ++i)
        if (answers[static_cast<size_t>(i - 1)]) model.desktop.threads.at(static_cast<uint32_t>(i)).free_at = 0;
    model.Exit();
}

void Check(const char* name, void (*property)(), int runs) {
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    const char* override_runs = std::getenv("KV_MODEL_RUNS");
    params.maxSuccess = override_runs != nullptr ? std::atoi(override_runs) : runs;
    params.maxSize = 400;
    std::cout << name << ": " << params.maxSuccess << " schedules, seed " << params.seed << "\n";
    rc::detail::TestMetadata metadata;
    metadata.id = name;
    const auto result = rc::detail::checkProperty(rc::detail::toProperty(property), metadata, params);
    std::ostringstream message;
    rc::detail::printResultMessage(result, message);
    EXPECT_TRUE(result.is<rc::detail::SuccessResult>()) << message.str();
}

TEST(CaptionModel, NeverDamagesAnotherProgramsTitle) { Check("caption model", Schedule, 2000); }
TEST(CaptionModel, EndReachesEveryWindowThatAnswers) { Check("caption model, the end", CrowdAtTheEnd, 200); }

}  // namespace
}  // namespace kronvik

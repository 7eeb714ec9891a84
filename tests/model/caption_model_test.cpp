// The caption clock among windows that behave as real programs do: they
// retitle themselves (also between a read and a write), add their document to
// any text and switch it, refuse, stop pumping for a while (some past the
// system's hung threshold), handle a caption slowly, or are destroyed.
// Thousands of random schedules, each checked against these rules:
//  - a window out of the foreground that pumps shows its own title again
//    within a few ticks;
//  - a caption is sent only over what the window showed when it was read:
//    its own title, to which the clock is added, or text of ours, which is
//    replaced by the clock or by the window's own title exactly;
//  - no clock, marker or document appears twice in a title;
//  - the end gives every window that answers in time its own title, within
//    about two seconds;
//  - a window is never sent the text it already shows;
//  - the window in front that takes captions shows the clock after its own
//    title unless it keeps retitling itself.
// A failure prints the seed (RC_PARAMS="seed=N" repeats it) and the shortest
// schedule found. KV_MODEL_RUNS sets the number of schedules.
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "display/caption_writer.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_timer.h"
#include "platform/text.h"

namespace kronvik {
namespace {

// In every clock and appointment text, and in no window's own title.
constexpr char16_t kMark[] = u"⏱";
const std::u16string kTitles[] = {u"", u"Alpha", u"a   b", u"メモ帳 - 無題", u"Alpha 32", u"\U0001F600 한국어"};
const std::u16string kDocuments[] = {u" - [d0]", u" - [d1]", u" - [d2]"};
// Busy spells, the last two past the system's hung threshold.
constexpr uint64_t kBusyMs[] = {300, 900, 2000, 4000, 6000, 7000};

enum class Kind { Plain, Frame, Refuses, Denied, RetitlesBack, Slow };

struct Step {
    enum What { Tick, Focus, Retitle, RetitleAfterRead, Busy, Switch, Destroy, Sync, Due, Minute };
    int what = Tick;
    int window = 0;  // 1-based; 0 in Focus is the desktop
    int value = 0;
};

void showValue(const Step& s, std::ostream& os) {
    static const char* const names[] = {"Tick", "Focus", "Retitle", "RetitleAfterRead", "Busy",
                                        "Switch", "Destroy", "Sync", "Due", "Minute"};
    os << names[s.what] << "(" << s.window << "," << s.value << ")";
}
void showValue(Kind k, std::ostream& os) { os << "Kind" << static_cast<int>(k); }

rc::Gen<Step> AnyStep(int windows) {
    return rc::gen::apply(
        [](int what, int window, int value) { return Step{what, window, value}; },
        rc::gen::weightedElement<int>({{12, Step::Tick}, {4, Step::Focus}, {2, Step::Retitle},
                                       {1, Step::RetitleAfterRead}, {2, Step::Busy}, {1, Step::Switch},
                                       {1, Step::Destroy}, {1, Step::Sync}, {1, Step::Due}, {1, Step::Minute}}),
        rc::gen::inRange(0, windows + 1), rc::gen::inRange(0, 6));
}

bool Writable(Kind k) { return k == Kind::Plain || k == Kind::Frame || k == Kind::Slow; }

size_t Count(const std::u16string& text, const std::u16string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A frame's caption less the document it adds ends in another document.
bool StackedDocuments(const fakes::FakeDesktop::Window& w) {
    if (w.adds.empty() || !w.caption.ends_with(w.adds)) return false;
    const std::u16string rest = w.caption.substr(0, w.caption.size() - w.adds.size());
    for (const std::u16string& document : kDocuments)
        if (rest.ends_with(document)) return true;
    return false;
}

class Model {
public:
    explicit Model(const std::vector<Kind>& kinds) : kinds_(kinds) {
        settings.DSP_FLAG = 1;
        settings.TIM_FORM = "⏱%02d:%02d";
        clock.Set(2026, 12, 8, 9, 59, 30);
        for (size_t i = 0; i < kinds.size(); ++i) {
            const WindowHandle h = i + 1;
            auto& w = desktop.Add(h, kTitles[i % 6], kinds[i] == Kind::Frame ? kDocuments[0] : u"");
            w.refuses = kinds[i] == Kind::Refuses;
            w.denied = kinds[i] == Kind::Denied;
            w.retitles_back = kinds[i] == Kind::RetitlesBack;
            w.slow_ms = kinds[i] == Kind::Slow ? 700 : 0;
        }
        desktop.on_write = [this](WindowHandle h, const std::u16string& text) { CheckWrite(h, text); };
    }

    void Apply(const Step& s) {
        const WindowHandle h = static_cast<WindowHandle>(s.window);
        const bool there = desktop.Exists(h);
        switch (s.what) {
        case Step::Tick: return Tick();
        case Step::Focus: desktop.foreground = there ? h : 0; return;
        case Step::Sync:
            flags.SyncRunning = s.value % 2;
            flags.AutoSync = s.value / 2 % 2;
            return;
        case Step::Due: due_ = s.value % 2 ? "会議⏱" + std::to_string(s.value) : ""; return;
        case Step::Minute: clock.now.second = 59; return;
        default: break;
        }
        // What a window does itself needs its thread running.
        if (!there || !desktop.Pumping(h)) return;
        switch (s.what) {
        case Step::Retitle: desktop.Retitle(h, kTitles[s.value]); break;
        case Step::RetitleAfterRead: desktop.RetitleAfterNextRead(h, kTitles[s.value]); break;
        case Step::Busy: desktop.Busy(h, kBusyMs[s.value]); break;
        case Step::Switch:
            if (kinds_[h - 1] == Kind::Frame) desktop.SwitchDocument(h, kDocuments[s.value % 3]);
            break;
        case Step::Destroy: desktop.Destroy(h); break;
        default: return;
        }
        changed_[h] = 0;
    }

    // Every window that answers within the end's wait shows its own title.
    void Exit() {
        const uint64_t start = desktop.now;
        writer.GiveBackAll();
        RC_ASSERT(desktop.now - start <= 2100u);
        const int writes = desktop.total_writes;
        desktop.Advance(10000);
        writer.Timer1Timer();
        RC_ASSERT(desktop.total_writes == writes);
        for (const auto& [h, w] : desktop.windows) {
            if (w.free_at + w.slow_ms > start + 800) continue;
            RC_ASSERT(Show(w.caption) == Show(w.title));
        }
    }

private:
    static std::string Show(const std::u16string& text) { return Utf16ToUtf8(text); }

    void Tick() {
        std::map<WindowHandle, bool> pumped;
        for (const auto& [h, w] : desktop.windows) pumped[h] = desktop.Pumping(h);
        const WindowHandle front = desktop.foreground;
        desktop.Advance(500);
        clock.AddHalfSecond();
        if (clock.now.second == 0 && clock.now.milliseconds == 0) own_writes_this_minute_.clear();
        writer.Timer1Timer();
        for (const auto& [h, w] : desktop.windows) {
            const bool calm = pumped[h] && desktop.Pumping(h);
            CheckTitle(h, w, calm, front);
        }
    }

    void CheckTitle(WindowHandle h, const fakes::FakeDesktop::Window& w, bool calm, WindowHandle front) {
        // Nothing twice.
        RC_ASSERT(Count(w.caption, kMark) <= 1u);
        RC_ASSERT(Count(w.caption, u" [ Internet Access ]") <= 1u);
        RC_ASSERT(!StackedDocuments(w));
        int& quiet = changed_[h];
        quiet = calm && was_front_[h] == (h == front) ? quiet + 1 : 0;
        was_front_[h] = h == front;
        if (h != front) {
            int& away = away_[h];
            away = calm ? away + 1 : 0;
            // Its own title back.
            if (away >= 3) RC_ASSERT(Show(w.caption) == Show(w.title));
            return;
        }
        away_[h] = 0;
        // The clock after the window's own title, unless the window keeps
        // retitling itself and the writer pauses until the minute changes.
        if (quiet >= 3 && Writable(kinds_[h - 1]) && own_writes_this_minute_[h] < 4) {
            RC_ASSERT(w.caption.starts_with(w.title + u"   "));
            RC_ASSERT(Count(w.caption, kMark) == 1u);
        }
    }

    // Only over what was read, never a repeat, and nothing to a window that
    // has not answered since a caption sent to it timed out.
    void CheckWrite(WindowHandle h, const std::u16string& text) {
        const auto& w = desktop.windows.at(h);
        RC_ASSERT(!w.unanswered);
        const bool ours = Count(w.caption, kMark) != 0;
        RC_ASSERT(ours || w.caption == w.title);
        RC_ASSERT(Show(text + w.adds) != Show(w.caption));
        if (Count(text, kMark) != 0) {
            RC_ASSERT(text.starts_with(w.title + u"   "));
        } else {
            RC_ASSERT(ours);
            RC_ASSERT(Show(text + w.adds) == Show(w.title));
        }
        if (h == desktop.foreground && !ours) ++own_writes_this_minute_[h];
    }

    std::vector<Kind> kinds_;
    fakes::FakeClock clock;
    fakes::FakeDesktop desktop;
    fakes::FakeTimer timer2;
    SettingsRecord settings;
    SyncFlags flags;
    ClockTextComposer composer{clock, settings};
    std::string due_;
    CaptionWriter writer{desktop, composer, settings, flags, timer2, [this](DSPDRAW_CLASS& tick) {
                             tick.ScheduleText = due_;
                             return due_.empty() ? 0 : 1;
                         }};
    std::map<WindowHandle, int> changed_;  // ticks calm and unchanged, in front or not
    std::map<WindowHandle, bool> was_front_;
    std::map<WindowHandle, int> away_;     // ticks calm out of the foreground
    // Clocks written over the title of the window in front: each one a tick
    // without the clock, and five of those pause writing until the minute
    // changes.
    std::map<WindowHandle, int> own_writes_this_minute_;
};

void Schedule() {
    const auto kinds = *rc::gen::resize(
        6, rc::gen::nonEmpty(rc::gen::container<std::vector<Kind>>(rc::gen::element(
               Kind::Plain, Kind::Frame, Kind::Refuses, Kind::Denied, Kind::RetitlesBack, Kind::Slow))));
    const int windows = static_cast<int>(kinds.size());
    const auto steps = *rc::gen::container<std::vector<Step>>(AnyStep(windows));
    Model model(kinds);
    for (const Step& step : steps) model.Apply(step);
    model.Exit();
}

TEST(CaptionModel, NeverDamagesAnotherProgramsTitle) {
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    const char* runs = std::getenv("KV_MODEL_RUNS");
    params.maxSuccess = runs != nullptr ? std::atoi(runs) : 2000;
    params.maxSize = 400;
    std::cout << "caption model: " << params.maxSuccess << " schedules, seed " << params.seed << "\n";
    rc::detail::TestMetadata metadata;
    metadata.id = "CaptionModel/NeverDamagesAnotherProgramsTitle";
    const auto result = rc::detail::checkProperty(rc::detail::toProperty(Schedule), metadata, params);
    std::ostringstream message;
    rc::detail::printResultMessage(result, message);
    EXPECT_TRUE(result.is<rc::detail::SuccessResult>()) << message.str();
}

}  // namespace
}  // namespace kronvik

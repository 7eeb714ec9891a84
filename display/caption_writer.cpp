#include "display/caption_writer.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/text.h"

namespace kronvik {

namespace {

// Writing to the window in front pauses until the minute changes after five
// ticks without the text of ours it took last; giving a window its caption
// back, after five texts it did not take.
constexpr int32_t kMissLimit = 5;
constexpr int32_t kMissCap = 10;
// One tick waits at most for a ping and a write to the window in front, and
// kOthersMs for all the other windows together.
constexpr uint32_t kPingMs = 50;
constexpr uint32_t kWriteMs = 150;
constexpr uint64_t kOthersMs = 80;
// Turning the display off gives back in one round what it can in kOffMs.
// The end waits kExitWaitMs at most: every window that answers at once
// first, then the others in short turns, so hung windows starve none.
constexpr uint64_t kOffMs = 300;
constexpr uint64_t kExitWaitMs = 1750;
constexpr uint32_t kAtOnceMs = 20;
constexpr uint32_t kExitTurnMs = 25;

constexpr CaptionPass kTick{kPingMs, false, true};
constexpr CaptionPass kExitAtOnce{kAtOnceMs, false, false};
constexpr CaptionPass kExitRest{kExitTurnMs, true, false};

// Whether text is "<base>   <body><marker>": the steady tick builds nothing.
bool IsCaption(std::u16string_view text, std::u16string_view base, std::u16string_view body,
               std::u16string_view marker) {
    return text.size() == base.size() + 3 + body.size() + marker.size() && text.starts_with(base) &&
           text.substr(base.size(), 3) == u"   " && text.substr(base.size() + 3, body.size()) == body &&
           text.ends_with(marker);
}

}  // namespace

CaptionWriter::CaptionWriter(Desktop& desktop, ClockTextComposer& composer,
                             const SettingsRecord& settings, const SyncFlags& flags, Timer& timer2,
                             ScheduleCheck check_schedule)
    : desktop_(desktop),
      composer_(composer),
      settings_(settings),
      flags_(flags),
      timer2_(timer2),
      check_schedule_(std::move(check_schedule)) {}

void CaptionWriter::Timer1Timer() {
    if (settings_.DSP_FLAG == 2) return DisplayOff();
    if (ended_) return;
    displaying_ = true;
    pinged_.clear();
    DSPDRAW_CLASS tick;
    miss_count_ = TrackForeground(miss_count_);
    const int32_t unchanged = composer_.ComposeClockText(tick);
    // A new minute clears the counts, so a window that refused the clock
    // gets a fresh run of attempts; so does each window owed its caption.
    miss_count_ *= unchanged;
    if (unchanged == 0)
        for (WindowCaption& debt : owed_) debt.misses = 0;
    bool shown = false;
    if (miss_count_ < kMissLimit) {
        const int32_t due = check_schedule_ ? check_schedule_(tick) : 0;
        shown = WriteCaption(due, tick);
    }
    if (!owed_.empty()) SettleDebts(desktop_.Milliseconds() + kOthersMs, kTick);
    if (shown && shown_) shown_(tick);
}

int32_t CaptionWriter::TrackForeground(int32_t count) {
    const WindowHandle foreground = desktop_.Foreground();
    if (foreground == tracked_.window) return Follow(count);
    LetGo();
    Adopt(foreground);
    return 0;
}

// The same window as in the last tick: it shows the text it took last (count
// 0), or a title of its own, which becomes its own caption, or what it showed
// before a text it refused (count up). A window that has not answered gives
// no verdict.
int32_t CaptionWriter::Follow(int32_t count) {
    const Seen seen = Look(tracked_, desktop_.Milliseconds() + kPingMs, kTick);
    if (seen == Seen::Nothing) return count;
    if (tracked_.ours && !tracked_.missed) return 0;
    return seen == Seen::Changed || tracked_.missed ? std::min(count + 1, kMissCap) : count;
}

void CaptionWriter::Adopt(WindowHandle foreground) {
    // A window still owed its caption comes back with what is known of it.
    const uint32_t thread = desktop_.Thread(foreground);
    const auto owed = std::find_if(owed_.begin(), owed_.end(), [&](const WindowCaption& debt) {
        return debt.window == foreground && debt.thread == thread;
    });
    if (owed != owed_.end()) {
        tracked_ = std::move(*owed);
        owed_.erase(owed);
        Look(tracked_, desktop_.Milliseconds() + kPingMs, kTick);
        return;
    }
    tracked_ = WindowCaption{};
    tracked_.window = foreground;
    tracked_.thread = thread;
    const std::u16string& shown = desktop_.ReadCaption(foreground);
    tracked_.Adopt(shown, composer_.LeftClock(shown));
}

void CaptionWriter::LetGo() {
    tracked_.misses = 0;
    if (tracked_.Owed()) owed_.push_back(std::move(tracked_));
    tracked_ = WindowCaption{};
}

CaptionWriter::Seen CaptionWriter::Look(WindowCaption& record, uint64_t deadline, const CaptionPass& pass) {
    if (!record.unknown) return record.Unchanged(desktop_.ReadCaption(record.window)) ? Seen::Same : Seen::Changed;
    // Read before asking: a title the window set after our read shows
    // until our text lands over it.
    record.SeenWhilePending(desktop_.ReadCaption(record.window));
    if (!Ping(record, deadline, pass)) return Seen::Nothing;
    record.Resolve(desktop_.ReadCaption(record.window));
    return Seen::Changed;
}

bool CaptionWriter::WriteCaption(int32_t due, DSPDRAW_CLASS& tick) {
    std::u16string_view body = composer_.ClockText();
    if (due != 0) {
        // The due appointment replaces the clock for its whole minute.
        appointment_ = Utf8ToUtf16(tick.ScheduleText);
        body = appointment_;
    } else {
        // Nothing is due: an alert's flashing ends at once.
        timer2_.SetInterval(0);
    }
    std::u16string_view marker;
    if (flags_.SyncRunning.load() != 0) marker = flags_.AutoSync.load() == 1 ? u"." : u" [ Internet Access ]";
    WindowCaption& front = tracked_;
    if (front.window == 0 || front.unknown) return false;
    // A window that shows this text already is not made to repaint it.
    if (front.ours && IsCaption(front.sent, front.Base(), body, marker)) return !(front.missed = false);
    // A new window under the same handle is adopted afresh.
    if (desktop_.Thread(front.window) != front.thread) Adopt(front.window);
    // Only to a thread that pumps right now, so that its title hardly can
    // change between our read and our text.
    if (!Ping(front, desktop_.Milliseconds() + kPingMs, kTick)) return false;
    // A window that adds to any text (a frame its document) shows the
    // addition twice after its first clock, and is given the clock after its
    // title without the addition at once.
    for (int tries = 2; tries > 0; --tries) {
        const size_t base = front.Base().size();
        tick.CaptionText.assign(front.Base()).append(u"   ").append(body).append(marker);
        if (front.ShowsAsTaken(tick.CaptionText)) break;
        if (!Send(front, tick.CaptionText, kWriteMs)) return false;
        if (front.Base().size() == base) break;
    }
    return true;
}

void CaptionWriter::DisplayOff() {
    if (!displaying_ || ended_) return;
    displaying_ = false;
    LetGo();
    pinged_.clear();
    SettleDebts(desktop_.Milliseconds() + kOffMs, kTick);
}

void CaptionWriter::SettleDebts(uint64_t deadline, const CaptionPass& pass) {
    // Each window visited goes to the end: the next round starts with the
    // windows this one had no time for.
    for (size_t left = owed_.size(); left > 0 && desktop_.Milliseconds() < deadline; --left) {
        WindowCaption debt = std::move(owed_.front());
        owed_.erase(owed_.begin());
        const Debt state = Settle(debt, deadline, pass);
        if (state == Debt::Silent || (state == Debt::Kept && pass.keep_answered)) owed_.push_back(std::move(debt));
    }
}

CaptionWriter::Debt CaptionWriter::Settle(WindowCaption& debt, uint64_t deadline, const CaptionPass& pass) {
    // Gone, or its handle taken by a new window: nothing is owed.
    if (desktop_.Thread(debt.window) != debt.thread) return Debt::Settled;
    if (Look(debt, deadline, pass) == Seen::Nothing) return Debt::Silent;
    // Written again at once only after a caption it took: a frame given its
    // title with the document it adds shows the document twice.
    for (int tries = 2; debt.Owed(); --tries) {
        if (tries == 0 || debt.misses >= kMissLimit || (tries == 1 && debt.missed)) return Debt::Kept;
        if (!Ping(debt, deadline, pass)) return Debt::Silent;
        const uint32_t wait = Wait(deadline, kWriteMs);
        if (wait == 0) return Debt::Silent;
        Send(debt, std::u16string(debt.Base()), wait);
        if (debt.unknown) return Debt::Silent;
    }
    return Debt::Settled;
}

bool CaptionWriter::Ping(const WindowCaption& record, uint64_t deadline, const CaptionPass& pass) {
    const auto asked = std::find_if(pinged_.begin(), pinged_.end(),
                                    [&](const auto& thread) { return thread.first == record.thread; });
    if (asked != pinged_.end()) return asked->second;
    const uint32_t wait = Wait(deadline, pass.ping_ms);
    const bool answered = wait != 0 && (pass.hung_too ? desktop_.AwaitAnswer(record.window, wait)
                                                      : desktop_.Answers(record.window, wait));
    pinged_.emplace_back(record.thread, answered);
    return answered;
}

bool CaptionWriter::Send(WindowCaption& record, const std::u16string& text, uint32_t wait_ms) {
    const std::u16string before = record.shows;
    switch (desktop_.WriteCaption(record.window, before, text, wait_ms)) {
    case CaptionWrite::Retitled:  // looked at afresh next time
        return false;
    case CaptionWrite::Unknown:
        record.Pending(before, text, desktop_.ReadCaption(record.window));
        // Its thread is busy: nothing more is sent to it in this round.
        for (auto& thread : pinged_) thread.second = thread.second && thread.first != record.thread;
        return false;
    case CaptionWrite::Answered:
        break;
    }
    return record.Took(before, text, desktop_.ReadCaption(record.window));
}

uint32_t CaptionWriter::Wait(uint64_t deadline, uint32_t most) {
    const uint64_t now = desktop_.Milliseconds();
    return now >= deadline ? 0 : static_cast<uint32_t>(std::min<uint64_t>(deadline - now, most));
}

void CaptionWriter::GiveBackAll() {
    if (ended_) return;
    ended_ = true;
    LetGo();
    const uint64_t deadline = desktop_.Milliseconds() + kExitWaitMs;
    for (WindowCaption& debt : owed_) debt.misses = 0;
    pinged_.clear();
    SettleDebts(deadline, kExitAtOnce);
    while (!owed_.empty() && desktop_.Milliseconds() < deadline) {
        pinged_.clear();
        SettleDebts(deadline, kExitRest);
    }
}

}  // namespace kronvik

#include "display/caption_writer.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace kronvik {

namespace {

using State = WindowCaption::State;

constexpr int32_t kMissLimit = 5;  // writing pauses from this many misses on
constexpr int32_t kMissCap = 10;
// The end of the program waits this long at most for owed windows to answer,
// in slices, so that one hung window does not starve the others.
constexpr uint64_t kExitWaitMs = 1750;
constexpr uint64_t kExitSliceMs = 100;
// The tick waits for no window: one that does not answer is asked again in
// the next tick.
constexpr uint64_t kNoDeadline = 0;

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
    if (settings_.DSP_FLAG == 2 || sending_ || ended_) return;
    DSPDRAW_CLASS tick;
    miss_count_ = TrackForeground(miss_count_);
    if (ended_) return;
    const int32_t unchanged = composer_.ComposeClockText(tick);
    // A new minute always clears the count, so a window that refused the
    // clock gets a fresh run of attempts.
    miss_count_ *= unchanged;
    if (miss_count_ < kMissLimit) {
        const int32_t due = check_schedule_ ? check_schedule_(tick) : 0;
        WriteCaption(due, tick);
    }
}

int32_t CaptionWriter::TrackForeground(int32_t count) {
    const WindowHandle foreground = desktop_.Foreground();
    const bool moved = foreground != tracked_.window;
    // The window that lost the foreground is given its caption back first.
    if (moved) LetGo();
    SettleDebts(foreground, kNoDeadline);
    if (ended_) return 0;
    if (!moved) return Follow(count);
    Adopt(foreground);
    return 0;
}

// The same window as in the last tick: the clock is there (count 0), or the
// window shows a title of its own, which becomes its own caption (count up).
// A window that has not answered since a write gives no verdict yet.
int32_t CaptionWriter::Follow(int32_t count) {
    const WindowHandle window = tracked_.window;
    if (tracked_.state == State::Unknown && !desktop_.Answers(window)) return count;
    const std::u16string& shown = desktop_.ReadCaption(window);
    if (tracked_.state == State::Unknown) tracked_.Resolve(shown);
    if (tracked_.ShowsOurs(shown)) return 0;
    tracked_.Adopt(shown);
    return count >= kMissCap - 1 ? kMissCap : count + 1;
}

void CaptionWriter::Adopt(WindowHandle foreground) {
    // A window still owed its caption comes back with what is known of it:
    // what it shows may be ours, and its own caption is the one owed.
    const auto owed = std::find_if(owed_.begin(), owed_.end(),
                                   [&](const WindowCaption& debt) { return debt.window == foreground; });
    if (owed != owed_.end()) {
        tracked_ = std::move(*owed);
        owed_.erase(owed);
        return;
    }
    tracked_ = WindowCaption{};
    tracked_.window = foreground;
    tracked_.Adopt(desktop_.ReadCaption(foreground));
}

void CaptionWriter::LetGo() {
    if (tracked_.state != State::Clean) owed_.push_back(std::move(tracked_));
    tracked_ = WindowCaption{};
}

void CaptionWriter::WriteCaption(int32_t due, DSPDRAW_CLASS& tick) {
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
    // A window that has not answered is sent nothing; one that shows this
    // text already is not made to repaint it.
    if (tracked_.state == State::Unknown) return;
    bool shown = IsCaption(tracked_.written, body, marker);
    if (!shown) {
        tick.CaptionText.assign(tracked_.own).append(u"   ").append(body).append(marker);
        PutClock(tick);
        shown = !ended_ && tracked_.state == State::Clocked && tracked_.written == tick.CaptionText;
    }
    if (shown && shown_) shown_(tick);
}

bool CaptionWriter::IsCaption(std::u16string_view text, std::u16string_view body, std::u16string_view marker) const {
    const std::u16string_view own = tracked_.own;
    return text.size() == own.size() + 3 + body.size() + marker.size() && text.starts_with(own) &&
           text.substr(own.size(), 3) == u"   " && text.substr(own.size() + 3, body.size()) == body &&
           text.ends_with(marker);
}

void CaptionWriter::PutClock(const DSPDRAW_CLASS& tick) {
    const std::u16string shown =
        tracked_.state == State::Clocked ? tracked_.written + tracked_.addition : tracked_.own;
    const CaptionWrite result = Send(tracked_, shown, tick.CaptionText, false);
    if (result == CaptionWrite::Written && !ended_)
        tracked_.Took(tick.CaptionText, desktop_.ReadCaption(tracked_.window));
}

void CaptionWriter::SettleDebts(WindowHandle skip, uint64_t deadline) {
    for (size_t i = 0; i < owed_.size();) {
        if (owed_[i].window == skip) {
            ++i;
            continue;
        }
        const bool settled = Settle(owed_[i], deadline);
        // The program ended inside a write: the end has settled everything.
        if (ended_) return;
        if (settled) {
            owed_.erase(owed_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

bool CaptionWriter::Settle(WindowCaption& debt, uint64_t deadline) {
    const WindowHandle window = debt.window;
    if (!desktop_.Exists(window)) return true;
    if (debt.state == State::Unknown) {
        if (deadline == kNoDeadline) {
            if (!desktop_.Answers(window)) return false;
        } else {
            const uint64_t now = desktop_.Milliseconds();
            if (now >= deadline || !desktop_.AwaitAnswer(window, static_cast<uint32_t>(
                                                                     std::min(deadline - now, kExitSliceMs))))
                return false;
        }
    }
    const std::u16string& shown = desktop_.ReadCaption(window);
    if (debt.state == State::Unknown) debt.Resolve(shown);
    // Anything but text of ours is a title of its own: nothing is owed any more.
    if (!debt.ShowsOurs(shown)) return true;
    return GiveBack(debt, shown);
}

bool CaptionWriter::GiveBack(WindowCaption& debt, const std::u16string& shown) {
    const std::u16string was(shown);  // the next read reuses the text read
    switch (Send(debt, was, debt.OwnToGiveBack(), true)) {
    case CaptionWrite::Written:
    case CaptionWrite::Refused:
        return true;
    case CaptionWrite::Retitled:  // looked at afresh next time
    case CaptionWrite::Unknown:   // waits for the window to answer
        break;
    }
    return false;
}

// The record is marked unknown while the write waits, so an end of the
// program that runs meanwhile treats the window as it must.
CaptionWrite CaptionWriter::Send(WindowCaption& record, const std::u16string& shown,
                                 const std::u16string& text, bool back) {
    const State before = record.state;
    record.state = State::Unknown;
    record.sent = text;
    record.sent_back = back;
    sending_ = true;
    const CaptionWrite result = desktop_.WriteCaption(record.window, shown, text);
    sending_ = false;
    // Ended inside the write: the records belong to the end now.
    if (ended_) return result;
    if (result != CaptionWrite::Unknown) record.state = before;
    return result;
}

void CaptionWriter::GiveBackAll() {
    if (ended_) return;
    LetGo();
    const uint64_t deadline = desktop_.Milliseconds() + kExitWaitMs;
    while (!owed_.empty() && desktop_.Milliseconds() < deadline) SettleDebts(0, deadline);
    ended_ = true;
}

}  // namespace kronvik

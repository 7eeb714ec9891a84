#include "display/caption_writer.h"

#include <limits>
#include <utility>

#include "platform/text.h"

namespace kronvik {

namespace {

constexpr int32_t kMissLimit = 5;   // writing pauses from this many misses on
constexpr int32_t kMissCap = 10;
// Ticks a window that was busy is still watched after it took its caption
// back: a write it had not taken may yet land late.
constexpr int32_t kOwedWatchTicks = 10;

int32_t CaptionSize(const std::u16string& caption) {
    constexpr size_t kMax = std::numeric_limits<int32_t>::max() - 1;
    return static_cast<int32_t>(caption.size() < kMax ? caption.size() : kMax) + 1;
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
    if (settings_.DSP_FLAG == 2) return;

    DSPDRAW_CLASS tick;
    if (owed_.window != 0) {
        Owed owed = std::exchange(owed_, Owed{});
        if (desktop_.ReadCaption(owed.window).find(owed.own_and_blanks) == std::u16string::npos) {
            if (++owed.quiet_ticks < kOwedWatchTicks) owed_ = std::move(owed);
        } else {
            owed.quiet_ticks = 0;
            if (Send(owed.window, owed.own) != CaptionWrite::Refused) owed_ = std::move(owed);
        }
    }
    miss_count_ = TrackForeground(miss_count_);
    const int32_t unchanged = composer_.ComposeClockText(tick);
    // A new minute always clears the count, so a window that refused the
    // clock gets a fresh run of attempts.
    miss_count_ *= unchanged;
    if (miss_count_ < kMissLimit) {
        const int32_t due = check_schedule_ ? check_schedule_(tick) : 0;
        WriteCaption(due, tick);
    }
    current_known_ = false;
}

int32_t CaptionWriter::TrackForeground(int32_t count) {
    const WindowHandle foreground = desktop_.Foreground();
    if (foreground != tracked_window_) {
        GiveBackCaption();
        tracked_window_ = foreground;
        added_.clear();
        current_caption_ = desktop_.ReadCaption(foreground);
        current_known_ = true;
        // A window still owed its caption may show text of this program: its
        // own caption is then the one owed, not what it shows.
        const bool owed = owed_.window == foreground &&
                          current_caption_.find(owed_.own_and_blanks) != std::u16string::npos;
        SaveCaption(owed ? owed_.own : current_caption_);
        written_ = owed;
        if (owed_.window == foreground) owed_ = Owed{};
        saved_caption_size_ = CaptionSize(saved_caption_);
        return 0;
    }

    current_caption_ = desktop_.ReadCaption(tracked_window_);
    current_known_ = true;
    LearnAdded(current_caption_);
    const int32_t size = CaptionSize(current_caption_);
    // Without "<own caption>   " in it the window has retitled itself or
    // refused the clock: what it shows now is its own caption.
    if (current_caption_.find(own_and_blanks_) == std::u16string::npos) {
        saved_caption_size_ = size;
        SaveCaption(current_caption_);
    }
    if (saved_caption_size_ != size) return 0;
    return count >= kMissCap - 1 ? kMissCap : count + 1;
}

void CaptionWriter::SaveCaption(const std::u16string& caption) {
    saved_caption_ = caption;
    own_and_blanks_.assign(saved_caption_).append(u"   ");
}

void CaptionWriter::RestoreCaption() { GiveBackCaption(); }

void CaptionWriter::GiveBackCaption() {
    if (!written_) return;
    Owed owed{tracked_window_, saved_caption_, own_and_blanks_};
    // A window that adds to any text it is given (an MDI frame its document)
    // added it to its own caption as read, too: given that back whole, it
    // would show the addition twice.
    if (!pending_) LearnAdded(desktop_.ReadCaption(tracked_window_));
    written_ = false;
    if (!added_.empty() && owed.own.ends_with(added_)) owed.own.resize(owed.own.size() - added_.size());
    // A write the window has not taken yet may still land when it answers
    // again; the caption given back then waits behind it.
    if (pending_) {
        if (Send(owed.window, owed.own) == CaptionWrite::Pending) owed_ = std::move(owed);
        return;
    }
    GiveBack(owed);
}

void CaptionWriter::GiveBack(const Owed& owed) {
    // Given back while the window still shows its own caption followed by
    // the three blanks; a window that retitled itself since, or is gone,
    // keeps whatever it shows. A window too busy to take it is asked again
    // in the next ticks.
    if (desktop_.ReadCaption(owed.window).find(owed.own_and_blanks) == std::u16string::npos) return;
    if (Send(owed.window, owed.own) == CaptionWrite::Pending) owed_ = owed;

}

void CaptionWriter::LearnAdded(const std::u16string& caption) {
    if (written_ && caption.size() > last_written_.size() && caption.starts_with(last_written_))
        added_.assign(caption, last_written_.size());
}

void CaptionWriter::WriteCaption(int32_t due, DSPDRAW_CLASS& tick) {
    tick.CaptionText = saved_caption_;
    tick.CaptionText += u"   ";
    if (due != 0) {
        // The due appointment replaces the clock for its whole minute.
        tick.CaptionText += Utf8ToUtf16(tick.ScheduleText);
    } else {
        tick.CaptionText += composer_.ClockText16();
        // Nothing is due: an alert's flashing ends at once.
        timer2_.SetInterval(0);
    }
    if (flags_.SyncRunning.load() != 0)
        tick.CaptionText += flags_.AutoSync.load() == 1 ? u"." : u" [ Internet Access ]";
    Write(tick.CaptionText);
}

void CaptionWriter::Write(const std::u16string& caption) {
    if (!current_known_) {
        current_caption_ = desktop_.ReadCaption(tracked_window_);
        current_known_ = true;
    }
    // The caption already carries this text: the miss count has seen the
    // clock present, and writing it again would only make the window repaint.
    if (current_caption_.starts_with(caption) && current_caption_.compare(caption.size(), std::u16string::npos, added_) == 0)
        return;
    pending_ = Send(tracked_window_, caption) == CaptionWrite::Pending;
    last_written_ = caption;
    written_ = true;
}

CaptionWrite CaptionWriter::Send(WindowHandle window, const std::u16string& caption) {
    const CaptionWrite result = desktop_.WriteCaption(window, caption);
    ++caption_writes_;
    current_known_ = false;
    return result;
}

}  // namespace kronvik

#pragma once
// The 500 ms display tick: follows the foreground window, writes
// "<own caption>   <clock text>" into it and gives every window its own
// caption back once the foreground has moved on.
//
// It decides from what each window shows, read back after every write, never
// from what the window answers. It writes only over what it has just read and
// recognised: the window's own caption or text of ours. A write that gets no
// answer leaves the window unknown until it answers again; every window that
// may show our text stays owed its caption until it shows a title of its
// own, is given it back, or is gone. A tick waits a bounded time in all,
// the window in front first.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "display/clock_text.h"
#include "display/dspdraw.h"
#include "display/window_caption.h"
#include "platform/desktop.h"
#include "platform/timer.h"
#include "settings/settings_record.h"
#include "timesync/sync_flags.h"

namespace kronvik {

// Answers non-zero and fills tick.ScheduleText when an appointment is due.
using ScheduleCheck = std::function<int32_t(DSPDRAW_CLASS& tick)>;
// Told after a tick in which the window in front was seen to show the tick's text
// (tick.ScheduleText holds the appointment text when one was shown).
using CaptionShown = std::function<void(const DSPDRAW_CLASS& tick)>;

// How a round over the windows owed their caption waits and writes.
struct CaptionPass {
    uint32_t ping_ms;    // the longest wait for one thread's answer
    bool hung_too;       // waits on a thread the system takes for hung
    bool keep_answered;  // keeps owing a window that answered but still shows our text
};

class CaptionWriter {
public:
    CaptionWriter(Desktop& desktop, ClockTextComposer& composer, const SettingsRecord& settings,
                  const SyncFlags& flags, Timer& timer2, ScheduleCheck check_schedule);

    // With DSP_FLAG 2 nothing is read or written; on the change to 2 every
    // caption of ours is given back once.
    void Timer1Timer();
    // The orderly end: every caption of ours is given back, first to every
    // window that answers at once, then waiting about two seconds at most for
    // the others. Nothing is written after.
    void GiveBackAll();
    void OnShown(CaptionShown shown) { shown_ = std::move(shown); }

    WindowHandle TrackedWindow() const { return tracked_.window; }

private:
    enum class Debt { Settled, Silent, Kept };
    enum class Seen { Nothing, Same, Changed };

    // The miss count for this tick: the foreground moved, the window shows
    // the text it took last, or it does not (a title of its own, a refusal).
    int32_t TrackForeground(int32_t count);
    int32_t Follow(int32_t count);
    void Adopt(WindowHandle foreground);
    void LetGo();
    // Reads the window, once it answers when a write to it is open: Nothing
    // when it gives no verdict yet, Changed when it set a title of its own.
    Seen Look(WindowCaption& record, uint64_t deadline, const CaptionPass& pass);
    // Composes "<own caption>   <clock or appointment>[marker]" into the tick
    // and writes it unless the window shows it already; due != 0 puts the
    // appointment in place of the clock. True when the window shows it.
    bool WriteCaption(int32_t due, DSPDRAW_CLASS& tick);
    void DisplayOff();
    // One round over the owed windows, from where the last one stopped,
    // until the deadline.
    void SettleDebts(uint64_t deadline, const CaptionPass& pass);
    Debt Settle(WindowCaption& debt, uint64_t deadline, const CaptionPass& pass);
    // Asks each window's thread once a round.
    bool Ping(const WindowCaption& record, uint64_t deadline, const CaptionPass& pass);
    // Writes, then reads back: true when the window took the text.
    bool Send(WindowCaption& record, const std::u16string& text, uint32_t wait_ms);
    uint32_t Wait(uint64_t deadline, uint32_t most);

    Desktop& desktop_;
    ClockTextComposer& composer_;
    const SettingsRecord& settings_;
    const SyncFlags& flags_;
    Timer& timer2_;
    ScheduleCheck check_schedule_;
    CaptionShown shown_;

    WindowCaption tracked_;
    std::vector<WindowCaption> owed_;
    std::vector<std::pair<uint32_t, bool>> pinged_;  // threads asked in this round, and their answer
    int32_t miss_count_ = 0;
    std::u16string appointment_;  // the due appointment's text, kept while the tick uses it
    bool displaying_ = false;
    bool ended_ = false;
};

}  // namespace kronvik

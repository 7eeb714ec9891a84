#pragma once
// The 500 ms display tick: follows the foreground window, writes
// "<own caption>   <clock text>" into it and gives every window its own
// caption back once the foreground has moved on.
//
// It writes only over what it has just read and recognised: the window's own
// caption or the text of ours it last saw the window take. A write that gets
// no answer leaves the window unknown until it answers again; every window
// that may show our text stays owed its caption until it shows a title of its
// own, is given it back, or is gone.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

class CaptionWriter {
public:
    CaptionWriter(Desktop& desktop, ClockTextComposer& composer, const SettingsRecord& settings,
                  const SyncFlags& flags, Timer& timer2, ScheduleCheck check_schedule);

    void Timer1Timer();
    void OnShown(CaptionShown shown) { shown_ = std::move(shown); }
    // The orderly end: every caption of ours is given back, waiting about two
    // seconds at most for windows that do not answer. Nothing is written after.
    void GiveBackAll();

    WindowHandle TrackedWindow() const { return tracked_.window; }

private:
    // The foreground moved, the clock is there, or the window shows a title
    // of its own: the miss count for this tick.
    int32_t TrackForeground(int32_t count);
    int32_t Follow(int32_t count);
    void Adopt(WindowHandle foreground);
    void LetGo();
    // Composes "<own caption>   <clock or appointment>[marker]" into the tick
    // and writes it unless the window already shows it; due != 0 puts the
    // appointment in place of the clock.
    void WriteCaption(int32_t due, DSPDRAW_CLASS& tick);
    // Whether text is "<own caption>   <body><marker>", without building it:
    // the steady tick compares and writes nothing.
    bool IsCaption(std::u16string_view text, std::u16string_view body, std::u16string_view marker) const;
    void PutClock(const DSPDRAW_CLASS& tick);
    // Settles what is owed to every window but `skip`; at the end the
    // windows that do not answer are waited for until `deadline`.
    void SettleDebts(WindowHandle skip, uint64_t deadline);
    // True when nothing more is owed to the window.
    bool Settle(WindowCaption& debt, uint64_t deadline);
    bool GiveBack(WindowCaption& debt, const std::u16string& shown);
    CaptionWrite Send(WindowCaption& record, const std::u16string& shown, const std::u16string& text,
                      bool back);

    Desktop& desktop_;
    ClockTextComposer& composer_;
    const SettingsRecord& settings_;
    const SyncFlags& flags_;
    Timer& timer2_;
    ScheduleCheck check_schedule_;
    CaptionShown shown_;

    WindowCaption tracked_;
    std::vector<WindowCaption> owed_;
    int32_t miss_count_ = 0;
    std::u16string appointment_;  // the due appointment's text, kept while the tick uses it
    bool sending_ = false;    // a write waits for its window: the tick is not run again inside it
    bool ended_ = false;
};

}  // namespace kronvik

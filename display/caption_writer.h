#pragma once
// The 500 ms display tick: follows the foreground window, keeps its own caption,
// writes "<own caption>   <clock text>" into it and gives the caption back when
// the foreground moves on.
#include <cstdint>
#include <functional>
#include <string>

#include "display/clock_text.h"
#include "display/dspdraw.h"
#include "platform/desktop.h"
#include "platform/timer.h"
#include "settings/settings_record.h"
#include "timesync/sync_flags.h"

namespace kronvik {

// Answers non-zero and fills tick.ScheduleText when an appointment is due.
using ScheduleCheck = std::function<int32_t(DSPDRAW_CLASS& tick)>;

class CaptionWriter {
public:
    CaptionWriter(Desktop& desktop, ClockTextComposer& composer, const SettingsRecord& settings,
                  const SyncFlags& flags, Timer& timer2, ScheduleCheck check_schedule);

    void Timer1Timer();
    int32_t TrackForeground(int32_t count);
    // Gives the tracked window its own caption back (orderly end of the program).
    void RestoreCaption();

    WindowHandle TrackedWindow() const { return tracked_window_; }
    const std::u16string& SavedCaption() const { return saved_caption_; }
    int32_t MissCount() const { return miss_count_; }
    uint64_t CaptionWrites() const { return caption_writes_; }

private:
    // Composes "<own caption>   <clock or appointment>[marker]" into the tick
    // and writes it; due != 0 puts the appointment in place of the clock.
    void WriteCaption(int32_t due, DSPDRAW_CLASS& tick);
    // Writes caption into the tracked window unless it already reads so.
    void Write(const std::u16string& caption);
    CaptionWrite Send(WindowHandle window, const std::u16string& caption);
    // Puts saved_caption_ back into the tracked window if it still shows what
    // this program wrote there.
    void GiveBackCaption();
    // A busy window's own caption, owed to it until it has shown it for a
    // while.
    struct Owed {
        WindowHandle window = 0;
        std::u16string own;
        std::u16string own_and_blanks;
        int32_t quiet_ticks = 0;  // ticks it has shown no text of this program since
    };
    void GiveBack(const Owed& owed);
    // Learns what the tracked window adds to the text it is given.
    void LearnAdded(const std::u16string& caption);
    // Takes caption as the tracked window's own.
    void SaveCaption(const std::u16string& caption);

    Desktop& desktop_;
    ClockTextComposer& composer_;
    const SettingsRecord& settings_;
    const SyncFlags& flags_;
    Timer& timer2_;
    ScheduleCheck check_schedule_;

    WindowHandle tracked_window_ = 0;
    std::u16string saved_caption_;
    std::u16string own_and_blanks_;  // saved_caption_ and the three blanks that follow it
    int32_t saved_caption_size_ = 0;
    int32_t miss_count_ = 0;
    bool written_ = false;  // this program has written into the tracked window
    bool pending_ = false;  // the window had not taken the last write when it returned
    std::u16string last_written_;  // the last text written into the tracked window
    std::u16string added_;         // what the tracked window adds to any text it is given
    Owed owed_;                    // a caption given back that a busy window has not taken yet
    std::u16string current_caption_;  // the tracked window's caption as read in this tick
    bool current_known_ = false;
    uint64_t caption_writes_ = 0;
};

}  // namespace kronvik

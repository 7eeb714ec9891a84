#pragma once
// Appointments whose minute passed unannounced - the computer slept, Kronvik
// was not running, or no window took the caption - are told afterwards: for
// a minute in the caption, the way a due one is, and in a balloon of the
// tray icon.
//
// What was told is remembered as one minute: every appointment up to it was
// announced. It moves with every tick whose caption was seen in the window in
// front, unless an appointment before that tick's minute was never shown; a
// balloon moves it over the appointments the balloon lists. It never moves
// back, so a clock set back does not tell again what was told before.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "display/dspdraw.h"
#include "platform/balloon.h"
#include "platform/desktop.h"
#include "schedule/schedule_store.h"

namespace kronvik {

inline constexpr char kMissedTitle[] = "見逃した予定";
inline constexpr size_t kMissedBalloonLines = 5;
inline constexpr uint64_t kMissedCaptionMs = 60000;

// "見逃した予定 MM/DD HH:MM text" of the earliest, with " ほか N 件" for the rest.
std::string MissedCaptionText(const std::vector<StoredAppointment>& missed);
// "MM/DD HH:MM text", one line for each of the first five.
std::string MissedBalloonText(const std::vector<StoredAppointment>& missed);

class MissedAlert {
public:
    // desktop gives the milliseconds that time the caption's minute.
    MissedAlert(ScheduleStore& store, Balloon& balloon, Desktop& desktop);

    // At start-up, on resume and after a clock change: the appointments
    // before now's minute that were never announced are told.
    void Look(const LocalTime& now);
    // What the caption carries after the due appointment while the
    // announcement lasts; empty otherwise.
    const std::string& Announcement();
    // The window in front showed the tick's text; due: the appointment of the
    // tick's minute was part of it.
    void Shown(const DSPDRAW_CLASS& tick, bool due);
    // The end of the program: a minute not written yet is written now.
    void Flush();

private:
    void Load();
    // The remembered minute, or the minute before the start of now's day.
    int64_t Through(int64_t now) const;
    // Stored after `after` and before `before`, and not shown in this run.
    std::vector<StoredAppointment> Unannounced(int64_t after, int64_t before);
    void MoveTo(int64_t minute);
    void WriteIfDue();

    ScheduleStore& store_;
    Balloon& balloon_;
    Desktop& desktop_;
    bool loaded_ = false;
    std::optional<int64_t> through_;
    bool unwritten_ = false;
    std::optional<uint64_t> written_at_;
    // Minutes after through_ whose appointment a caption showed in this run.
    std::set<int64_t> shown_;
    // The first appointment after through_ that no caption showed, once found.
    std::optional<int64_t> blocked_;
    std::string text_;
    int64_t text_covers_ = 0;  // the caption told every appointment up to this minute
    uint64_t text_until_ = 0;
};

}  // namespace kronvik

#include "schedule/missed_alert.h"

#include <algorithm>
#include <cstdio>

#include "platform/local_calendar.h"

namespace kronvik {
namespace {

constexpr int64_t kMinutesPerDay = 1440;
// The remembered minute is written at most this often; a later move waits.
constexpr uint64_t kWriteEveryMs = 60000;

// Minutes since 1970-01-01 00:00 of a local date and time, by the calendar
// alone: a day is always 1440 minutes here.
int64_t MinuteOf(const ScheduleTime& t) { return SecondsFromUtc(t.year, t.month, t.day, t.hour, t.minute, 0) / 60; }

int64_t MinuteOf(const LocalTime& t) { return MinuteOf(ScheduleTime{t.year, t.month, t.day, t.hour, t.minute}); }

ScheduleTime TimeOfMinute(int64_t minute) {
    const LocalTime t = UtcFromSeconds(minute * 60);
    return ScheduleTime{t.year, t.month, t.day, t.hour, t.minute};
}

std::string Line(const StoredAppointment& appointment) {
    char when[32];
    std::snprintf(when, sizeof when, "%02d/%02d %02d:%02d ", static_cast<int>(appointment.time.month),
                  static_cast<int>(appointment.time.day), static_cast<int>(appointment.time.hour),
                  static_cast<int>(appointment.time.minute));
    return when + appointment.text;
}

}  // namespace

std::string MissedCaptionText(const std::vector<StoredAppointment>& missed) {
    if (missed.empty()) return {};
    std::string text = std::string(kMissedTitle) + " " + Line(missed.front());
    if (missed.size() > 1) text += " ほか " + std::to_string(missed.size() - 1) + " 件";
    return text;
}

std::string MissedBalloonText(const std::vector<StoredAppointment>& missed) {
    std::string text;
    for (size_t i = 0; i < missed.size() && i < kMissedBalloonLines; ++i) {
        if (i > 0) text += '\n';
        text += Line(missed[i]);
    }
    return text;
}

MissedAlert::MissedAlert(ScheduleStore& store, Balloon& balloon, Desktop& desktop)
    : store_(store), balloon_(balloon), desktop_(desktop) {}

int64_t MissedAlert::Through(int64_t now) const {
    if (through_) return *through_;
    return now - (now % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay - 1;
}

std::vector<StoredAppointment> MissedAlert::Unannounced(int64_t after, int64_t before) {
    if (before - after < 2) return {};
    std::vector<StoredAppointment> found = store_.AppointmentsOfDays(TimeOfMinute(after + 1), TimeOfMinute(before - 1));
    std::erase_if(found, [&](const StoredAppointment& appointment) {
        const int64_t minute = MinuteOf(appointment.time);
        return minute <= after || minute >= before || shown_.contains(minute);
    });
    return found;
}

void MissedAlert::Load() {
    if (loaded_) return;
    loaded_ = true;
    if (const std::optional<ScheduleTime> stored = store_.ReadAnnounced()) through_ = MinuteOf(*stored);
}

void MissedAlert::Look(const LocalTime& now) {
    Load();
    const int64_t minute = MinuteOf(now);
    const std::vector<StoredAppointment> missed = Unannounced(Through(minute), minute);
    // The minute an appointment is due in belongs to the due announcement.
    if (missed.empty()) {
        MoveTo(minute - 1);
        return;
    }
    // Asked again while announcing (a resume is reported twice): only a newer
    // appointment makes a new announcement.
    if (!Announcement().empty() && MinuteOf(missed.back().time) <= text_covers_) return;
    text_ = MissedCaptionText(missed);
    text_covers_ = minute - 1;
    text_until_ = desktop_.Milliseconds() + kMissedCaptionMs;
    if (balloon_.ShowBalloon(kMissedTitle, MissedBalloonText(missed))) {
        // Beyond its five lines the balloon told nothing.
        MoveTo(missed.size() > kMissedBalloonLines ? MinuteOf(missed[kMissedBalloonLines].time) - 1 : minute - 1);
    }
}

const std::string& MissedAlert::Announcement() {
    if (!text_.empty() && desktop_.Milliseconds() >= text_until_) text_.clear();
    return text_;
}

void MissedAlert::Shown(const DSPDRAW_CLASS& tick, bool due) {
    Load();
    const int64_t minute = MinuteOf(tick.LocalTime);
    int64_t covered = Through(minute);
    // The caption names the earliest and counts the rest: all are told.
    if (!text_.empty() && tick.ScheduleText.ends_with(text_)) covered = std::max(covered, text_covers_);
    if (minute > covered) {
        if (due) shown_.insert(minute);
        // Up to this minute unless an appointment before it was shown nowhere;
        // one found stays in the way without the schedule being read each tick.
        if (!blocked_ || *blocked_ <= covered || *blocked_ >= minute) {
            const std::vector<StoredAppointment> left = Unannounced(covered, minute);
            blocked_.reset();
            if (!left.empty()) blocked_ = MinuteOf(left.front().time);
        }
        covered = blocked_ ? *blocked_ - 1 : minute;
    }
    MoveTo(covered);
    WriteIfDue();
}

void MissedAlert::MoveTo(int64_t minute) {
    if (through_ && minute <= *through_) return;
    through_ = minute;
    std::erase_if(shown_, [&](int64_t shown) { return shown <= minute; });
    unwritten_ = true;
    WriteIfDue();
}

void MissedAlert::WriteIfDue() {
    const uint64_t now = desktop_.Milliseconds();
    if (!unwritten_ || (written_at_ && now - *written_at_ < kWriteEveryMs)) return;
    Flush();
    written_at_ = now;
}

void MissedAlert::Flush() {
    if (!unwritten_ || !through_) return;
    store_.WriteAnnounced(TimeOfMinute(*through_));
    unwritten_ = false;
}

}  // namespace kronvik

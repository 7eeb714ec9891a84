#include "schedule/entry_presenter.h"

#include <array>
#include <cstddef>

#include "platform/cp932.h"
#include "platform/time_spin.h"
#include "schedule/schedule_menu.h"

namespace kronvik {
namespace {

constexpr char kWarningCaption[] = "警告";
constexpr char kNoText[] = "予定が入力されていません。";
constexpr char kPastTime[] = "時刻の設定に間違いがあります。（過去の時刻）";
constexpr char kNotStored[] = "予定を登録できませんでした。";

void WarnIn(EntryView* view, const char* text) {
    if (view) view->Warn(text, kWarningCaption);
}

}  // namespace

EntryPresenter::EntryPresenter(ScheduleStore& store, Clock& clock)
    : store_(store), clock_(clock) {}

bool EntryPresenter::Open(uint32_t id) {
    const int32_t day = static_cast<int32_t>(id / kScheduleIdsPerDay);
    const int32_t entry = static_cast<int32_t>(id % kScheduleIdsPerDay);
    if (day < 1 || day > static_cast<int32_t>(kUpcomingDayCount)) return false;
    if (entry > 0) {
        const DaySlot* slot = SlotOfDay(day - 1);
        if (slot == nullptr || entry > kMaxMenuAppointments ||
            static_cast<std::size_t>(entry) > slot->entries.size()) {
            return false;
        }
    }
    PrepareEntryDialog(day - 1, entry - 1);
    if (view_) view_->ShowAtCursor();
    return true;
}

const DaySlot* EntryPresenter::SlotOfDay(int32_t day_index) const {
    return menu_ ? DaySlotOf(menu_->dates, menu_->slots, day_index) : store_.SlotOfDay(day_index);
}

void EntryPresenter::PrepareEntryDialog(int32_t day_index, int32_t entry_index) {
    const UpcomingDates& dates = menu_ ? menu_->dates : store_.Dates();
    const UpcomingDate& date = dates[static_cast<std::size_t>(day_index)];
    chosen_ = ScheduleTime{date.year, date.month, date.day, 0, 0};
    std::string text;
    const DaySlot* slot = entry_index < 0 ? nullptr : SlotOfDay(day_index);
    opened_.reset();
    if (slot != nullptr && static_cast<std::size_t>(entry_index) < slot->entries.size()) {
        const ScheduleEntry& entry = slot->entries[static_cast<std::size_t>(entry_index)];
        chosen_.hour = entry.hour;
        chosen_.minute = entry.minute;
        text = entry.text;
        opened_ = AppointmentName{slot->full_key, entry.full_name};
    }
    initial_hour_ = chosen_.hour;
    initial_minute_ = chosen_.minute;
    if (view_) {
        view_->SetText(text);
        view_->EnableDelete(opened_.has_value());
    }
    ShowDigits();
}

void EntryPresenter::ShowDigits() {
    if (!view_) return;
    // A field outside its digits (a key edited by hand) shows its last digits.
    auto digit = [](int32_t value, int32_t place) {
        const int32_t d = (value / place) % 10;
        return d < 0 ? -d : d;
    };
    const ScheduleTime& t = chosen_;
    view_->ShowDigits(EntryDigits{digit(t.year, 1000), digit(t.year, 100), digit(t.year, 10),
                                  digit(t.year, 1), digit(t.month, 10), digit(t.month, 1),
                                  digit(t.day, 10), digit(t.day, 1), digit(t.hour, 10),
                                  digit(t.hour, 1), digit(t.minute, 10), digit(t.minute, 1)});
}

void EntryPresenter::SpinHour(bool up) {
    chosen_.hour = Stepped(chosen_.hour, up, kHourSpin);
    ShowDigits();
}

void EntryPresenter::SpinMinute(bool up) {
    chosen_.minute = Stepped(chosen_.minute, up, kMinuteSpin);
    ShowDigits();
}

int32_t EntryPresenter::CompareWithNow() const {
    const LocalTime now = clock_.Now();
    const std::array<int32_t, 5> current{now.year, now.month, now.day, now.hour, now.minute};
    const ScheduleTime& t = chosen_;
    const std::array<int32_t, 5> chosen{t.year, t.month, t.day, t.hour, t.minute};
    return current > chosen ? 1 : current < chosen ? -1 : 0;
}

void EntryPresenter::Button2Click() {
    const std::string text = view_ ? Cp932Prefix(view_->Text(), kAppointmentTextMaxBytes) : "";
    if (text.empty()) {
        WarnIn(view_, kNoText);
        return;
    }
    if (CompareWithNow() != -1) {
        WarnIn(view_, kPastTime);
        return;
    }
    // An appointment whose time stays is rewritten where it is stored, even
    // under a name not written the usual way; a new or moved one goes under
    // the names of its time.
    const bool same_time = chosen_.hour == initial_hour_ && chosen_.minute == initial_minute_;
    const AppointmentName target = opened_ && same_time ? *opened_ : CanonicalName(chosen_);
    // The new value is written first, so a failed write leaves the old
    // appointment where it was.
    if (!store_.StoreAppointment(target, text)) {
        WarnIn(view_, kNotStored);
        return;
    }
    // The dialog closes once the store holds what it shows.
    if (opened_ && *opened_ != target) {
        store_.DeleteScheduleValue(*opened_);
    } else {
        store_.LoadSchedule();
    }
    if (view_) view_->Hide();
}

void EntryPresenter::Button3Click() {
    // The appointment the dialog was opened on, wherever the spins are now.
    if (opened_) store_.DeleteScheduleValue(*opened_);
    if (view_) view_->Hide();
}

void EntryPresenter::Button1Click() {
    if (view_) view_->Hide();
}

}  // namespace kronvik

#pragma once
// The appointment entry dialog TForm3 without its window: the chosen date and
// time, the spin steps, Ok, Delete and Cancel. The Win32 view forwards its
// events here and shows what it is told.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "schedule/schedule_menu.h"
#include "schedule/schedule_store.h"

namespace kronvik {

// At most 30 full-width or 60 half-width characters.
inline constexpr std::size_t kAppointmentTextMaxBytes = 60;

// Digit pictures Image0000..Image0011: year (4), month, day, hour, minute (2 each).
inline constexpr std::size_t kEntryDigitCount = 12;
using EntryDigits = std::array<int32_t, kEntryDigitCount>;

class EntryView {
public:
    virtual ~EntryView() = default;
    virtual void ShowDigits(const EntryDigits& digits) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() = 0;
    virtual void EnableDelete(bool enabled) = 0;
    // A warning box (OK button, warning icon) owned by the dialog.
    virtual void Warn(const std::string& text, const std::string& caption) = 0;
    // Shows the dialog at the mouse cursor (moved when already open), kept
    // inside the work area of the cursor's monitor.
    virtual void ShowAtCursor() = 0;
    virtual void Hide() = 0;
};

class EntryPresenter {
public:
    EntryPresenter(ScheduleStore& store, Clock& clock);
    void AttachView(EntryView* view) { view_ = view; }

    // The tray menu is built from this load: the ids chosen from it are read
    // against it. Until a menu was shown, ids are read against the store's load.
    void MenuShown(ScheduleMenuLoad load) { menu_ = std::move(load); }
    // A schedule command id of the tray menu: 100 × p for a new appointment
    // on upcoming day p, 100 × p + e for its appointment e. Fills and shows
    // the dialog; false (and nothing happens) for an id the menu cannot have
    // produced.
    bool Open(uint32_t id);
    // day_index 0..13; entry_index -1 for a new appointment.
    void PrepareEntryDialog(int32_t day_index, int32_t entry_index);

    void CSpinButton1UpClick() { SpinHour(true); }
    void CSpinButton1DownClick() { SpinHour(false); }
    void CSpinButton2UpClick() { SpinMinute(true); }
    void CSpinButton2DownClick() { SpinMinute(false); }
    void Button2Click();  // Ok
    void Button3Click();  // Delete
    void Button1Click();  // Cancel

    // 1 when the chosen minute is earlier than the current one, -1 when it is
    // later, 0 when it is the current minute.
    int32_t CompareWithNow() const;

    const ScheduleTime& Chosen() const { return chosen_; }

private:
    void SpinHour(bool up);
    void SpinMinute(bool up);
    void ShowDigits();
    const DaySlot* SlotOfDay(int32_t day_index) const;

    ScheduleStore& store_;
    Clock& clock_;
    EntryView* view_ = nullptr;
    std::optional<ScheduleMenuLoad> menu_;
    ScheduleTime chosen_;
    int32_t initial_hour_ = 0;
    int32_t initial_minute_ = 0;
    // Where the appointment opened is stored, names as read; none for a new one.
    std::optional<AppointmentName> opened_;
};

}  // namespace kronvik

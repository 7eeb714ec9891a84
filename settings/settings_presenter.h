#pragma once
// The settings dialog TForm4 without its window: the working values, the
// spins and their enabling, the fill from the stored settings and Apply. The
// Win32 view creates the controls from the layout table, forwards their
// events here and does what it is told, control by control id.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/clock.h"
#include "platform/registry.h"
#include "resources/layout_settings.h"
#include "settings/settings_record.h"

namespace kronvik {

class SettingsView {
public:
    virtual ~SettingsView() = default;
    virtual void SetText(int32_t id, const std::string& text) = 0;
    virtual std::string Text(int32_t id) = 0;
    // Radio buttons, the check box and the method buttons (down = checked).
    virtual void SetChecked(int32_t id, bool checked) = 0;
    virtual bool Checked(int32_t id) = 0;
    virtual void SetEnabled(int32_t id, bool enabled) = 0;
    virtual void SetVisible(int32_t id, bool visible) = 0;
    virtual void SetDigit(int32_t image_id, int32_t digit) = 0;
    // The year display menu at the cursor: 1 Western, 2 era, 3 none, 0 nothing chosen.
    virtual int32_t TrackYearMenu() = 0;
    // The application's error box, in front of the dialog when it is open.
    virtual void ShowError(const std::string& text) = 0;
};

struct SettingsHooks {
    // The caption clock is composed anew at the next tick.
    std::function<void()> invalidate_clock;
    // After an Apply: the record as it was before, for the synchronisation to re-arm.
    std::function<void(const SettingsRecord& before)> applied;
};

class SettingsPresenter {
public:
    SettingsPresenter(Registry& registry, SettingsRecord& settings, Clock& clock, SettingsHooks hooks);
    void AttachView(SettingsView* view) { view_ = view; }

    // Once, when the dialog is created: the proxy fields, the working values
    // and the two radio groups from the settings just loaded.
    void FormCreate();
    // Reloads the settings (throws SettingsError) and shows them.
    void FillSettingsDialog();
    // The fill of the settings command; false when the settings could not be
    // read, which the error box then says.
    bool FillForShowing();

    void CSpinButton1UpClick() { Spin(settings_form::kCSpinButton1, true); }
    void CSpinButton1DownClick() { Spin(settings_form::kCSpinButton1, false); }
    void CSpinButton2UpClick() { Spin(settings_form::kCSpinButton2, true); }
    void CSpinButton2DownClick() { Spin(settings_form::kCSpinButton2, false); }
    void CSpinButton3UpClick() { Spin(settings_form::kCSpinButton3, true); }
    void CSpinButton3DownClick() { Spin(settings_form::kCSpinButton3, false); }
    // The synchronisation's radios enable the spins their choice uses.
    void RadioButton4Click() { EnableSpins(false, false); }
    void RadioButton5Click() { EnableSpins(false, false); }
    void RadioButton6Click() { EnableSpins(true, false); }
    void RadioButton9Click() { EnableSpins(false, true); }
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Button1Click();

private:
    // The working times from the record, as the store last gave them.
    void TakeStoredTimes();
    void ShowWeekButton();
    // Two digit pictures: the tens at tens_image, the ones at the id after it.
    void ShowDigits(int32_t tens_image, int32_t value);
    void ShowHour() { ShowDigits(settings_form::kImage0008, work_hour_); }
    void ShowMinute() { ShowDigits(settings_form::kImage0010, work_minute_); }
    void ShowPeriod() {
        ShowDigits(settings_form::kImage0012, work_mode_ == 0 ? work_period_minutes_ : work_period_hours_);
    }
    void EnableSpins(bool time, bool period);
    // A click on one of the three spins, kCSpinButton1..3.
    void Spin(int32_t id, bool up);
    // Checks one radio of a group and clears the others.
    void CheckOne(std::span<const int32_t> group, int32_t checked);
    // The position of a group's checked radio (the last one checked; 0 for none).
    int32_t CheckedIndex(std::span<const int32_t> group) const;
    // The settings as the dialog shows them; throws SettingsError for a
    // number that is not whole.
    SettingsRecord Chosen() const;
    void ShowMethod(int32_t mode);
    std::string YearCaption(int32_t year_sel, int32_t year) const;

    Registry& registry_;
    SettingsRecord& settings_;
    Clock& clock_;
    SettingsHooks hooks_;
    SettingsView* view_ = nullptr;
    int32_t work_hour_ = 0;
    int32_t work_minute_ = 0;
    int32_t work_period_hours_ = 0;
    int32_t work_period_minutes_ = 0;
    int32_t work_year_sel_ = 0;
    int32_t work_mode_ = 0;
};

}  // namespace kronvik

#include "settings/settings_presenter.h"

#include <cstdio>
#include <utility>

#include "platform/time_spin.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "settings/templates.h"

namespace kronvik {
namespace {

using namespace settings_form;

constexpr int32_t kDisplayRadios[] = {kRadioButton1, kRadioButton2, kRadioButton3};
// In the order of RUN_AND_RUN 0..3.
constexpr int32_t kSyncRadios[] = {kRadioButton4, kRadioButton5, kRadioButton6, kRadioButton9};
constexpr SpinSteps kPeriodMinuteSpin{5, 1, 60, 5, 60};
constexpr SpinSteps kPeriodHourSpin{1, 1, 24, 1, 24};

std::string TwoDigits(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
}

}  // namespace

SettingsPresenter::SettingsPresenter(Registry& registry, SettingsRecord& settings, Clock& clock,
                                     SettingsHooks hooks)
    : registry_(registry), settings_(settings), clock_(clock), hooks_(std::move(hooks)) {}

void SettingsPresenter::FormCreate() {
    const ProxyFields proxy = ReadProxyFields(registry_);
    TakeStoredTimes();
    if (!view_) return;
    view_->SetText(kEdit1, proxy.address);
    view_->SetText(kEdit2, proxy.port);
    // A value outside the choices keeps the design's choice.
    const int32_t display = settings_.DSP_FLAG >= 0 && settings_.DSP_FLAG <= 2
                                ? kDisplayRadios[settings_.DSP_FLAG]
                                : kRadioButton1;
    const int32_t sync = settings_.RUN_AND_RUN >= 0 && settings_.RUN_AND_RUN <= 3
                             ? kSyncRadios[settings_.RUN_AND_RUN]
                             : kRadioButton9;
    CheckOne(kDisplayRadios, display);
    CheckOne(kSyncRadios, sync);
    EnableSpins(sync == kRadioButton6, sync == kRadioButton9);
}

void SettingsPresenter::FillSettingsDialog() {
    LoadSettings(registry_, settings_);
    // What Apply saves is what the dialog shows.
    TakeStoredTimes();
    work_year_sel_ = settings_.YEAR_SEL;
    work_mode_ = settings_.MODE;
    if (!view_) return;
    for (const Setting& row : kSettings) {
        if (row.edit) view_->SetText(row.edit, row.text ? settings_.*row.text : std::to_string(settings_.*row.number));
        if (row.on) view_->SetChecked(row.on, settings_.*row.number != 0);
        if (row.off) view_->SetChecked(row.off, settings_.*row.number == 0);
    }
    ShowHour();
    ShowMinute();
    view_->SetText(kLabel3, LastSettingLabel(settings_.SET_TIME.Get()));
    ShowWeekButton();
    EnableSpins(view_->Checked(kRadioButton6), view_->Checked(kRadioButton9));
    const LocalTime now = clock_.Now();
    if (settings_.YEAR_SEL >= 0 && settings_.YEAR_SEL <= 2)
        view_->SetText(kSpeedButton2, YearCaption(settings_.YEAR_SEL, now.year));
    for (const auto& [label, value] : {std::pair{kLabel12, now.month}, std::pair{kLabel13, now.day},
                                       std::pair{kLabel14, now.hour}, std::pair{kLabel15, now.minute}})
        view_->SetText(label, TwoDigits(value));
    ShowMethod(settings_.MODE);
}

bool SettingsPresenter::FillForShowing() {
    try {
        FillSettingsDialog();
    } catch (const SettingsError& error) {
        if (!view_) throw;
        view_->ShowError(error.what());
        return false;
    }
    return true;
}

void SettingsPresenter::TakeStoredTimes() {
    work_hour_ = settings_.RUNTIME1;
    work_minute_ = settings_.RUNTIME2;
    work_period_hours_ = settings_.RUNTIME3;
    work_period_minutes_ = settings_.SNTPcycle;
}

void SettingsPresenter::ShowWeekButton() {
    view_->SetText(kSpeedButton1, settings_.WEEK_ON == 1 ? "曜日有り" : "曜日無し");
}

void SettingsPresenter::ShowDigits(int32_t tens_image, int32_t value) {
    if (!view_) return;
    // A hand-edited value outside two digits is shown clamped.
    const int32_t shown = value < 0 ? 0 : value > 99 ? 99 : value;
    view_->SetDigit(tens_image, shown / 10);
    view_->SetDigit(tens_image + 1, shown % 10);
}

void SettingsPresenter::EnableSpins(bool time, bool period) {
    if (!view_) return;
    view_->SetEnabled(kCSpinButton1, time);
    view_->SetEnabled(kCSpinButton2, time);
    view_->SetEnabled(kCSpinButton3, period);
}

void SettingsPresenter::CheckOne(std::span<const int32_t> group, int32_t checked) {
    for (const int32_t id : group) view_->SetChecked(id, id == checked);
}

void SettingsPresenter::ShowMethod(int32_t mode) {
    const bool sntp = mode == 0;
    view_->SetChecked(kSpeedButton3, sntp);
    view_->SetChecked(kSpeedButton4, !sntp);
    view_->SetVisible(kGroupBox6, sntp);
    view_->SetVisible(kGroupBox2, !sntp);
    view_->SetText(kLabel21, sntp ? "分" : "時間");
    view_->SetText(kPanel5, sntp ? "SNTP" : "HTTP");
    ShowPeriod();
}

std::string SettingsPresenter::YearCaption(int32_t year_sel, int32_t year) const {
    if (year_sel == 0) return std::to_string(year);
    if (year_sel == 1) return settings_.REKI + std::to_string(EraYear(year, settings_.REKI));
    return "----";
}

void SettingsPresenter::Spin(int32_t id, bool up) {
    if (id == kCSpinButton1) {
        work_hour_ = Stepped(work_hour_, up, kHourSpin);
        ShowHour();
    } else if (id == kCSpinButton2) {
        work_minute_ = Stepped(work_minute_, up, kMinuteSpin);
        ShowMinute();
    } else if (id == kCSpinButton3) {
        // The period steps minutes for SNTP and hours for HTTP.
        int32_t& period = work_mode_ == 0 ? work_period_minutes_ : work_period_hours_;
        period = Stepped(period, up, work_mode_ == 0 ? kPeriodMinuteSpin : kPeriodHourSpin);
        ShowPeriod();
    }
}


void SettingsPresenter::SpeedButton1Click() {
    // Takes effect in the caption at once; stored only by Apply.
    settings_.WEEK_ON = settings_.WEEK_ON == 0 ? 1 : 0;
    if (view_) ShowWeekButton();
    if (hooks_.invalidate_clock) hooks_.invalidate_clock();
}

void SettingsPresenter::SpeedButton2Click() {
    if (!view_) return;
    const int32_t choice = view_->TrackYearMenu();
    if (choice < 1 || choice > 3) return;
    work_year_sel_ = choice - 1;
    view_->SetText(kSpeedButton2, YearCaption(work_year_sel_, clock_.Now().year));
    if (hooks_.invalidate_clock) hooks_.invalidate_clock();
}

void SettingsPresenter::SpeedButton3Click() {
    work_mode_ = 0;
    work_period_minutes_ = settings_.SNTPcycle;
    if (view_) ShowMethod(0);
}

void SettingsPresenter::SpeedButton4Click() {
    work_mode_ = 1;
    work_period_hours_ = settings_.RUNTIME3;
    if (view_) ShowMethod(1);
}

void SettingsPresenter::Button1Click() {
    if (!view_) return;
    const SettingsRecord before = settings_;
    // The main window takes the method, the zero flag and the display at
    // once, even when the save stops part way.
    settings_.MODE = work_mode_;
    settings_.ZERO = view_->Checked(kRadioButton10) ? 1 : 0;
    settings_.DSP_FLAG = CheckedIndex(kDisplayRadios);
    try {
        SaveSettings(registry_, Chosen(), ProxyFields{view_->Text(kEdit1), view_->Text(kEdit2)});
        LoadSettings(registry_, settings_);
    } catch (const SettingsError& error) {
        view_->ShowError(error.what());
        return;
    }
    if (hooks_.applied) hooks_.applied(before);
}

SettingsRecord SettingsPresenter::Chosen() const {
    SettingsRecord chosen = settings_;
    // A number that is not whole stops here, before anything is stored.
    for (const Setting& row : kSettings) {
        if (row.edit && row.text) chosen.*row.text = view_->Text(row.edit);
        if (row.edit && row.number) chosen.*row.number = ParseWholeNumber(view_->Text(row.edit));
        if (row.on) chosen.*row.number = view_->Checked(row.on) ? 1 : 0;
    }
    chosen.RUN_AND_RUN = CheckedIndex(kSyncRadios);
    chosen.RUNTIME1 = work_hour_;
    chosen.RUNTIME2 = work_minute_;
    chosen.RUNTIME3 = work_period_hours_;
    chosen.SNTPcycle = work_period_minutes_;
    chosen.YEAR_SEL = work_year_sel_;
    return chosen;
}

int32_t SettingsPresenter::CheckedIndex(std::span<const int32_t> group) const {
    int32_t index = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(group.size()); ++i)
        if (view_->Checked(group[static_cast<std::size_t>(i)])) index = i;
    return index;
}

}  // namespace kronvik

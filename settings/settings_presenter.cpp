#include "settings/settings_presenter.h"

#include <cstdio>
#include <utility>

#include "resources/layout_settings.h"
#include "settings/settings_store.h"
#include "settings/templates.h"

namespace kronvik {
namespace {

using namespace settings_form;

constexpr int32_t kDisplayRadios[] = {kRadioButton1, kRadioButton2, kRadioButton3};
// In the order of RUN_AND_RUN 0..3.
constexpr int32_t kSyncRadios[] = {kRadioButton4, kRadioButton5, kRadioButton6, kRadioButton9};

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
    work_hour_ = settings_.RUNTIME1;
    work_minute_ = settings_.RUNTIME2;
    work_period_hours_ = settings_.RUNTIME3;
    work_period_minutes_ = settings_.SNTPcycle;
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
    work_hour_ = settings_.RUNTIME1;
    work_minute_ = settings_.RUNTIME2;
    work_period_hours_ = settings_.RUNTIME3;
    work_period_minutes_ = settings_.SNTPcycle;
    work_year_sel_ = settings_.YEAR_SEL;
    work_mode_ = settings_.MODE;
    if (!view_) return;
    ShowHour();
    ShowMinute();
    view_->SetText(kLabel3, LastSettingLabel(settings_.SET_TIME.Get()));
    view_->SetText(kSpeedButton1, settings_.WEEK_ON == 1 ? "曜日有り" : "曜日無し");
    view_->SetChecked(kRadioButton8, settings_.WEEK_TYPE == 0);
    view_->SetChecked(kRadioButton7, settings_.WEEK_TYPE != 0);
    view_->SetChecked(kRadioButton10, settings_.ZERO != 0);
    view_->SetChecked(kRadioButton11, settings_.ZERO == 0);
    view_->SetText(kEdit4, settings_.DAY_FORM1);
    view_->SetText(kEdit5, settings_.DAY_FORM2);
    view_->SetText(kEdit6, settings_.DAY_FORM3);
    view_->SetText(kEdit7, settings_.TIM_FORM1);
    view_->SetText(kEdit8, settings_.TIM_FORM2);
    view_->SetText(kEdit10, settings_.WEK_FORM_E1);
    view_->SetText(kEdit11, settings_.WEK_FORM_E2);
    view_->SetText(kEdit12, settings_.WEK_FORM_J1);
    view_->SetText(kEdit9, settings_.WEK_FORM_J2);
    view_->SetChecked(kCheckBox1, settings_.RUN_STOP != 0);
    view_->SetText(kEdit3, std::to_string(settings_.TIME_PLUS));
    EnableSpins(view_->Checked(kRadioButton6), view_->Checked(kRadioButton9));
    const LocalTime now = clock_.Now();
    if (settings_.YEAR_SEL >= 0 && settings_.YEAR_SEL <= 2)
        view_->SetText(kSpeedButton2, YearCaption(settings_.YEAR_SEL, now.year));
    view_->SetText(kLabel12, TwoDigits(now.month));
    view_->SetText(kLabel13, TwoDigits(now.day));
    view_->SetText(kLabel14, TwoDigits(now.hour));
    view_->SetText(kLabel15, TwoDigits(now.minute));
    view_->SetText(kEdit13, settings_.REKI);
    ShowMethod(settings_.MODE);
    view_->SetText(kEdit14, settings_.SNTP);
    view_->SetText(kEdit15, std::to_string(settings_.SNTPanswer));
    view_->SetText(kEdit16, settings_.MEMO);
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

void SettingsPresenter::CSpinButton1UpClick() {
    if (++work_hour_ >= 24) work_hour_ = 0;
    ShowHour();
}

void SettingsPresenter::CSpinButton1DownClick() {
    if (--work_hour_ < 0) work_hour_ = 23;
    ShowHour();
}

// Replacements, not modular arithmetic: 57 up gives 0, 3 down gives 55.
void SettingsPresenter::CSpinButton2UpClick() {
    work_minute_ += 5;
    if (work_minute_ >= 60) work_minute_ = 0;
    ShowMinute();
}

void SettingsPresenter::CSpinButton2DownClick() {
    work_minute_ -= 5;
    if (work_minute_ < 0) work_minute_ = 55;
    ShowMinute();
}

// The period steps minutes for SNTP and hours for HTTP.
void SettingsPresenter::CSpinButton3UpClick() {
    if (work_mode_ == 0) {
        work_period_minutes_ += 5;
        if (work_period_minutes_ > 60) work_period_minutes_ = 5;
    } else if (++work_period_hours_ > 24) {
        work_period_hours_ = 1;
    }
    ShowPeriod();
}

void SettingsPresenter::CSpinButton3DownClick() {
    if (work_mode_ == 0) {
        work_period_minutes_ -= 5;
        if (work_period_minutes_ <= 0) work_period_minutes_ = 60;
    } else if (--work_period_hours_ <= 0) {
        work_period_hours_ = 24;
    }
    ShowPeriod();
}

void SettingsPresenter::RadioButton4Click() { EnableSpins(false, false); }
void SettingsPresenter::RadioButton5Click() { EnableSpins(false, false); }
void SettingsPresenter::RadioButton6Click() { EnableSpins(true, false); }
void SettingsPresenter::RadioButton9Click() { EnableSpins(false, true); }

void SettingsPresenter::SpeedButton1Click() {
    // Takes effect in the caption at once; stored only by Apply.
    settings_.WEEK_ON = settings_.WEEK_ON == 0 ? 1 : 0;
    if (view_) view_->SetText(kSpeedButton1, settings_.WEEK_ON == 1 ? "曜日有り" : "曜日無し");
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
    settings_.MODE = work_mode_;
    settings_.ZERO = view_->Checked(kRadioButton10) ? 1 : 0;

    SaveInput in;
    for (int32_t i = 0; i < 3; ++i)
        if (view_->Checked(kDisplayRadios[i])) in.display = i;
    for (int32_t i = 0; i < 4; ++i)
        if (view_->Checked(kSyncRadios[i])) in.sync = i;
    in.run_stop = view_->Checked(kCheckBox1);
    in.work_hour = work_hour_;
    in.work_minute = work_minute_;
    in.work_period_hours = work_period_hours_;
    in.work_period_minutes = work_period_minutes_;
    in.work_year_sel = work_year_sel_;
    in.japanese_day_names = view_->Checked(kRadioButton7);
    in.sntp_method = view_->Checked(kSpeedButton3);
    in.proxy_address = view_->Text(kEdit1);
    in.proxy_port = view_->Text(kEdit2);
    in.year_separator = view_->Text(kEdit4);
    in.month_separator = view_->Text(kEdit5);
    in.day_separator = view_->Text(kEdit6);
    in.hour_separator = view_->Text(kEdit7);
    in.minute_separator = view_->Text(kEdit8);
    in.japanese_before = view_->Text(kEdit12);
    in.japanese_after = view_->Text(kEdit9);
    in.english_before = view_->Text(kEdit10);
    in.english_after = view_->Text(kEdit11);
    in.era_name = view_->Text(kEdit13);
    in.time_shift = view_->Text(kEdit3);
    in.server_name = view_->Text(kEdit14);
    in.reply_timeout = view_->Text(kEdit15);
    in.memo = view_->Text(kEdit16);
    try {
        SaveSettings(registry_, settings_, in);
        LoadSettings(registry_, settings_);
    } catch (const SettingsError& error) {
        view_->ShowError(error.what());
        return;
    }
    if (hooks_.applied) hooks_.applied(before);
}

}  // namespace kronvik

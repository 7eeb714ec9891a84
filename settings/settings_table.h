#pragma once
// One row per value of Software\Velk\FLAG that the record holds, in the order
// a reset writes them: its name, its default, its field and, for a value the
// settings dialog shows in a control of its own, that control. The defaults,
// the load, the save and the dialog's fill and Apply all go by these rows; a
// new setting is a field, a row and its control in the layout.
#include <cstdint>
#include <string>

#include "resources/layout_settings.h"
#include "settings/settings_record.h"

namespace kronvik {

inline constexpr char kDefaultSntpHost[] = "ntp.nict.jp";
inline constexpr char kDefaultSetTime[] = "----年--月--日--時--分--秒";

enum SettingFlags : uint32_t {
    kNotReloaded = 1 << 0,  // read at start-up only; the dialog's Apply sets it
    kRestored = 1 << 1,     // missing or mistyped, it is written back with its default instead of stopping the load
};

struct Setting {
    const char* name;
    // An integer's or a text's field; neither for SET_TIME, whose field is
    // guarded and which only the synchronisation writes.
    int32_t SettingsRecord::*number = nullptr;
    std::string SettingsRecord::*text = nullptr;
    int32_t number_default = 0;
    const char* text_default = nullptr;  // set for every text
    // The edit that shows it, an integer as a whole number, and the most code
    // page 932 bytes it takes; or the check box or radio button checked for
    // a non-zero value, and the radio button checked for 0.
    int32_t edit = 0;
    int32_t bytes = 0;
    int32_t on = 0;
    int32_t off = 0;
    // Apply writes it only with the synchronisation (RUN_AND_RUN) that uses it; -1: always.
    int32_t only_with_sync = -1;
    uint32_t flags = 0;
};

namespace setting_rows {
using R = SettingsRecord;
using namespace settings_form;
inline constexpr Setting kRows[] = {
    {.name = "DSP_FLAG", .number = &R::DSP_FLAG, .flags = kNotReloaded},
    {.name = "RUN_AND_RUN", .number = &R::RUN_AND_RUN},
    {.name = "RUN_STOP", .number = &R::RUN_STOP, .on = kCheckBox1},
    {.name = "SET_TIME", .text_default = kDefaultSetTime},
    {.name = "RUNTIME1", .number = &R::RUNTIME1, .only_with_sync = 2},
    {.name = "RUNTIME2", .number = &R::RUNTIME2, .only_with_sync = 2},
    {.name = "RUNTIME3", .number = &R::RUNTIME3, .number_default = 3, .only_with_sync = 3},
    {.name = "WEEK_ON", .number = &R::WEEK_ON, .number_default = 1},
    {.name = "WEEK_TYPE", .number = &R::WEEK_TYPE, .on = kRadioButton7, .off = kRadioButton8},
    {.name = "DAY_FORM", .text = &R::DAY_FORM, .text_default = "%04d年%02d月%02d日"},
    {.name = "DAY_FORM1", .text = &R::DAY_FORM1, .text_default = "年", .edit = kEdit4, .bytes = 2},
    {.name = "DAY_FORM2", .text = &R::DAY_FORM2, .text_default = "月", .edit = kEdit5, .bytes = 2},
    {.name = "DAY_FORM3", .text = &R::DAY_FORM3, .text_default = "日", .edit = kEdit6, .bytes = 2},
    {.name = "TIM_FORM", .text = &R::TIM_FORM, .text_default = "%02d時%02d分"},
    {.name = "TIM_FORM1", .text = &R::TIM_FORM1, .text_default = "時", .edit = kEdit7, .bytes = 2},
    {.name = "TIM_FORM2", .text = &R::TIM_FORM2, .text_default = "分", .edit = kEdit8, .bytes = 2},
    {.name = "WEK_FORM_J", .text = &R::WEK_FORM_J, .text_default = "%s曜日"},
    {.name = "WEK_FORM_J1", .text = &R::WEK_FORM_J1, .text_default = "", .edit = kEdit12, .bytes = 4},
    {.name = "WEK_FORM_J2", .text = &R::WEK_FORM_J2, .text_default = "曜日", .edit = kEdit9, .bytes = 4},
    {.name = "WEK_FORM_E", .text = &R::WEK_FORM_E, .text_default = "[ %s ]"},
    {.name = "WEK_FORM_E1", .text = &R::WEK_FORM_E1, .text_default = "[ ", .edit = kEdit10, .bytes = 4},
    {.name = "WEK_FORM_E2", .text = &R::WEK_FORM_E2, .text_default = " ]", .edit = kEdit11, .bytes = 4},
    {.name = "TIME_PLUS", .number = &R::TIME_PLUS, .edit = kEdit3, .bytes = 4},
    {.name = "YEAR_SEL", .number = &R::YEAR_SEL, .flags = kRestored},
    {.name = "REKI", .text = &R::REKI, .text_default = "平成", .edit = kEdit13, .bytes = 4},
    {.name = "ZERO", .number = &R::ZERO, .number_default = 1, .on = kRadioButton10, .off = kRadioButton11,
     .flags = kRestored},
    {.name = "MODE", .number = &R::MODE, .on = kSpeedButton4, .off = kSpeedButton3},
    {.name = "SNTP", .text = &R::SNTP, .text_default = kDefaultSntpHost, .edit = kEdit14},
    {.name = "SNTPanswer", .number = &R::SNTPanswer, .number_default = 3, .edit = kEdit15, .bytes = 4},
    {.name = "SNTPcycle", .number = &R::SNTPcycle, .number_default = 30},
    {.name = "MEMO", .text = &R::MEMO, .text_default = "Tanks! Download", .edit = kEdit16, .bytes = 40},
};
}  // namespace setting_rows

inline constexpr const auto& kSettings = setting_rows::kRows;

}  // namespace kronvik

#pragma once
// The appointment entry dialog TForm3: the date and time as digit pictures in
// sunken panels, the spins for hour and minute, the text and the three
// buttons. The presenter, the view and the tests name controls by the ids below.
#include "platform/layout.h"

namespace kronvik::entry_form {

using K = ControlKind;

inline constexpr int32_t kClientWidth = 363;
inline constexpr int32_t kClientHeight = 73;

inline constexpr int32_t kPanel1 = ControlId(K::Panel, 1), kPanel2 = ControlId(K::Panel, 2),
                         kPanel3 = ControlId(K::Panel, 3), kPanel4 = ControlId(K::Panel, 4),
                         kPanel5 = ControlId(K::Panel, 5);
// Image0000 .. Image0011, one id after another: the year's four digits, then
// two each for the month, the day, the hour and the minute.
inline constexpr int32_t kImage0000 = ControlId(K::Image, 0);
inline constexpr int32_t kLabel1 = ControlId(K::Label, 1), kLabel2 = ControlId(K::Label, 2),
                         kLabel3 = ControlId(K::Label, 3), kLabel4 = ControlId(K::Label, 4),
                         kLabel5 = ControlId(K::Label, 5);
inline constexpr int32_t kEdit1 = ControlId(K::Edit, 1);
inline constexpr int32_t kButton1 = ControlId(K::Button, 1);  // Cancel
inline constexpr int32_t kButton2 = ControlId(K::Button, 2);  // Ok
inline constexpr int32_t kButton3 = ControlId(K::Button, 3);  // Delete
inline constexpr int32_t kCSpinButton1 = ControlId(K::CSpinButton, 1), kCSpinButton2 = ControlId(K::CSpinButton, 2);

inline constexpr ControlSpec kLayout[] = {
    {K::Panel, 1, 0, "", 2, 4, 68, 25, kSunken},
    {K::Image, 0, kPanel1, "", 2, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 1, kPanel1, "", 18, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 2, kPanel1, "", 34, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 3, kPanel1, "", 50, 2, 16, 21, kCentreImage | kDigit},
    {K::Label, 1, 0, "年", 72, 11, 0, 0, kNoFlags},
    {K::Panel, 2, 0, "", 87, 4, 36, 25, kSunken},
    {K::Image, 4, kPanel2, "", 2, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 5, kPanel2, "", 18, 2, 16, 21, kCentreImage | kDigit},
    {K::Label, 2, 0, "月", 125, 11, 0, 0, kNoFlags},
    {K::Panel, 3, 0, "", 140, 4, 36, 25, kSunken},
    {K::Image, 6, kPanel3, "", 2, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 7, kPanel3, "", 18, 2, 16, 21, kCentreImage | kDigit},
    {K::Label, 3, 0, "日", 178, 11, 0, 0, kNoFlags},
    {K::Panel, 4, 0, "", 196, 4, 36, 25, kSunken},
    {K::Image, 8, kPanel4, "", 2, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 9, kPanel4, "", 18, 2, 16, 21, kCentreImage | kDigit},
    {K::CSpinButton, 1, 0, "", 233, 4, 15, 25, kNoFlags},
    {K::Label, 4, 0, "時", 250, 11, 0, 0, kNoFlags},
    {K::Panel, 5, 0, "", 265, 4, 36, 25, kSunken},
    {K::Image, 10, kPanel5, "", 2, 2, 16, 21, kCentreImage | kDigit},
    {K::Image, 11, kPanel5, "", 18, 2, 16, 21, kCentreImage | kDigit},
    {K::CSpinButton, 2, 0, "", 302, 4, 15, 25, kNoFlags},
    {K::Label, 5, 0, "分", 319, 11, 0, 0, kNoFlags},
    {K::Edit, 1, 0, "", 2, 32, 360, 19, kNoFlags},
    {K::Label, 6, 0, "全角３０文字　半角６０文字以内", 3, 58, 0, 0, kSmallText},
    {K::Button, 2, 0, "Ok", 196, 53, 52, 19, kNoFlags},
    {K::Button, 3, 0, "Delete", 252, 53, 52, 19, kNoFlags},
    {K::Button, 1, 0, "Cancel", 308, 53, 52, 19, kNoFlags},
};

// Each digit panel is named by the label after it; each spin by what it changes.
inline constexpr AccessibleEntry kAccessible[] = {
    {kPanel1, nullptr, kLabel1, 0, 0},
    {kPanel2, nullptr, kLabel2, 0, 0},
    {kPanel3, nullptr, kLabel3, 0, 0},
    {kPanel4, nullptr, kLabel4, 0, 0},
    {kPanel5, nullptr, kLabel5, 0, 0},
    {kCSpinButton1, nullptr, kLabel4, kPanel4, 0},
    {kCSpinButton2, nullptr, kLabel5, kPanel5, 0},
    {kEdit1, "予定", 0, 0, 0},
};

}  // namespace kronvik::entry_form

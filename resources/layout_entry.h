#pragma once
// The appointment entry dialog: the date and time as digit pictures in sunken
// panels, the spins for hour and minute, the text and the three buttons.
#include "platform/layout.h"

namespace kronvik {

inline constexpr int32_t kEntryClientWidth = 363;
inline constexpr int32_t kEntryClientHeight = 73;

inline constexpr int32_t kEntryYearPanel = ControlId(ControlKind::Panel, 1);
inline constexpr int32_t kEntryMonthPanel = ControlId(ControlKind::Panel, 2);
inline constexpr int32_t kEntryDayPanel = ControlId(ControlKind::Panel, 3);
inline constexpr int32_t kEntryHourPanel = ControlId(ControlKind::Panel, 4);
inline constexpr int32_t kEntryMinutePanel = ControlId(ControlKind::Panel, 5);

inline constexpr ControlSpec kEntryLayout[] = {
    {ControlKind::Panel, 1, 0, "", 2, 4, 68, 25, kSunken},
    {ControlKind::Image, 0, kEntryYearPanel, "", 2, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 1, kEntryYearPanel, "", 18, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 2, kEntryYearPanel, "", 34, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 3, kEntryYearPanel, "", 50, 2, 16, 21, kCentreImage},
    {ControlKind::Label, 1, 0, "年", 72, 11, 0, 0, kNoFlags},
    {ControlKind::Panel, 2, 0, "", 87, 4, 36, 25, kSunken},
    {ControlKind::Image, 4, kEntryMonthPanel, "", 2, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 5, kEntryMonthPanel, "", 18, 2, 16, 21, kCentreImage},
    {ControlKind::Label, 2, 0, "月", 125, 11, 0, 0, kNoFlags},
    {ControlKind::Panel, 3, 0, "", 140, 4, 36, 25, kSunken},
    {ControlKind::Image, 6, kEntryDayPanel, "", 2, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 7, kEntryDayPanel, "", 18, 2, 16, 21, kCentreImage},
    {ControlKind::Label, 3, 0, "日", 178, 11, 0, 0, kNoFlags},
    {ControlKind::Panel, 4, 0, "", 196, 4, 36, 25, kSunken},
    {ControlKind::Image, 8, kEntryHourPanel, "", 2, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 9, kEntryHourPanel, "", 18, 2, 16, 21, kCentreImage},
    {ControlKind::CSpinButton, 1, 0, "", 233, 4, 15, 25, kNoFlags},
    {ControlKind::Label, 4, 0, "時", 250, 11, 0, 0, kNoFlags},
    {ControlKind::Panel, 5, 0, "", 265, 4, 36, 25, kSunken},
    {ControlKind::Image, 10, kEntryMinutePanel, "", 2, 2, 16, 21, kCentreImage},
    {ControlKind::Image, 11, kEntryMinutePanel, "", 18, 2, 16, 21, kCentreImage},
    {ControlKind::CSpinButton, 2, 0, "", 302, 4, 15, 25, kNoFlags},
    {ControlKind::Label, 5, 0, "分", 319, 11, 0, 0, kNoFlags},
    {ControlKind::Edit, 1, 0, "", 2, 32, 360, 19, kNoFlags},
    {ControlKind::Label, 6, 0, "全角３０文字　半角６０文字以内", 3, 58, 0, 0, kSmallText},
    {ControlKind::Button, 2, 0, "Ok", 196, 53, 52, 19, kNoFlags},
    {ControlKind::Button, 3, 0, "Delete", 252, 53, 52, 19, kNoFlags},
    {ControlKind::Button, 1, 0, "Cancel", 308, 53, 52, 19, kNoFlags},
};

}  // namespace kronvik

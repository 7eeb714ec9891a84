#pragma once
// The about box: the logo on a black panel with the version over its
// top-right corner.
#include "platform/layout.h"

namespace kronvik {

inline constexpr int32_t kAboutClientWidth = 285;
inline constexpr int32_t kAboutClientHeight = 64;
inline constexpr int32_t kAboutLabelRight = 275;

inline constexpr ControlSpec kAboutLayout[] = {
    {ControlKind::Panel, 1, 0, "", 0, 0, 285, 64, kSunken | kBlack},
    {ControlKind::Image, 1, ControlId(ControlKind::Panel, 1), "", 2, 2, 281, 63, kNotify | kBlack},
    {ControlKind::Label, 1, ControlId(ControlKind::Panel, 1), "x", kAboutLabelRight, 3, 0, 0,
     kAlignRight | kBlack},
};

}  // namespace kronvik

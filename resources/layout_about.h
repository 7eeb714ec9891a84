#pragma once
// The about box TForm2: the logo on a black panel with the version over its
// top-right corner.
#include "platform/layout.h"

namespace kronvik::about_form {

using K = ControlKind;

inline constexpr int32_t kClientWidth = 285;
inline constexpr int32_t kClientHeight = 64;
inline constexpr int32_t kLabelRight = 275;

inline constexpr int32_t kPanel1 = ControlId(K::Panel, 1);
inline constexpr int32_t kImage1 = ControlId(K::Image, 1);
inline constexpr int32_t kLabel1 = ControlId(K::Label, 1);

inline constexpr ControlSpec kLayout[] = {
    {K::Panel, 1, 0, "", 0, 0, 285, 64, kSunken | kBlack},
    {K::Image, 1, kPanel1, "", 2, 2, 281, 63, kNotify | kBlack},
    {K::Label, 1, kPanel1, "x", kLabelRight, 3, 0, 0, kAlignRight | kBlack},
};

// The picture is the box's only button: a click closes the box.
inline constexpr AccessibleEntry kAccessible[] = {
    {kPanel1, "バージョン情報", 0, 0, 0},
    {kImage1, "閉じる", 0, 0, 0},
};

}  // namespace kronvik::about_form

#pragma once
// The settings dialog: the tab pages, the proxy fields and the labels that the
// synchronisation reports into.
#include "platform/layout.h"

namespace kronvik {

inline constexpr int32_t kSettingsClientWidth = 346;
inline constexpr int32_t kSettingsClientHeight = 300;
inline constexpr int32_t kPageModeId = ControlId(ControlKind::TabPage, 1);
inline constexpr int32_t kPageBasicId = ControlId(ControlKind::TabPage, 2);
inline constexpr int32_t kPageOptionsId = ControlId(ControlKind::TabPage, 3);

inline constexpr const char* kSettingsPageTitles[] = {"モード", "基本項目", "オプション"};

inline constexpr ControlSpec kSettingsLayout[] = {
    {ControlKind::PageControl, 1, 0, "", 0, 0, 346, 265, kNoFlags},
    // The pages cover the tab control's display area; the view fits them to it.
    {ControlKind::TabPage, 1, 0, "", 0, 0, 0, 0, kNoFlags},
    {ControlKind::TabPage, 2, 0, "", 0, 0, 0, 0, kHidden},
    {ControlKind::TabPage, 3, 0, "", 0, 0, 0, 0, kHidden},
    // Mode page
    {ControlKind::Label, 27, kPageModeId, "", 48, 200, 249, 17, kAlignCenter | kRedText},
    // Basic items page
    {ControlKind::GroupBox, 2, kPageBasicId, " プロキシ サーバ アドレス ", 128, 2, 209, 88, kHidden},
    {ControlKind::Label, 1, ControlId(ControlKind::GroupBox, 2), "サーバアドレス", 8, 18, 0, 0, kNoFlags},
    {ControlKind::Edit, 1, ControlId(ControlKind::GroupBox, 2), "", 8, 32, 193, 20, kNoFlags},
    {ControlKind::Label, 2, ControlId(ControlKind::GroupBox, 2), "ポート", 100, 61, 0, 0, kNoFlags},
    {ControlKind::Edit, 2, ControlId(ControlKind::GroupBox, 2), "", 136, 56, 65, 20, kNoFlags},
    // Below the pages
    {ControlKind::Label, 6, 0, "前回の日付時刻合わせは、", 10, 271, 0, 0, kNoFlags},
    {ControlKind::Label, 3, 0, "", 13, 284, 240, 15, kNoFlags},
};

}  // namespace kronvik

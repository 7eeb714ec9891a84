#pragma once
// The settings dialog: three tab pages, the Apply button, the last-setting
// labels and the method panel. Positions are those of the design, in pixels
// within the parent; a width of 0 sizes the control to its text.
#include "platform/layout.h"

namespace kronvik {

inline constexpr int32_t kSettingsClientWidth = 346;
inline constexpr int32_t kSettingsClientHeight = 300;
inline constexpr int32_t kPageModeId = ControlId(ControlKind::TabPage, 1);
inline constexpr int32_t kPageBasicId = ControlId(ControlKind::TabPage, 2);
inline constexpr int32_t kPageOptionsId = ControlId(ControlKind::TabPage, 3);

inline constexpr const char* kSettingsPageTitles[] = {"モード", "基本項目", "オプション"};

namespace settings_layout {
using K = ControlKind;
constexpr int32_t G1 = ControlId(K::GroupBox, 1), G2 = ControlId(K::GroupBox, 2),
                  G3 = ControlId(K::GroupBox, 3), G4 = ControlId(K::GroupBox, 4),
                  G5 = ControlId(K::GroupBox, 5), G6 = ControlId(K::GroupBox, 6);
constexpr int32_t P1 = ControlId(K::Panel, 1), P2 = ControlId(K::Panel, 2), P3 = ControlId(K::Panel, 3),
                  P4 = ControlId(K::Panel, 4), P13 = ControlId(K::Panel, 13),
                  P14 = ControlId(K::Panel, 14);
constexpr int32_t Mode = kPageModeId, Basic = kPageBasicId, Options = kPageOptionsId;
}  // namespace settings_layout

inline constexpr ControlSpec kSettingsLayout[] = {
#define L settings_layout
    {ControlKind::PageControl, 1, 0, "", 0, 0, 346, 265, kNoFlags},
    // The pages cover the tab control's display area; the view fits them to it.
    {ControlKind::TabPage, 1, 0, "", 0, 0, 0, 0, kNoFlags},
    {ControlKind::TabPage, 2, 0, "", 0, 0, 0, 0, kHidden},
    {ControlKind::TabPage, 3, 0, "", 0, 0, 0, 0, kHidden},
    // Mode page
    {ControlKind::SpeedButton, 3, L::Mode, "SNTP", 24, 72, 129, 65, kPushLike | kGroupStart},
    {ControlKind::SpeedButton, 4, L::Mode, "HTTP", 184, 72, 129, 65, kPushLike},
    {ControlKind::Label, 23, L::Mode, "SNTPサーバを利用した", 28, 142, 0, 0, kGroupStart},
    {ControlKind::Label, 24, L::Mode, "時刻合わせが可能です。", 27, 157, 0, 0, kNoFlags},
    {ControlKind::Label, 25, L::Mode, "HTTPを利用した", 208, 142, 0, 0, kNoFlags},
    {ControlKind::Label, 26, L::Mode, "時刻合わせが可能です。", 187, 157, 0, 0, kNoFlags},
    {ControlKind::Label, 27, L::Mode, "", 48, 200, 249, 17, kAlignCenter | kRedText},
    // Basic items page
    {ControlKind::GroupBox, 1, L::Basic, " 時刻表示 ", 0, 2, 121, 88, kNoFlags},
    {ControlKind::RadioButton, 1, L::G1, "日付 + 時刻", 8, 16, 0, 0, kGroupStart},
    {ControlKind::RadioButton, 2, L::G1, "時刻のみ", 8, 40, 0, 0, kNoFlags},
    {ControlKind::RadioButton, 3, L::G1, "表示なし", 8, 64, 0, 0, kNoFlags},
    {ControlKind::GroupBox, 2, L::Basic, " プロキシ サーバ アドレス ", 128, 2, 209, 88, kHidden},
    {ControlKind::Label, 1, L::G2, "サーバアドレス", 8, 18, 0, 0, kNoFlags},
    {ControlKind::Edit, 1, L::G2, "", 8, 32, 193, 20, kGroupStart},
    {ControlKind::Label, 2, L::G2, "ポート", 100, 61, 0, 0, kNoFlags},
    {ControlKind::Edit, 2, L::G2, "", 136, 56, 65, 20, kGroupStart},
    {ControlKind::GroupBox, 6, L::Basic, " ＳＮＴＰサーバ　", 128, 2, 209, 88, kNoFlags},
    {ControlKind::Label, 16, L::G6, "サーバ名称", 8, 18, 0, 0, kNoFlags},
    {ControlKind::Edit, 14, L::G6, "", 8, 32, 193, 20, kGroupStart},
    {ControlKind::Label, 22, L::G6, "応答許容時間(秒)", 34, 61, 0, 0, kNoFlags},
    {ControlKind::Edit, 15, L::G6, "", 136, 56, 65, 20, kGroupStart},
    {ControlKind::GroupBox, 3, L::Basic, " 自動日付時刻　設定 ", 0, 100, 337, 131, kNoFlags},
    {ControlKind::RadioButton, 4, L::G3, "自動で日付時刻合わせを行わない。（手動で行う。）", 8, 16, 0, 0, kGroupStart},
    {ControlKind::RadioButton, 5, L::G3, "インターネット接続時一回だけ日付時刻を合わせる。", 8, 40, 0, 0, kNoFlags},
    {ControlKind::RadioButton, 9, L::G3, "一定の周期で日付時刻を合わせる。", 8, 64, 0, 0, kNoFlags},
    {ControlKind::RadioButton, 6, L::G3, "指定時刻に日付時刻を合わせる。", 8, 88, 0, 0, kNoFlags},
    {ControlKind::Panel, 2, L::G3, "", 260, 60, 33, 22, kSunken},
    {ControlKind::Image, 12, L::P2, "", 0, 0, 16, 21, kCentreImage},
    {ControlKind::Image, 13, L::P2, "", 16, 0, 16, 21, kCentreImage},
    {ControlKind::CSpinButton, 3, L::G3, "", 293, 61, 15, 21, kGroupStart},
    {ControlKind::Label, 21, L::G3, "時間", 310, 71, 0, 0, kNoFlags},
    {ControlKind::Panel, 13, L::G3, "", 207, 84, 33, 22, kSunken},
    {ControlKind::Image, 8, L::P13, "", 0, 0, 16, 21, kCentreImage},
    {ControlKind::Image, 9, L::P13, "", 16, 0, 16, 21, kCentreImage},
    {ControlKind::CSpinButton, 1, L::G3, "", 240, 85, 15, 21, kNoFlags},
    {ControlKind::Label, 4, L::G3, "時", 258, 96, 0, 0, kNoFlags},
    {ControlKind::Panel, 14, L::G3, "", 272, 84, 33, 22, kSunken},
    {ControlKind::Image, 10, L::P14, "", 0, 0, 16, 21, kCentreImage},
    {ControlKind::Image, 11, L::P14, "", 16, 0, 16, 21, kCentreImage},
    {ControlKind::CSpinButton, 2, L::G3, "", 305, 85, 15, 21, kNoFlags},
    {ControlKind::Label, 5, L::G3, "分", 322, 96, 0, 0, kNoFlags},
    {ControlKind::CheckBox, 1, L::Basic, "時刻合わせ終了後に、本プログラムを終了させる。", 48, 210, 281, 17, kGroupStart},
    // Options page
    {ControlKind::GroupBox, 4, L::Options, " 表示フォーマット ", 0, 2, 337, 167, kNoFlags},
    {ControlKind::SpeedButton, 2, L::G4, "平成14", 8, 16, 45, 20, kGroupStart},
    {ControlKind::Edit, 4, L::G4, "年", 56, 16, 20, 20, kGroupStart},
    {ControlKind::Label, 12, L::G4, "04", 80, 24, 0, 0, kNoFlags},
    {ControlKind::Edit, 5, L::G4, "月", 96, 16, 20, 20, kGroupStart},
    {ControlKind::Label, 13, L::G4, "01", 120, 24, 0, 0, kNoFlags},
    {ControlKind::Edit, 6, L::G4, "日", 136, 16, 20, 20, kGroupStart},
    {ControlKind::SpeedButton, 1, L::G4, "曜日有り", 168, 16, 49, 20, kFlat | kBlueText | kGroupStart},
    {ControlKind::Label, 14, L::G4, "12", 224, 24, 0, 0, kNoFlags},
    {ControlKind::Edit, 7, L::G4, "時", 240, 16, 20, 20, kGroupStart},
    {ControlKind::Label, 15, L::G4, "00", 264, 24, 0, 0, kNoFlags},
    {ControlKind::Edit, 8, L::G4, "分", 280, 16, 20, 20, kGroupStart},
    {ControlKind::Panel, 3, L::G4, "", 8, 48, 65, 57, kSunken},
    {ControlKind::Label, 7, L::P3, "和暦表記", 8, 8, 0, 0, kBlueText},
    {ControlKind::Edit, 13, L::P3, "平成", 16, 32, 33, 20, kGroupStart},
    {ControlKind::Panel, 1, L::G4, "", 80, 48, 246, 57, kSunken},
    {ControlKind::Label, 17, L::P1, "曜日 →", 8, 10, 0, 0, kBlueText},
    {ControlKind::RadioButton, 7, L::P1, "和表記", 72, 8, 0, 0, kGroupStart},
    {ControlKind::RadioButton, 8, L::P1, "英表記", 72, 32, 0, 0, kNoFlags},
    {ControlKind::Edit, 12, L::P1, "", 136, 7, 33, 20, kGroupStart},
    {ControlKind::Label, 18, L::P1, "日", 178, 11, 0, 0, kBold},
    {ControlKind::Edit, 9, L::P1, "曜日", 200, 7, 33, 20, kGroupStart},
    {ControlKind::Edit, 10, L::P1, "(", 136, 31, 33, 20, kGroupStart},
    {ControlKind::Label, 19, L::P1, "Sun", 174, 34, 0, 0, kBold},
    {ControlKind::Edit, 11, L::P1, ")", 200, 31, 33, 20, kGroupStart},
    {ControlKind::Panel, 4, L::G4, "", 8, 112, 321, 25, kSunken},
    {ControlKind::Label, 20, L::P4, "ゼロサプレス", 8, 6, 0, 0, kNoFlags},
    {ControlKind::RadioButton, 10, L::P4, "ON", 128, 4, 0, 0, kGroupStart},
    {ControlKind::RadioButton, 11, L::P4, "OFF", 224, 4, 0, 0, kNoFlags},
    {ControlKind::Label, 9, L::G4, "MEMO", 8, 145, 0, 0, kGroupStart},
    {ControlKind::Edit, 16, L::G4, "", 48, 141, 281, 20, kGroupStart},
    {ControlKind::GroupBox, 5, L::Options, " 時刻シフト ", 0, 176, 337, 55, kNoFlags},
    {ControlKind::Label, 10, L::G5, "この機能は、自動時刻合わせ時に、時刻を", 8, 17, 0, 0, kNoFlags},
    {ControlKind::Edit, 3, L::G5, "0", 256, 12, 57, 20, kGroupStart},
    {ControlKind::Label, 11, L::G5, "分", 320, 14, 0, 0, kNoFlags},
    {ControlKind::Label, 8, L::G5, "進めたい・遅らせたいなど時刻をシフトさせたい時に使用します。", 8, 36, 0, 0, kNoFlags},
    // Outside the pages
    {ControlKind::Label, 6, 0, "前回の日付時刻合わせは、", 10, 271, 0, 0, kSmallText},
    {ControlKind::Label, 3, 0, "", 13, 284, 0, 0, kSmallText},
    {ControlKind::Button, 1, 0, "適用", 264, 272, 81, 25, kGroupStart},
    {ControlKind::Panel, 5, 0, "MODE", 304, 0, 41, 17, kTealTitle},
#undef L
};

// Byte limits (code page 932) of the edits that have one.
struct EditLimit {
    int32_t id;
    int32_t bytes;
};
inline constexpr EditLimit kSettingsEditLimits[] = {
    {ControlId(ControlKind::Edit, 4), 2},  {ControlId(ControlKind::Edit, 5), 2},
    {ControlId(ControlKind::Edit, 6), 2},  {ControlId(ControlKind::Edit, 7), 2},
    {ControlId(ControlKind::Edit, 8), 2},  {ControlId(ControlKind::Edit, 13), 4},
    {ControlId(ControlKind::Edit, 12), 4}, {ControlId(ControlKind::Edit, 9), 4},
    {ControlId(ControlKind::Edit, 10), 4}, {ControlId(ControlKind::Edit, 11), 4},
    {ControlId(ControlKind::Edit, 16), 40}, {ControlId(ControlKind::Edit, 3), 4},
    {ControlId(ControlKind::Edit, 15), 4},
};

}  // namespace kronvik

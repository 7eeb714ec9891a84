#pragma once
// The settings dialog TForm4: three tab pages, the Apply button, the
// last-setting labels and the method panel. Positions are those of the design,
// in pixels within the parent; a width of 0 sizes the control to its text.
// The presenter, the view and the tests name controls by the ids below.
#include "platform/layout.h"

namespace kronvik::settings_form {

using K = ControlKind;

inline constexpr int32_t kClientWidth = 346;
inline constexpr int32_t kClientHeight = 300;

inline constexpr int32_t kPageControl1 = ControlId(K::PageControl, 1);
// The pages, in the order of their tabs.
inline constexpr int32_t kTabPage1 = ControlId(K::TabPage, 1), kTabPage2 = ControlId(K::TabPage, 2),
                         kTabPage3 = ControlId(K::TabPage, 3);
inline constexpr int32_t kPages[] = {kTabPage1, kTabPage2, kTabPage3};
inline constexpr const char* kPageTitles[] = {"モード", "基本項目", "オプション"};

inline constexpr int32_t kLabel1 = ControlId(K::Label, 1), kLabel2 = ControlId(K::Label, 2),
                         kLabel4 = ControlId(K::Label, 4), kLabel5 = ControlId(K::Label, 5),
                         kLabel7 = ControlId(K::Label, 7), kLabel9 = ControlId(K::Label, 9),
                         kLabel11 = ControlId(K::Label, 11), kLabel16 = ControlId(K::Label, 16),
                         kLabel17 = ControlId(K::Label, 17), kLabel20 = ControlId(K::Label, 20),
                         kLabel22 = ControlId(K::Label, 22);
inline constexpr int32_t kLabel3 = ControlId(K::Label, 3), kLabel12 = ControlId(K::Label, 12),
                         kLabel13 = ControlId(K::Label, 13), kLabel14 = ControlId(K::Label, 14),
                         kLabel15 = ControlId(K::Label, 15), kLabel21 = ControlId(K::Label, 21),
                         kLabel27 = ControlId(K::Label, 27);
inline constexpr int32_t kEdit1 = ControlId(K::Edit, 1), kEdit2 = ControlId(K::Edit, 2),
                         kEdit3 = ControlId(K::Edit, 3), kEdit4 = ControlId(K::Edit, 4),
                         kEdit5 = ControlId(K::Edit, 5), kEdit6 = ControlId(K::Edit, 6),
                         kEdit7 = ControlId(K::Edit, 7), kEdit8 = ControlId(K::Edit, 8),
                         kEdit9 = ControlId(K::Edit, 9), kEdit10 = ControlId(K::Edit, 10),
                         kEdit11 = ControlId(K::Edit, 11), kEdit12 = ControlId(K::Edit, 12),
                         kEdit13 = ControlId(K::Edit, 13), kEdit14 = ControlId(K::Edit, 14),
                         kEdit15 = ControlId(K::Edit, 15), kEdit16 = ControlId(K::Edit, 16);
inline constexpr int32_t kButton1 = ControlId(K::Button, 1);
inline constexpr int32_t kRadioButton1 = ControlId(K::RadioButton, 1), kRadioButton2 = ControlId(K::RadioButton, 2),
                         kRadioButton3 = ControlId(K::RadioButton, 3), kRadioButton4 = ControlId(K::RadioButton, 4),
                         kRadioButton5 = ControlId(K::RadioButton, 5), kRadioButton6 = ControlId(K::RadioButton, 6),
                         kRadioButton7 = ControlId(K::RadioButton, 7), kRadioButton8 = ControlId(K::RadioButton, 8),
                         kRadioButton9 = ControlId(K::RadioButton, 9), kRadioButton10 = ControlId(K::RadioButton, 10),
                         kRadioButton11 = ControlId(K::RadioButton, 11);
inline constexpr int32_t kCheckBox1 = ControlId(K::CheckBox, 1);
inline constexpr int32_t kSpeedButton1 = ControlId(K::SpeedButton, 1), kSpeedButton2 = ControlId(K::SpeedButton, 2),
                         kSpeedButton3 = ControlId(K::SpeedButton, 3), kSpeedButton4 = ControlId(K::SpeedButton, 4);
inline constexpr int32_t kCSpinButton1 = ControlId(K::CSpinButton, 1), kCSpinButton2 = ControlId(K::CSpinButton, 2),
                         kCSpinButton3 = ControlId(K::CSpinButton, 3);
inline constexpr int32_t kGroupBox1 = ControlId(K::GroupBox, 1), kGroupBox2 = ControlId(K::GroupBox, 2),
                         kGroupBox3 = ControlId(K::GroupBox, 3), kGroupBox4 = ControlId(K::GroupBox, 4),
                         kGroupBox5 = ControlId(K::GroupBox, 5), kGroupBox6 = ControlId(K::GroupBox, 6);
inline constexpr int32_t kPanel1 = ControlId(K::Panel, 1), kPanel2 = ControlId(K::Panel, 2),
                         kPanel3 = ControlId(K::Panel, 3), kPanel4 = ControlId(K::Panel, 4),
                         kPanel5 = ControlId(K::Panel, 5), kPanel13 = ControlId(K::Panel, 13),
                         kPanel14 = ControlId(K::Panel, 14);
// The digit displays: tens and ones of the hour, the minute and the period.
inline constexpr int32_t kImage0008 = ControlId(K::Image, 8), kImage0010 = ControlId(K::Image, 10),
                         kImage0012 = ControlId(K::Image, 12);

inline constexpr ControlSpec kLayout[] = {
    {K::PageControl, 1, 0, "", 0, 0, 346, 265, kNoFlags},
    // The pages cover the tab control's display area; the view fits them to it.
    {K::TabPage, 1, 0, "", 0, 0, 0, 0, kNoFlags},
    {K::TabPage, 2, 0, "", 0, 0, 0, 0, kHidden},
    {K::TabPage, 3, 0, "", 0, 0, 0, 0, kHidden},
    // Mode page
    {K::SpeedButton, 3, kTabPage1, "SNTP", 24, 72, 129, 65, kPushLike | kGroupStart},
    {K::SpeedButton, 4, kTabPage1, "HTTP", 184, 72, 129, 65, kPushLike},
    {K::Label, 23, kTabPage1, "SNTPサーバを利用した", 28, 142, 0, 0, kGroupStart},
    {K::Label, 24, kTabPage1, "時刻合わせが可能です。", 27, 157, 0, 0, kNoFlags},
    {K::Label, 25, kTabPage1, "HTTPを利用した", 208, 142, 0, 0, kNoFlags},
    {K::Label, 26, kTabPage1, "時刻合わせが可能です。", 187, 157, 0, 0, kNoFlags},
    // Two lines: the notice of a server's time too far off needs both.
    {K::Label, 27, kTabPage1, "", 8, 182, 330, 34, kAlignCenter | kRedText},
    // Basic items page
    {K::GroupBox, 1, kTabPage2, " 時刻表示 ", 0, 2, 121, 88, kNoFlags},
    {K::RadioButton, 1, kGroupBox1, "日付 + 時刻", 8, 16, 0, 0, kGroupStart},
    {K::RadioButton, 2, kGroupBox1, "時刻のみ", 8, 40, 0, 0, kNoFlags},
    {K::RadioButton, 3, kGroupBox1, "表示なし", 8, 64, 0, 0, kNoFlags},
    {K::GroupBox, 2, kTabPage2, " プロキシ サーバ アドレス ", 128, 2, 209, 88, kHidden},
    {K::Label, 1, kGroupBox2, "サーバアドレス", 8, 18, 0, 0, kNoFlags},
    {K::Edit, 1, kGroupBox2, "", 8, 32, 193, 20, kGroupStart},
    {K::Label, 2, kGroupBox2, "ポート", 100, 61, 0, 0, kNoFlags},
    {K::Edit, 2, kGroupBox2, "", 136, 56, 65, 20, kGroupStart},
    {K::GroupBox, 6, kTabPage2, " ＳＮＴＰサーバ　", 128, 2, 209, 88, kNoFlags},
    {K::Label, 16, kGroupBox6, "サーバ名称", 8, 18, 0, 0, kNoFlags},
    {K::Edit, 14, kGroupBox6, "", 8, 32, 193, 20, kGroupStart},
    {K::Label, 22, kGroupBox6, "応答許容時間(秒)", 34, 61, 0, 0, kNoFlags},
    {K::Edit, 15, kGroupBox6, "", 136, 56, 65, 20, kGroupStart},
    {K::GroupBox, 3, kTabPage2, " 自動日付時刻　設定 ", 0, 100, 337, 131, kNoFlags},
    {K::RadioButton, 4, kGroupBox3, "自動で日付時刻合わせを行わない。（手動で行う。）", 8, 16, 0, 0, kGroupStart},
    {K::RadioButton, 5, kGroupBox3, "インターネット接続時一回だけ日付時刻を合わせる。", 8, 40, 0, 0, kNoFlags},
    {K::RadioButton, 9, kGroupBox3, "一定の周期で日付時刻を合わせる。", 8, 64, 0, 0, kNoFlags},
    {K::RadioButton, 6, kGroupBox3, "指定時刻に日付時刻を合わせる。", 8, 88, 0, 0, kNoFlags},
    {K::Panel, 2, kGroupBox3, "", 260, 60, 33, 22, kSunken},
    {K::Image, 12, kPanel2, "", 0, 0, 16, 21, kCentreImage | kDigit},
    {K::Image, 13, kPanel2, "", 16, 0, 16, 21, kCentreImage | kDigit},
    {K::CSpinButton, 3, kGroupBox3, "", 293, 61, 15, 21, kGroupStart},
    {K::Label, 21, kGroupBox3, "時間", 310, 71, 0, 0, kNoFlags},
    {K::Panel, 13, kGroupBox3, "", 207, 84, 33, 22, kSunken},
    {K::Image, 8, kPanel13, "", 0, 0, 16, 21, kCentreImage | kDigit},
    {K::Image, 9, kPanel13, "", 16, 0, 16, 21, kCentreImage | kDigit},
    {K::CSpinButton, 1, kGroupBox3, "", 240, 85, 15, 21, kNoFlags},
    {K::Label, 4, kGroupBox3, "時", 258, 96, 0, 0, kNoFlags},
    {K::Panel, 14, kGroupBox3, "", 272, 84, 33, 22, kSunken},
    {K::Image, 10, kPanel14, "", 0, 0, 16, 21, kCentreImage | kDigit},
    {K::Image, 11, kPanel14, "", 16, 0, 16, 21, kCentreImage | kDigit},
    {K::CSpinButton, 2, kGroupBox3, "", 305, 85, 15, 21, kNoFlags},
    {K::Label, 5, kGroupBox3, "分", 322, 96, 0, 0, kNoFlags},
    // Within the automatic setting's frame, so Tab reaches it after the frame's choices.
    {K::CheckBox, 1, kGroupBox3, "時刻合わせ終了後に、本プログラムを終了させる。", 48, 110, 281, 17, kGroupStart},
    // Options page
    {K::GroupBox, 4, kTabPage3, " 表示フォーマット ", 0, 2, 337, 167, kNoFlags},
    {K::SpeedButton, 2, kGroupBox4, "平成14", 8, 16, 45, 20, kGroupStart},
    {K::Edit, 4, kGroupBox4, "年", 56, 16, 20, 20, kGroupStart},
    {K::Label, 12, kGroupBox4, "04", 80, 24, 0, 0, kNoFlags},
    {K::Edit, 5, kGroupBox4, "月", 96, 16, 20, 20, kGroupStart},
    {K::Label, 13, kGroupBox4, "01", 120, 24, 0, 0, kNoFlags},
    {K::Edit, 6, kGroupBox4, "日", 136, 16, 20, 20, kGroupStart},
    {K::SpeedButton, 1, kGroupBox4, "曜日有り", 168, 16, 49, 20, kFlat | kBlueText | kGroupStart},
    {K::Label, 14, kGroupBox4, "12", 224, 24, 0, 0, kNoFlags},
    {K::Edit, 7, kGroupBox4, "時", 240, 16, 20, 20, kGroupStart},
    {K::Label, 15, kGroupBox4, "00", 264, 24, 0, 0, kNoFlags},
    {K::Edit, 8, kGroupBox4, "分", 280, 16, 20, 20, kGroupStart},
    {K::Panel, 3, kGroupBox4, "", 8, 48, 65, 57, kSunken},
    {K::Label, 7, kPanel3, "和暦表記", 8, 8, 0, 0, kBlueText},
    {K::Edit, 13, kPanel3, "平成", 16, 32, 33, 20, kGroupStart},
    {K::Panel, 1, kGroupBox4, "", 80, 48, 246, 57, kSunken},
    {K::Label, 17, kPanel1, "曜日 →", 8, 10, 0, 0, kBlueText},
    {K::RadioButton, 7, kPanel1, "和表記", 72, 8, 0, 0, kGroupStart},
    {K::RadioButton, 8, kPanel1, "英表記", 72, 32, 0, 0, kNoFlags},
    {K::Edit, 12, kPanel1, "", 136, 7, 33, 20, kGroupStart},
    {K::Label, 18, kPanel1, "日", 178, 11, 0, 0, kBold},
    {K::Edit, 9, kPanel1, "曜日", 200, 7, 33, 20, kGroupStart},
    {K::Edit, 10, kPanel1, "(", 136, 31, 33, 20, kGroupStart},
    {K::Label, 19, kPanel1, "Sun", 174, 34, 0, 0, kBold},
    {K::Edit, 11, kPanel1, ")", 200, 31, 33, 20, kGroupStart},
    {K::Panel, 4, kGroupBox4, "", 8, 112, 321, 25, kSunken},
    {K::Label, 20, kPanel4, "ゼロサプレス", 8, 6, 0, 0, kNoFlags},
    {K::RadioButton, 10, kPanel4, "ON", 128, 4, 0, 0, kGroupStart},
    {K::RadioButton, 11, kPanel4, "OFF", 224, 4, 0, 0, kNoFlags},
    {K::Label, 9, kGroupBox4, "MEMO", 8, 145, 0, 0, kGroupStart},
    {K::Edit, 16, kGroupBox4, "", 48, 141, 281, 20, kGroupStart},
    {K::GroupBox, 5, kTabPage3, " 時刻シフト ", 0, 176, 337, 55, kNoFlags},
    {K::Label, 10, kGroupBox5, "この機能は、自動時刻合わせ時に、時刻を", 8, 17, 0, 0, kNoFlags},
    {K::Edit, 3, kGroupBox5, "0", 256, 12, 57, 20, kGroupStart},
    {K::Label, 11, kGroupBox5, "分", 320, 14, 0, 0, kNoFlags},
    {K::Label, 8, kGroupBox5, "進めたい・遅らせたいなど時刻をシフトさせたい時に使用します。", 8, 36, 0, 0, kNoFlags},
    // Outside the pages
    {K::Label, 6, 0, "前回の日付時刻合わせは、", 10, 271, 0, 0, kSmallText},
    {K::Label, 3, 0, "", 13, 284, 0, 0, kSmallText},
    {K::Button, 1, 0, "適用", 264, 272, 81, 25, kGroupStart},
    {K::Panel, 5, 0, "MODE", 304, 0, 41, 17, kTealTitle},
};

// Names for the controls whose own text does not say what they are for: the
// digit panels and their spins, the edits, the year button and the panels
// that group the options.
inline constexpr AccessibleEntry kAccessible[] = {
    {kPageControl1, "ページ", 0, 0, 0},
    {kPanel13, nullptr, kLabel4, 0, 0},
    {kPanel14, nullptr, kLabel5, 0, 0},
    {kPanel2, "周期", 0, 0, kLabel21},
    {kCSpinButton1, nullptr, kLabel4, kPanel13, 0},
    {kCSpinButton2, nullptr, kLabel5, kPanel14, 0},
    {kCSpinButton3, "周期", 0, kPanel2, kLabel21},
    {kEdit1, nullptr, kLabel1, 0, 0},
    {kEdit2, nullptr, kLabel2, 0, 0},
    {kEdit14, nullptr, kLabel16, 0, 0},
    {kEdit15, nullptr, kLabel22, 0, 0},
    {kEdit3, nullptr, kGroupBox5, kEdit3, kLabel11},
    {kSpeedButton2, "年の表示", 0, kSpeedButton2, 0},
    {kEdit4, "年の区切り", 0, 0, 0},
    {kEdit5, "月の区切り", 0, 0, 0},
    {kEdit6, "日の区切り", 0, 0, 0},
    {kEdit7, "時の区切り", 0, 0, 0},
    {kEdit8, "分の区切り", 0, 0, 0},
    {kPanel3, nullptr, kLabel7, 0, 0},
    {kEdit13, nullptr, kLabel7, 0, 0},
    {kPanel1, nullptr, kLabel17, 0, 0},
    {kEdit12, "和表記の曜日の前", 0, 0, 0},
    {kEdit9, "和表記の曜日の後", 0, 0, 0},
    {kEdit10, "英表記の曜日の前", 0, 0, 0},
    {kEdit11, "英表記の曜日の後", 0, 0, 0},
    {kPanel4, nullptr, kLabel20, 0, 0},
    {kEdit16, nullptr, kLabel9, 0, 0},
};

}  // namespace kronvik::settings_form

// The settings dialog driven from outside: its controls against the layout,
// Apply and what it stores, the error box, the buttons that act at once, the
// byte limits, and commands that reach a dialog instead of the menu's owner.
// fake_servers.h first: winsock2.h must come before the windows.h of harness.h.
#include "fake_servers.h"
#include "harness.h"

#include <algorithm>
#include <map>

namespace e2e {
namespace {

using namespace settings_form;

HWND OpenSettings(const Kronvik& k) {
    PostCommand(k, 1);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
    Require(form != nullptr, "the settings command showed no dialog");
    return form;
}

// The page with this index in front, as a step of the arrow keys on the tabs.
void ShowPage(HWND form, int index) {
    HWND tabs = RequireControl(form, kPageControl1);
    for (int i = 0; i < 3; ++i) PostMessageW(tabs, WM_KEYDOWN, VK_LEFT, 0);
    for (int i = 0; i < index; ++i) PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
    const int page = kPages[index];
    Require(WaitFor([&] { return IsWindowVisible(RequireControl(form, page)) != 0; }, 2000),
            "page " + std::to_string(index + 1) + " did not come to the front");
}

std::map<std::wstring, std::string> StoredSettings() {
    std::map<std::wstring, std::string> values;
    for (const std::wstring& name : ValueNames(kFlagKey)) values[name] = Describe(ReadValue(kFlagKey, name));
    return values;
}

// The names whose values differ between two snapshots.
std::string Changed(const std::map<std::wstring, std::string>& before,
                    const std::map<std::wstring, std::string>& after) {
    std::string names;
    for (const auto& [name, value] : after) {
        const auto it = before.find(name);
        if (it != before.end() && it->second == value) continue;
        if (!names.empty()) names += ' ';
        names += Utf8(name);
    }
    return names;
}

const wchar_t* ClassOfKind(const kronvik::ControlSpec& entry) {
    switch (entry.kind) {
    case K::Label: case K::Image: return L"Static";
    case K::Edit: return L"Edit";
    case K::CSpinButton: return L"msctls_updown32";
    case K::PageControl: return L"SysTabControl32";
    case K::Panel: return (entry.flags & kronvik::kTealTitle) ? L"Static" : L"KronvikPanel";
    case K::TabPage: return L"KronvikPanel";
    default: return L"Button";
    }
}

// Every control stands where the layout table puts it, scaled from 96 DPI to
// dpi, with its class and fixed text.
void ExpectSettingsLayout(HWND form, UINT dpi) {
    auto scaled = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), 96); };
    auto close_to = [](LONG a, int b) { return a - b <= 1 && b - a <= 1; };
    const std::string at = " at " + std::to_string(dpi) + " DPI";
    RECT client;
    GetClientRect(form, &client);
    Check(close_to(client.right, scaled(346)) && close_to(client.bottom, scaled(300)),
          "client area " + std::to_string(client.right) + " x " + std::to_string(client.bottom) + at);
    // Texts that the fill or the method replace are not the layout's.
    const int replaced[] = {kLabel3,  kLabel12, kLabel13,
                            kLabel14, kLabel15, kLabel21,
                            kPanel5};
    int checked = 0;
    for (const kronvik::ControlSpec& entry : kLayout) {
        const int id = kronvik::ControlId(entry.kind, entry.number);
        HWND control = FindControl(form, id);
        const std::string what = "control " + std::to_string(id);
        if (control == nullptr) {
            Check(false, what + " is missing");
            continue;
        }
        ++checked;
        Check(ClassOf(control) == ClassOfKind(entry), what + " is a " + Utf8(ClassOf(control)));
        const bool fixed_text = entry.kind == K::Label || entry.kind == K::RadioButton ||
                                entry.kind == K::CheckBox || entry.kind == K::GroupBox || entry.kind == K::Button;
        if (fixed_text && std::find(std::begin(replaced), std::end(replaced), id) == std::end(replaced)) {
            const std::wstring text = ControlText(control);
            Check(Utf8(text) == entry.text, what + " reads " + Quote(text));
        }
        if (entry.kind == K::TabPage) continue;  // fitted to the tabs' display area
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        if (!(entry.flags & kronvik::kAlignRight)) {
            Check(close_to(r.left, scaled(entry.x)) && close_to(r.top, scaled(entry.y)),
                  what + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + ", expected " +
                      std::to_string(scaled(entry.x)) + "," + std::to_string(scaled(entry.y)) + at);
        }
        if (entry.width != 0) {
            Check(close_to(r.right - r.left, scaled(entry.width)) && close_to(r.bottom - r.top, scaled(entry.height)),
                  what + " is " + std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) + at);
        }
    }
    Note(std::to_string(checked) + " controls checked" + at);
}

E2E_CASE(settings_controls_stand_where_the_layout_puts_them, 5) {
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenSettings(k);
    Check(WindowCaption(form).rfind(L"Kronvik設定", 0) == 0, "caption " + Quote(WindowCaption(form)));
    // The screen's DPI: 96, or what the suite was started with.
    const UINT dpi = GetDpiForWindow(form);
    ExpectSettingsLayout(form, dpi);
    // SNTP is the method: its server box shows, the proxy box does not.
    auto shown = [&](int id) { return (GetWindowLongW(RequireControl(form, id), GWL_STYLE) & WS_VISIBLE) != 0; };
    Check(shown(kGroupBox6) && !shown(kGroupBox2), "the SNTP method shows the proxy box");
    if (dpi != 96) return;
    // Moved to a monitor of 144 DPI, the dialog is laid out again for it.
    PostMessageW(form, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    // Wine keeps the frame of 96 DPI, which the dialog makes up for in a
    // second step: the size is read once both are done.
    Require(WaitFor([&] {
                RECT client;
                GetClientRect(form, &client);
                return client.right == MulDiv(346, 144, 96) && client.bottom == MulDiv(300, 144, 96);
            }, 2000),
            "WM_DPICHANGED did not give the dialog its size for 144 DPI");
    ExpectSettingsLayout(form, 144);
}

E2E_CASE(settings_apply_stores_the_dialog_and_rearms_the_synchronisation, 5) {
    PrepareSettings();
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenSettings(k);
    const auto before = StoredSettings();
    ShowPage(form, 1);
    PressButton(form, kRadioButton2);
    PressButton(form, kRadioButton5);
    SetControlText(form, kEdit14, L"127.0.0.1");
    ShowPage(form, 2);
    SetControlText(form, kEdit16, L"e2e メモ");
    SetControlText(form, kEdit4, L"/");
    SleepMs(300);
    PressButton(form, kButton1);
    const ULONGLONG applied = NowMs();
    Check(WaitFor([&] { return ReadValue(kFlagKey, L"MEMO").text == L"e2e メモ"; }, 3000), "Apply stored no memo");
    const std::string changed = Changed(before, StoredSettings());
    Check(changed == "DAY_FORM DAY_FORM1 DSP_FLAG MEMO RUN_AND_RUN", "Apply changed: " + changed);
    Check(ReadValue(kFlagKey, L"RUN_AND_RUN").dword == 1 && ReadValue(kFlagKey, L"DSP_FLAG").dword == 1,
          "RUN_AND_RUN or DSP_FLAG wrong");
    Check(IsWindowVisible(form) != 0, "Apply closed the dialog");

    // Once per connection, armed anew by Apply: one request about 15 s later.
    Require(WaitFor([&] { return !server.Requests().empty(); }, 25000), "no SNTP request within 25 s of Apply");
    const ULONGLONG after = NowMs() - applied;
    Check(after >= 13000, "the request came " + std::to_string(after) + " ms after Apply");
    SleepMs(1000);
    Check(server.Requests().size() == 1, std::to_string(server.Requests().size()) + " requests");
}

// The error box, in front of the dialog that is always on top: the point at
// its centre is its own.
void ExpectErrorInFront(const Kronvik& k, const std::wstring& text) {
    HWND box = WaitVisibleWindow(k.pid(), L"#32770", nullptr, 3000);
    Require(box != nullptr, "no error box");
    Check(MessageBoxText(box) == text, "the box reads " + Quote(MessageBoxText(box)));
    // The box is shown before the window manager has finished raising it.
    HWND at = nullptr;
    const bool in_front = WaitFor([&] {
        RECT r;
        GetWindowRect(box, &r);
        at = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        return at == box || IsChild(box, at);
    }, 2000);
    Check(in_front, "the centre of the error box shows a " + Utf8(ClassOf(at)));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    Check(WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32770"); }, 2000), "the error box stayed open");
}

E2E_CASE(settings_bad_number_is_named_and_nothing_is_stored, 5) {
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenSettings(k);
    const auto before = StoredSettings();
    ShowPage(form, 2);
    SetControlText(form, kEdit3, L"abc");
    SetControlText(form, kEdit13, L"令和");
    PressButton(form, kButton1);
    ExpectErrorInFront(k, L"'abc' は整数ではありません");
    Check(Changed(before, StoredSettings()).empty(), "stored: " + Changed(before, StoredSettings()));
    // A fill that cannot read the settings, with the dialog open.
    DeleteValue(kFlagKey, L"MODE");
    PostCommand(k, 1);
    ExpectErrorInFront(k, L"'MODE' の取得に失敗しました");
}

E2E_CASE(settings_buttons_that_act_at_once_and_byte_limits, 5) {
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e settings";
    {
        Probe probe(own);
        ShowClockIn(probe, own, "before the day-of-week button");
        HWND form = OpenSettings(k);
        ShowPage(form, 2);
        PressButton(form, kSpeedButton1);  // day of week off, before Apply
        Check(WaitFor([&] { return ControlText(RequireControl(form, kSpeedButton1)) == L"曜日無し"; }, 2000),
              "the button still reads on");
        Require(probe.Foreground(), "probe window did not become the foreground window");
        std::wstring caption;
        Check(WaitFor([&] { return (caption = probe.Caption()).find(L"[ ") == std::wstring::npos; }, 1000),
              "the caption still shows the day of week: " + Quote(caption));
    }
    HWND form = OpenSettings(k);  // the next opening brings back the stored choice
    Check(ControlText(RequireControl(form, kSpeedButton1)) == L"曜日有り", "the stored choice did not come back");

    // The HTTP button: the proxy box, hours, and a period spin that steps hours.
    ShowPage(form, 0);
    PressButton(form, kSpeedButton4);
    Check(WaitFor([&] { return ControlText(RequireControl(form, kPanel5)) == L"HTTP"; }, 2000), "Panel5 is not HTTP");
    Check(ControlText(RequireControl(form, kLabel21)) == L"時間", "Label21 is not 時間");
    Check((GetWindowLongW(RequireControl(form, kGroupBox2), GWL_STYLE) & WS_VISIBLE) != 0, "no proxy box");
    ShowPage(form, 1);
    PressButton(form, kRadioButton9);
    const DWORD hours = ReadValue(kFlagKey, L"RUNTIME3").dword;
    ClickSpin(form, kCSpinButton3, true);
    PressButton(form, kButton1);
    Check(WaitFor([&] { return ReadValue(kFlagKey, L"RUNTIME3").dword == hours + 1; }, 3000),
          "RUNTIME3 is " + Describe(ReadValue(kFlagKey, L"RUNTIME3")) + " after one step up from " + std::to_string(hours));

    // Four bytes hold two full-width characters: the third is refused.
    ShowPage(form, 2);
    HWND era = RequireControl(form, kEdit13);
    SetControlText(form, kEdit13, L"");
    for (int i = 0; i < 3; ++i) PostMessageW(era, WM_CHAR, L'令', 0);
    SleepMs(500);
    Check(ControlText(era) == L"令令", "the era edit holds " + Quote(ControlText(era)));
}

E2E_CASE(settings_last_setting_fits_and_dialog_commands_stay_in_the_dialog, 5) {
    PrepareSettings();
    WriteString(kFlagKey, L"SET_TIME", L"2026年12月08日 09時41分00秒");
    // An empty binary value reads as the empty text and does not stop the start.
    HKEY key;
    RegOpenKeyExW(HKEY_CURRENT_USER, kFlagKey, 0, KEY_SET_VALUE, &key);
    RegSetValueExW(key, L"MEMO", 0, REG_BINARY, nullptr, 0);
    RegCloseKey(key);
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenSettings(k);
    HWND label = RequireControl(form, kLabel3);
    Check(ControlText(label) == L"2026年12月08日 09時41分00秒に行いました。", "Label3 reads " + Quote(ControlText(label)));
    // Whole, on one line: as wide as the text in the label's 11-pixel font.
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                             L"ＭＳ Ｐゴシック");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = ControlText(label);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    RECT r;
    GetWindowRect(label, &r);
    Check(r.right - r.left >= size.cx && r.bottom - r.top < 2 * size.cy,
          "Label3 is " + std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) +
              " for a text of " + std::to_string(size.cx) + " x " + std::to_string(size.cy));

    // Ids 1 and 2 posted to a dialog are its OK and Cancel, never the
    // settings or the manual synchronisation.
    PostMessageW(form, WM_COMMAND, 2, 0);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Cancel did not hide the settings");
    HWND about = FindTopWindows(k.pid(), L"TForm2").front();
    PostMessageW(about, WM_COMMAND, 1, 0);
    PostMessageW(about, WM_COMMAND, 2, 0);
    SleepMs(1000);
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "a box opened");
    Check(!IsWindowVisible(form), "the settings opened");
}

E2E_CASE(settings_keyboard_switches_pages_and_esc_hides, 5) {
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenSettings(k);
    SetForegroundWindow(form);
    Require(WaitFor([&] { return GetForegroundWindow() == form; }, 2000), "the settings are not in front");
    auto page_shown = [&](int n) {
        return WaitFor([&] { return IsWindowVisible(RequireControl(form, kPages[n - 1])) != 0; }, 2000);
    };
    // Wine takes the keyboard state from X when a window gains the focus: a
    // first key press lets that pass before a held Ctrl counts.
    Keys({{VK_SHIFT, true}, {VK_SHIFT, false}});
    SleepMs(500);
    Keys({{VK_CONTROL, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_CONTROL, false}});
    Check(page_shown(2), "Ctrl+Tab did not show the basic items");
    Keys({{VK_CONTROL, true}, {VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}, {VK_CONTROL, false}});
    Check(page_shown(1), "Ctrl+Shift+Tab did not go back to the mode page");
    const auto before = StoredSettings();
    Keys({{VK_RETURN, true}, {VK_RETURN, false}});
    SleepMs(500);
    Check(IsWindowVisible(form) && Changed(before, StoredSettings()).empty(), "Enter applied or closed");
    Keys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Esc did not hide the settings");
}

}  // namespace
}  // namespace e2e

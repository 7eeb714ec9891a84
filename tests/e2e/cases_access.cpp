// Screen readers and the keyboard: every control of the three dialogs read
// through oleacc as a screen reader reads it, the digit pictures in high
// contrast, and every action of the dialogs done with the keyboard alone.
#include "harness.h"

#include <oleacc.h>

#include <algorithm>
#include <span>

namespace e2e {
namespace {

using kronvik::ControlSpec;
using K = kronvik::ControlKind;
namespace sf = settings_form;
namespace ef = entry_form;

// Spelled out: mingw's libraries do not define IID_IAccessible.
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Spoken {
    long role = 0;
    std::wstring name, value;
};

Spoken Read(HWND control) {
    IAccessible* object = nullptr;
    const HRESULT got = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                                   reinterpret_cast<void**>(&object));
    Require(SUCCEEDED(got) && object != nullptr, "oleacc has no object for control " +
                                                     std::to_string(GetDlgCtrlID(control)));
    Spoken s;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) s.role = role.lVal;
    for (auto [get, text] : {std::pair{&IAccessible::get_accName, &s.name}, {&IAccessible::get_accValue, &s.value}}) {
        BSTR read = nullptr;
        if ((object->*get)(self, &read) == S_OK && read != nullptr) *text = read;
        SysFreeString(read);
    }
    object->Release();
    return s;
}

// What a screen reader must be told a control of each kind is. A digit
// panel and its pictures read as one number: static text.
long RoleOf(const ControlSpec& e, bool digits) {
    switch (e.kind) {
    case K::Label: return ROLE_SYSTEM_STATICTEXT;
    case K::Edit: return ROLE_SYSTEM_TEXT;
    case K::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case K::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case K::SpeedButton: return (e.flags & kronvik::kPushLike) ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    case K::CSpinButton: return ROLE_SYSTEM_SPINBUTTON;
    case K::GroupBox: return ROLE_SYSTEM_GROUPING;
    case K::Panel:
        return digits || (e.flags & kronvik::kTealTitle) ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GROUPING;
    case K::Image: return digits ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_PUSHBUTTON;
    case K::PageControl: return ROLE_SYSTEM_PAGETABLIST;
    case K::TabPage: return ROLE_SYSTEM_PROPERTYPAGE;
    default: return ROLE_SYSTEM_PUSHBUTTON;
    }
}

struct Expected {
    int id;
    std::wstring name, value;
};

// Every control of a form has the role of its kind; one that shows a text
// of its own is named by it; an edit's value is its text; the rest have a
// name, and the controls of `expected` exactly that name and value.
void ExpectSpoken(HWND form, std::span<const ControlSpec> table, const std::vector<Expected>& expected) {
    for (const ControlSpec& e : table) {
        const int id = kronvik::ControlId(e.kind, e.number);
        HWND control = RequireControl(form, id);
        bool digits = (e.flags & kronvik::kDigit) != 0;
        for (const ControlSpec& child : table) digits |= child.parent_id == id && (child.flags & kronvik::kDigit);
        const Spoken s = Read(control);
        const std::string what = "control " + std::to_string(id) + " (" + Quote(s.name) + ", " + Quote(s.value) + ")";
        Check(s.role == RoleOf(e, digits), what + " has role " + std::to_string(s.role));
        const auto it = std::find_if(expected.begin(), expected.end(), [&](const Expected& x) { return x.id == id; });
        std::wstring text = ControlText(control);
        text.erase(0, text.find_first_not_of(L" \u3000"));
        text.erase(text.find_last_not_of(L" \u3000") + 1);
        if (it != expected.end()) {
            Check(s.name == it->name && s.value == it->value, what + ", expected " + Quote(it->name) + ", " +
                                                                  Quote(it->value));
        } else if (e.kind == K::Edit) {
            Check(!s.name.empty() && s.value == ControlText(control), what + " reads not as its text");
        } else if (!text.empty() || e.kind == K::Label) {
            Check(s.name == text, what + " is not named by its text");
        } else {
            Check(!s.name.empty(), what + " has no name");
        }
    }
}

std::wstring Number(int n) { return std::to_wstring(n); }

E2E_CASE(access_every_control_is_named_with_its_role_and_value, 6) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    PostCommand(k, 1);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
    Require(form != nullptr, "no settings dialog");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring hour = Number(static_cast<int>(ReadValue(kFlagKey, L"RUNTIME1").dword));
    const std::wstring period = Number(static_cast<int>(ReadValue(kFlagKey, L"SNTPcycle").dword)) + L"分";
    ExpectSpoken(form, sf::kLayout,
                 {{sf::kPageControl1, L"ページ", L"モード"}, {sf::kPanel13, L"時", hour}, {sf::kImage0008, L"時", hour},
                  {sf::kCSpinButton1, L"時", hour}, {sf::kPanel2, L"周期", period}, {sf::kCSpinButton3, L"周期", period},
                  {sf::kSpeedButton2, L"年の表示", Number(now.wYear)}, {sf::kEdit3, L"時刻シフト", L"0分"}});

    // Tomorrow, a new appointment: the date reads as numbers named by their labels.
    PostCommand(k, 200);
    form = WaitVisibleWindow(k.pid(), L"TForm3", nullptr, 3000);
    Require(form != nullptr, "no entry dialog");
    const SYSTEMTIME day = DaysFromToday(1);
    ExpectSpoken(form, ef::kLayout,
                 {{ef::kPanel1, L"年", Number(day.wYear)}, {ef::kImage0000 + 3, L"年", Number(day.wYear)},
                  {ef::kPanel2, L"月", Number(day.wMonth)}, {ef::kPanel3, L"日", Number(day.wDay)},
                  {ef::kPanel4, L"時", L"0"}, {ef::kCSpinButton1, L"時", L"0"}, {ef::kCSpinButton2, L"分", L"0"},
                  {ef::kEdit1, L"予定", L""}});

    PostCommand(k, 3);
    form = WaitVisibleWindow(k.pid(), L"TForm2", nullptr, 3000);
    Require(form != nullptr, "no about box");
    ExpectSpoken(form, about_form::kLayout, {{about_form::kImage1, L"閉じる", L""}});
}

// In high contrast, as the switch makes the program see it, a digit shows in
// the window text colour on the window colour and nothing else.
E2E_CASE(access_digits_take_the_system_colours_in_high_contrast, 6) {
    PrepareSettings();
    SetEnvironmentVariableW(L"KRONVIK_HIGH_CONTRAST", L"1");
    Kronvik k = Kronvik::StartResident();
    SetEnvironmentVariableW(L"KRONVIK_HIGH_CONTRAST", nullptr);
    PostCommand(k, 100);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm3", nullptr, 3000);
    Require(form != nullptr, "no entry dialog");
    SleepMs(300);
    RECT r;
    GetWindowRect(RequireControl(form, entry_form::kImage0000), &r);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT), back = GetSysColor(COLOR_WINDOW);
    int texts = 0, backs = 0, others = 0;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            (c == text ? texts : c == back ? backs : others)++;
        }
    ReleaseDC(nullptr, screen);
    Check(texts > 20 && backs > 20 && others == 0, "a digit shows " + std::to_string(texts) + " text, " +
                                                       std::to_string(backs) + " background and " +
                                                       std::to_string(others) + " other pixels");
}

HWND Focus(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    return info.hwndFocus;
}

void Press(WORD key) { Keys({{key, true}, {key, false}}); }

// The focus stands, where the user can see it, on the control with this id.
void ExpectFocus(HWND form, int id, const std::string& after) {
    HWND control = RequireControl(form, id);
    Require(WaitFor([&] { return Focus(form) == control; }, 2000),
            after + ": the focus is on " + std::to_string(GetDlgCtrlID(Focus(form))) + ", not " + std::to_string(id));
    DWORD_PTR state = 0;
    SendMessageTimeoutW(control, WM_QUERYUISTATE, 0, 0, SMTO_NORMAL, 1000, &state);
    Check(IsWindowVisible(control) && (state & UISF_HIDEFOCUS) == 0, after + ": the focus does not show");
}

// Tab until the control has the focus; at every step the focus is on a
// control of the form that can be seen.
void TabTo(HWND form, int id) {
    HWND target = RequireControl(form, id);
    for (int i = 0; i < 30 && Focus(form) != target; ++i) {
        Press(VK_TAB);
        Require(WaitFor([&] { return IsChild(form, Focus(form)) && IsWindowVisible(Focus(form)); }, 1000),
                "Tab left the focus where it cannot be seen");
    }
    ExpectFocus(form, id, "Tab");
}

void CtrlTab() { Keys({{VK_CONTROL, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_CONTROL, false}}); }

E2E_CASE(access_keyboard_alone_reaches_every_action, 6) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    PostCommand(k, 1);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
    Require(form != nullptr && WaitFor([&] { return GetForegroundWindow() == form; }, 2000), "no settings in front");
    // Wine takes the keyboard state from X when a window gains the focus: a
    // first key press lets that pass before a held Ctrl counts.
    Keys({{VK_SHIFT, true}, {VK_SHIFT, false}});
    SleepMs(300);
    ExpectFocus(form, sf::kSpeedButton3, "the settings opened");
    CtrlTab();
    // From "no automatic setting" two steps down to "at a fixed period", whose spin comes next.
    TabTo(form, sf::kRadioButton4);
    Press(VK_DOWN);
    Press(VK_DOWN);
    TabTo(form, sf::kCSpinButton3);
    Press(VK_UP);
    Check(WaitFor([&] { return Read(Focus(form)).value == L"35分"; }, 2000),
          "Up on the period's spin reads " + Quote(Read(Focus(form)).value));
    CtrlTab();
    ExpectFocus(form, sf::kSpeedButton2, "the options page came to the front");
    Press(VK_SPACE);
    Require(WaitVisibleWindow(k.pid(), L"#32768", nullptr, 2000) != nullptr, "Space opened no year menu");
    Keys({{VK_DOWN, true}, {VK_DOWN, false}, {VK_DOWN, true}, {VK_DOWN, false}, {VK_RETURN, true}, {VK_RETURN, false}});
    Check(WaitFor([&] { return ControlText(RequireControl(form, sf::kSpeedButton2)).rfind(L"平成", 0) == 0; }, 2000),
          "the year menu did not choose the era");
    ExpectFocus(form, sf::kSpeedButton2, "the year menu closed");
    TabTo(form, sf::kButton1);
    Press(VK_SPACE);
    Check(WaitFor([&] { return ReadValue(kFlagKey, L"YEAR_SEL").dword == 1; }, 2000) &&
              ReadValue(kFlagKey, L"RUN_AND_RUN").dword == 3 && ReadValue(kFlagKey, L"SNTPcycle").dword == 35,
          "Apply from the keyboard did not store the era, the period and its 35 minutes");
    Press(VK_ESCAPE);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Esc did not close the settings");

    // The entry dialog: Esc leaves it; the text, a spin and Enter store.
    for (const bool store : {false, true}) {
        PostCommand(k, 200);
        form = WaitVisibleWindow(k.pid(), L"TForm3", nullptr, 3000);
        Require(form != nullptr, "no entry dialog");
        ExpectFocus(form, ef::kEdit1, "the entry dialog opened");
        if (!store) {
            Press(VK_ESCAPE);
            Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Esc did not close the entry dialog");
            continue;
        }
        Keys({{'A', true}, {'A', false}, {'B', true}, {'B', false}});
        TabTo(form, ef::kCSpinButton1);
        Press(VK_UP);
        Check(WaitFor([&] { return Read(Focus(form)).value == L"1"; }, 2000), "Up on the hour's spin");
        Press(VK_RETURN);
        Check(WaitFor([&] { return ReadValue(DateKey(DaysFromToday(1)), L"01 00").text == L"ab"; }, 2000),
              "Enter did not store the appointment at 01:00");
    }

    PostCommand(k, 3);
    form = WaitVisibleWindow(k.pid(), L"TForm2", nullptr, 3000);
    Require(form != nullptr, "no about box");
    Press(VK_ESCAPE);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Esc did not close the about box");
}

}  // namespace
}  // namespace e2e

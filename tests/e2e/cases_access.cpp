// Screen readers and the keyboard: every control of the three dialogs read
// through oleacc as a screen reader reads it, and every action of the
// dialogs done with the keyboard alone.
#include "harness.h"

#include <oleacc.h>

#include <map>
#include <span>

namespace e2e {
namespace {

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
    Require(SUCCEEDED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                                 reinterpret_cast<void**>(&object))),
            "oleacc has no object for control " + std::to_string(GetDlgCtrlID(control)));
    Spoken s;
    VARIANT self{}, role{};
    self.vt = VT_I4;  // CHILDID_SELF
    if (object->get_accRole(self, &role) == S_OK) s.role = role.lVal;
    for (auto [get, text] : {std::pair{&IAccessible::get_accName, &s.name}, {&IAccessible::get_accValue, &s.value}}) {
        BSTR read = nullptr;
        if ((object->*get)(self, &read) == S_OK && read != nullptr) *text = read;
        SysFreeString(read);
    }
    object->Release();
    return s;
}

// What a screen reader must be told each kind of control is; a digit panel
// and its pictures read as one number.
long RoleOf(const kronvik::ControlSpec& e, bool digits) {
    if (digits || e.kind == K::Label || (e.flags & kronvik::kTealTitle)) return ROLE_SYSTEM_STATICTEXT;
    switch (e.kind) {
    case K::Edit: return ROLE_SYSTEM_TEXT;
    case K::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case K::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case K::SpeedButton: return (e.flags & kronvik::kPushLike) ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    case K::CSpinButton: return ROLE_SYSTEM_SPINBUTTON;
    case K::GroupBox: case K::Panel: return ROLE_SYSTEM_GROUPING;
    case K::PageControl: return ROLE_SYSTEM_PAGETABLIST;
    case K::TabPage: return ROLE_SYSTEM_PROPERTYPAGE;
    default: return ROLE_SYSTEM_PUSHBUTTON;  // the buttons and the about box's picture
    }
}

// Control id: the name and value a screen reader must hear.
using Expected = std::map<int, std::pair<std::wstring, std::wstring>>;

// Every control of a form has the role of its kind and is named: by the text
// it shows, if it shows one, or as `expected` says; an edit's value is its text.
void ExpectSpoken(HWND form, std::span<const kronvik::ControlSpec> table, const Expected& expected) {
    for (const kronvik::ControlSpec& e : table) {
        const int id = kronvik::ControlId(e.kind, e.number);
        HWND control = RequireControl(form, id);
        bool digits = (e.flags & kronvik::kDigit) != 0;
        for (const auto& child : table) digits |= child.parent_id == id && (child.flags & kronvik::kDigit);
        const Spoken s = Read(control);
        const std::string what = "control " + std::to_string(id) + " (" + Quote(s.name) + ", " + Quote(s.value) + ")";
        Check(s.role == RoleOf(e, digits), what + " has role " + std::to_string(s.role));
        std::wstring text = ControlText(control);
        text.erase(0, text.find_first_not_of(L" \u3000"));
        text.erase(text.find_last_not_of(L" \u3000") + 1);
        if (const auto it = expected.find(id); it != expected.end()) {
            Check(std::pair{s.name, s.value} == it->second, what + ", expected " + Quote(it->second.first) + ", " +
                                                                 Quote(it->second.second));
        } else if (e.kind == K::Edit) {
            Check(!s.name.empty() && s.value == ControlText(control), what + " reads not as its text");
        } else {
            Check(text.empty() && e.kind != K::Label ? !s.name.empty() : s.name == text, what + " is misnamed");
        }
    }
}

std::wstring Number(int n) { return std::to_wstring(n); }

HWND Open(const Kronvik& k, WPARAM command, const wchar_t* form_class) {
    PostCommand(k, command);
    HWND form = WaitVisibleWindow(k.pid(), form_class, nullptr, 3000);
    Require(form != nullptr && WaitFor([&] { return GetForegroundWindow() == form; }, 2000),
            "command " + std::to_string(command) + " showed no " + Utf8(form_class) + " in front");
    return form;
}

E2E_CASE(access_every_control_is_named_with_its_role_and_value, 6) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring hour = Number(static_cast<int>(ReadValue(kFlagKey, L"RUNTIME1").dword));
    const std::wstring period = Number(static_cast<int>(ReadValue(kFlagKey, L"SNTPcycle").dword)) + L"分";
    ExpectSpoken(Open(k, 1, L"TForm4"), sf::kLayout,
                 {{sf::kPageControl1, {L"ページ", L"モード"}}, {sf::kPanel13, {L"時", hour}},
                  {sf::kImage0008, {L"時", hour}}, {sf::kCSpinButton1, {L"時", hour}}, {sf::kPanel2, {L"周期", period}},
                  {sf::kCSpinButton3, {L"周期", period}}, {sf::kSpeedButton2, {L"年の表示", Number(now.wYear)}},
                  {sf::kEdit3, {L"時刻シフト", L"0分"}}});
    // Tomorrow, a new appointment: the date reads as numbers named by their labels.
    const SYSTEMTIME day = DaysFromToday(1);
    ExpectSpoken(Open(k, 200, L"TForm3"), ef::kLayout,
                 {{ef::kPanel1, {L"年", Number(day.wYear)}}, {ef::kImage0000 + 3, {L"年", Number(day.wYear)}},
                  {ef::kPanel2, {L"月", Number(day.wMonth)}}, {ef::kPanel3, {L"日", Number(day.wDay)}},
                  {ef::kPanel4, {L"時", L"0"}}, {ef::kCSpinButton1, {L"時", L"0"}},
                  {ef::kCSpinButton2, {L"分", L"0"}}, {ef::kEdit1, {L"予定", L""}}});
    ExpectSpoken(Open(k, 3, L"TForm2"), about_form::kLayout, {{about_form::kImage1, {L"閉じる", L""}}});
}

HWND Focus(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    return info.hwndFocus;
}

void Press(WORD key) { Keys({{key, true}, {key, false}}); }

// The control with this id gets the focus, by Tab unless `tab` is false, and
// shows it; at every step the focus is on a control that can be seen.
void FocusTo(HWND form, int id, const std::string& after, bool tab = true) {
    HWND target = RequireControl(form, id);
    for (int i = 0; tab && i < 30 && Focus(form) != target; ++i) {
        const HWND before = Focus(form);
        Press(VK_TAB);
        Require(WaitFor([&] { return Focus(form) != before && IsWindowVisible(Focus(form)); }, 1000),
                after + ": Tab left the focus where it cannot be seen");
    }
    DWORD_PTR state = 0;
    Require(WaitFor([&] { return Focus(form) == target; }, 2000) &&
                SendMessageTimeoutW(target, WM_QUERYUISTATE, 0, 0, SMTO_NORMAL, 1000, &state) &&
                (state & UISF_HIDEFOCUS) == 0,
            after + ": the focus is not shown on control " + std::to_string(id));
}

void ExpectClosedBy(HWND form, WORD key, const std::string& what) {
    Press(key);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), what + " stayed open");
}

E2E_CASE(access_keyboard_alone_reaches_every_action, 6) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrepareSettings();
    Kronvik k = Kronvik::StartResident();
    HWND form = Open(k, 1, L"TForm4");
    // Wine takes the keyboard state from X when a window gains the focus: a
    // first key press lets that pass before a held Ctrl counts.
    Press(VK_SHIFT);
    SleepMs(300);
    FocusTo(form, sf::kSpeedButton3, "the settings opened", false);
    const auto ctrl_tab = [] { Keys({{VK_CONTROL, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_CONTROL, false}}); };
    ctrl_tab();
    // From "no automatic setting" two steps down to "at a fixed period", whose spin comes next.
    FocusTo(form, sf::kRadioButton4, "the basic items");
    Press(VK_DOWN);
    Press(VK_DOWN);
    FocusTo(form, sf::kCSpinButton3, "a fixed period chosen");
    Press(VK_UP);
    Check(WaitFor([&] { return Read(Focus(form)).value == L"35分"; }, 2000), "Up on the period's spin");
    ctrl_tab();
    FocusTo(form, sf::kSpeedButton2, "the options page came to the front", false);
    Press(VK_SPACE);
    Require(WaitVisibleWindow(k.pid(), L"#32768", nullptr, 2000) != nullptr, "Space opened no year menu");
    Keys({{VK_DOWN, true}, {VK_DOWN, false}, {VK_DOWN, true}, {VK_DOWN, false}, {VK_RETURN, true}, {VK_RETURN, false}});
    Check(WaitFor([&] { return ControlText(RequireControl(form, sf::kSpeedButton2)).rfind(L"平成", 0) == 0; }, 2000),
          "the year menu did not choose the era");
    FocusTo(form, sf::kSpeedButton2, "the year menu closed", false);
    FocusTo(form, sf::kButton1, "Apply");
    Press(VK_SPACE);
    // Apply writes one value after another: all three are waited for.
    Check(WaitFor([&] {
              return ReadValue(kFlagKey, L"YEAR_SEL").dword == 1 && ReadValue(kFlagKey, L"RUN_AND_RUN").dword == 3 &&
                     ReadValue(kFlagKey, L"SNTPcycle").dword == 35;
          }, 5000),
          "Apply from the keyboard stored YEAR_SEL " + std::to_string(ReadValue(kFlagKey, L"YEAR_SEL").dword) +
              ", RUN_AND_RUN " + std::to_string(ReadValue(kFlagKey, L"RUN_AND_RUN").dword) + ", SNTPcycle " +
              std::to_string(ReadValue(kFlagKey, L"SNTPcycle").dword) + ", not 1, 3, 35");
    ExpectClosedBy(form, VK_ESCAPE, "Esc: the settings");

    // The entry dialog: Esc leaves it; then the text, a spin and Enter store.
    ExpectClosedBy(Open(k, 200, L"TForm3"), VK_ESCAPE, "Esc: the entry dialog");
    form = Open(k, 200, L"TForm3");
    FocusTo(form, ef::kEdit1, "the entry dialog opened", false);
    Keys({{'A', true}, {'A', false}, {'B', true}, {'B', false}});
    FocusTo(form, ef::kCSpinButton1, "the hour's spin");
    Press(VK_UP);
    Check(WaitFor([&] { return Read(Focus(form)).value == L"1"; }, 2000), "Up on the hour's spin");
    ExpectClosedBy(form, VK_RETURN, "Enter: the entry dialog");
    Check(ReadValue(DateKey(DaysFromToday(1)), L"01 00").text == L"ab", "Enter stored no appointment at 01:00");

    ExpectClosedBy(Open(k, 3, L"TForm2"), VK_ESCAPE, "Esc: the about box");
}

}  // namespace
}  // namespace e2e

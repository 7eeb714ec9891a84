#include "platform/win32/layout_win32.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

constexpr wchar_t kPanelClass[] = L"KronvikPanel";

struct WindowKind {
    const wchar_t* class_name;
    DWORD style;
    DWORD ex_style;
};

WindowKind KindOf(const ControlSpec& entry) {
    const bool notify = (entry.flags & kNotify) != 0;
    switch (entry.kind) {
    case ControlKind::Label: {
        DWORD align = SS_LEFT;
        if (entry.flags & kAlignRight) align = SS_RIGHT;
        if (entry.flags & kAlignCenter) align = SS_CENTER;
        // A label always takes its clicks, so a click on it never reaches a
        // picture underneath.
        return {L"STATIC", align | SS_NOPREFIX | SS_NOTIFY, 0};
    }
    case ControlKind::Edit:
        return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::RadioButton:
        // Tab stops at a group's first choice; the arrow keys move within it.
        return {L"BUTTON", static_cast<DWORD>(BS_AUTORADIOBUTTON | ((entry.flags & kGroupStart) ? WS_TABSTOP : 0)), 0};
    case ControlKind::CheckBox:
        return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::SpeedButton:
        // A push-like radio stays down and releases the others of its group;
        // a flat one is drawn by the form.
        if (entry.flags & kPushLike) return {L"BUTTON", BS_AUTORADIOBUTTON | BS_PUSHLIKE | WS_TABSTOP, 0};
        if (entry.flags & kFlat) return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::CSpinButton:
        return {UPDOWN_CLASSW, 0, 0};
    case ControlKind::GroupBox:
        return {L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::Panel:
        // A title panel only shows its text.
        if (entry.flags & kTealTitle) return {L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0};
        return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::TabPage:
        return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Image: {
        const DWORD centre = (entry.flags & kCentreImage) ? SS_CENTERIMAGE : 0;
        return {L"STATIC", static_cast<DWORD>(SS_BITMAP | centre | (notify ? SS_NOTIFY : 0)), 0};
    }
    case ControlKind::ListBox:
        return {L"LISTBOX", LBS_SORT | LBS_NOTIFY, 0};
    case ControlKind::PageControl:
        return {WC_TABCONTROLW, TCS_HOTTRACK | WS_CLIPSIBLINGS, 0};
    }
    return {L"STATIC", 0, 0};
}

// Messages that the children of a container send upwards go to the form.
bool ForwardedToForm(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_VSCROLL:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                              DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, GroupBoxProc, 1);
    if (ForwardedToForm(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    return DefSubclassProc(window, message, wparam, lparam);
}

SIZE TextSize(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

HBRUSH ControlColors(HDC dc, uint32_t flags) {
    if (flags & kBlack) {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    }
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    if (flags & kRedText) text = RGB(255, 0, 0);
    if (flags & kBlueText) text = RGB(0, 0, 255);
    if (flags & kTealTitle) text = RGB(0, 128, 128);
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT rect;
        GetClientRect(window, &rect);
        const auto flags = static_cast<uint32_t>(GetWindowLongPtrW(window, GWLP_USERDATA));
        FillRect(reinterpret_cast<HDC>(wparam), &rect,
                 (flags & kBlack) ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))
                                  : GetSysColorBrush(COLOR_BTNFACE));
        if (flags & kSunken) DrawEdge(reinterpret_cast<HDC>(wparam), &rect, EDGE_SUNKEN, BF_RECT);
        return 1;
    }
    default:
        if (ForwardedToForm(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

void RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);
}

LRESULT FormLayout::Colors(WPARAM device_context, LPARAM control) const {
    const auto it = flags_.find(GetDlgCtrlID(reinterpret_cast<HWND>(control)));
    const uint32_t flags = it == flags_.end() ? 0 : it->second;
    const auto dc = reinterpret_cast<HDC>(device_context);
    return reinterpret_cast<LRESULT>(ControlColors(dc, flags));
}

void FormLayout::Create(HWND form, std::span<const ControlSpec> table, HFONT font) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
    for (const ControlSpec& entry : table) {
        const int32_t id = ControlId(entry.kind, entry.number);
        const HWND parent = entry.parent_id == 0 ? form : Control(entry.parent_id);
        const WindowKind kind = KindOf(entry);
        const std::wstring text = Wide(entry.text ? entry.text : "");
        int x = entry.x;
        int width = entry.width;
        int height = entry.height;
        if (width == 0) {
            // Sized to its text; a right-aligned one grows to the left of x,
            // a radio or check box leaves room for its box.
            const SIZE size = TextSize(form, font, text);
            const bool boxed = entry.kind == ControlKind::RadioButton || entry.kind == ControlKind::CheckBox;
            width = size.cx + (boxed ? 20 : 2);
            height = height == 0 ? (boxed ? 17 : size.cy) : height;
            if (entry.flags & kAlignRight) x -= width;
            auto_sized_.insert(id);
        }
        const DWORD visible = (entry.flags & kHidden) ? 0 : WS_VISIBLE;
        const DWORD group = (entry.flags & kGroupStart) ? WS_GROUP : 0;
        const HWND control = CreateWindowExW(
            kind.ex_style, kind.class_name, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | visible | group | kind.style, x, entry.y,
            width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control == nullptr) continue;
        SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(entry.flags));
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (entry.kind == ControlKind::GroupBox) SetWindowSubclass(control, GroupBoxProc, 1, 0);
        if (entry.kind == ControlKind::CSpinButton) {
            // Never at an end: every click is one step up or down.
            SendMessageW(control, UDM_SETRANGE32, 0, 100);
            SendMessageW(control, UDM_SETPOS32, 0, 50);
        }
        controls_[id] = control;
        flags_[id] = entry.flags;
    }
    // A group box only frames: controls placed over it stay in front.
    for (const ControlSpec& entry : table) {
        if (entry.kind != ControlKind::GroupBox) continue;
        SetWindowPos(Control(ControlId(entry.kind, entry.number)), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool SpinClick(LPARAM notification, int32_t& id, bool& up) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(notification);
    if (change->hdr.code != UDN_DELTAPOS) return false;
    id = static_cast<int32_t>(change->hdr.idFrom);
    up = change->iDelta > 0;
    return true;
}

void FormLayout::SetFontWhere(uint32_t flag, HFONT font) {
    for (const auto& [id, flags] : flags_) {
        if (flags & flag) SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void FormLayout::SetText(int32_t id, const std::string& text) {
    const HWND control = Control(id);
    const std::wstring wide = Wide(text);
    SetWindowTextW(control, wide.c_str());
    if (auto_sized_.count(id) == 0) return;
    // Sized again to the new text, in the control's own font.
    const SIZE size = TextSize(control, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), wide);
    SetWindowPos(control, nullptr, 0, 0, size.cx + 2, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND FormLayout::Control(int32_t id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

}  // namespace kronvik

#include "platform/win32/forms_win32.h"

#include <commctrl.h>

namespace kronvik {

namespace {

// The middle of the screen's work area.
void CentreOnScreen(HWND window) {
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HWND CreateForm(HINSTANCE instance, const wchar_t* class_name, const wchar_t* caption,
                DWORD style, DWORD ex_style, int client_width, int client_height, HWND owner) {
    RECT rect{0, 0, client_width, client_height};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    return CreateWindowExW(ex_style, class_name, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                           instance, nullptr);
}

void ShowDialog(HWND window, bool& shown_before) {
    if (!shown_before) {
        CentreOnScreen(window);
        shown_before = true;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    BringWindowToTop(window);
}

HWND FirstTabStop(HWND container) {
    HWND found = nullptr;
    // Children come parent first, then its own children, in z-order: the order of Tab.
    EnumChildWindows(
        container,
        [](HWND child, LPARAM result) -> BOOL {
            if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) == 0 || !IsWindowVisible(child) ||
                !IsWindowEnabled(child))
                return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND CreateHints(HWND form) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr,
                           instance, nullptr);
}

void AddHint(HWND hints, HWND form, HWND control, const wchar_t* text) {
    if (hints == nullptr || control == nullptr) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FormView::MakeForm(HINSTANCE instance, const Form& form, HWND owner) {
    RegisterFormClass<Proc>(instance, form.class_name);
    window_ = CreateForm(instance, form.class_name, form.caption, form.style, form.ex_style, form.client.cx,
                         form.client.cy, owner);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layout_.Create(window_, form.layout, form.fonts, form.client);
    access_.Attach(layout_, form.layout, form.accessible);
}

void FormView::Activated(bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) last_focus_ = focus;
        return;
    }
    HWND focus = last_focus_;
    if (focus == nullptr || !IsWindowVisible(focus) || !IsWindowEnabled(focus)) focus = FirstTabStop(window_);
    SetFocus(focus != nullptr ? focus : window_);
}

LRESULT CALLBACK FormView::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<FormView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    LRESULT result = 0;
    if (self->Handle(message, wparam, lparam, result)) return result;
    switch (message) {
    case WM_COMMAND:
        if (self->Command(LOWORD(wparam), HIWORD(wparam))) return 0;
        break;
    case WM_NOTIFY: {
        // A click on an up-down arrow. Answered TRUE, so the position stays
        // in the middle of its range.
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lparam);
        if (change->hdr.code != UDN_DELTAPOS) break;
        self->Spin(static_cast<int32_t>(change->hdr.idFrom), change->iDelta > 0);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        return self->layout_.Colors(wparam, lparam);
    case WM_DPICHANGED:
        self->layout_.DpiChanged(wparam, lparam);
        return 0;
    case WM_SETTINGCHANGE:
        if (wparam != SPI_SETHIGHCONTRAST) break;
        [[fallthrough]];
    case WM_SYSCOLORCHANGE:
        self->layout_.ColoursChanged();
        break;
    case WM_ACTIVATE:
        self->Activated(LOWORD(wparam) != WA_INACTIVE);
        return 0;
    case WM_CLOSE:
        self->Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace kronvik

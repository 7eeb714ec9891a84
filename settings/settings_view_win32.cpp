#include "settings/settings_view_win32.h"

#include <commctrl.h>
#include <imm.h>

#include <iterator>

#include "platform/win32/contrast_win32.h"
#include "platform/win32/edit_limit_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_settings.h"
#include "settings/settings_table.h"

namespace kronvik {

namespace {

using namespace settings_form;

constexpr int kPageCount = static_cast<int>(std::size(kPages));
constexpr const wchar_t* kGothic = L"ＭＳ Ｐゴシック";
constexpr FormFont kSettingsFonts[] = {{0, 12, FW_NORMAL, kGothic, SHIFTJIS_CHARSET},
                                       {kSmallText, 11, FW_NORMAL, kGothic, SHIFTJIS_CHARSET},
                                       {kBold, 12, FW_BOLD, kGothic, SHIFTJIS_CHARSET},
                                       {kTealTitle, 11, FW_BOLD, L"Arial", ANSI_CHARSET}};

}  // namespace

void Win32SettingsView::Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images,
                               SettingsPresenter& presenter) {
    owner_ = owner;
    digit_images_ = &digit_images;
    presenter_ = &presenter;
    MakeForm(instance, {L"TForm4", L"Kronvik設定", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                        WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kLayout, kSettingsFonts,
                        {kClientWidth, kClientHeight}, kAccessible});

    const HWND tabs = layout_.Control(kPageControl1);
    for (int i = 0; i < kPageCount; ++i) {
        std::wstring title = Wide(kPageTitles[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        // A page is named by its tab.
        layout_.SetText(kPages[i], kPageTitles[i]);
    }
    FitPages();
    SelectPage(0);

    for (const Setting& row : kSettings)
        if (row.bytes) LimitEditBytes(layout_.Control(row.edit), static_cast<std::size_t>(row.bytes));
    // The time shift is a number: typed without the input method.
    ImmAssociateContext(layout_.Control(kEdit3), nullptr);

    presenter.AttachView(this);
    presenter.FormCreate();
}

void Win32SettingsView::FitPages() {
    const HWND tabs = layout_.Control(kPageControl1);
    RECT area;
    GetClientRect(tabs, &area);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (const int32_t page : kPages) {
        SetWindowPos(layout_.Control(page), HWND_TOP, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOACTIVATE);
    }
    // The method panel sits over the tab strip's free end.
    SetWindowPos(layout_.Control(kPanel5), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32SettingsView::Show() { ShowDialog(window_, shown_before_); }

bool Win32SettingsView::PageKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
    if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
    const int current = static_cast<int>(SendMessageW(layout_.Control(kPageControl1), TCM_GETCURSEL, 0, 0));
    const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? kPageCount - 1 : 1;
    SelectPage((current + step) % kPageCount);
    return true;
}

void Win32SettingsView::SetText(int32_t id, const std::string& text) { layout_.SetText(id, text); }

std::string Win32SettingsView::Text(int32_t id) { return layout_.Text(id); }

void Win32SettingsView::SetChecked(int32_t id, bool checked) {
    SendMessageW(layout_.Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32SettingsView::Checked(int32_t id) {
    return SendMessageW(layout_.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32SettingsView::SetEnabled(int32_t id, bool enabled) {
    EnableWindow(layout_.Control(id), enabled ? TRUE : FALSE);
}

void Win32SettingsView::SetVisible(int32_t id, bool visible) {
    ShowWindow(layout_.Control(id), visible ? SW_SHOW : SW_HIDE);
}

void Win32SettingsView::SetDigit(int32_t image_id, int32_t digit) {
    if (digit < 0 || digit > 9) return;
    layout_.SetDigit(image_id, digit, (*digit_images_)[static_cast<std::size_t>(digit)].get());
}

int32_t Win32SettingsView::TrackYearMenu() {
    const Menu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, 1, L"西暦表示");
    AppendMenuW(menu.get(), MF_STRING, 2, L"和暦表示");
    AppendMenuW(menu.get(), MF_STRING, 3, L"暦表示無し");
    POINT at{};
    GetCursorPos(&at);
    // Pressed from the keyboard, the button is not under the mouse: the menu
    // opens under the button.
    const HWND button = layout_.Control(kSpeedButton2);
    RECT rect;
    GetWindowRect(button, &rect);
    if (!PtInRect(&rect, at)) at = {rect.left, rect.bottom};
    SetForegroundWindow(owner_);
    const auto chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner_, nullptr));
    // The menu's owner took the foreground: the keyboard comes back here.
    SetForegroundWindow(window_);
    return chosen;
}

void Win32SettingsView::ShowError(const std::string& text) {
    // Owned by the open dialog, which is always on top: the box stands in
    // front of it instead of behind it.
    const HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
    MessageBoxW(owner, Wide(text).c_str(), L"Kronvik", MB_OK | MB_ICONERROR);
}

void Win32SettingsView::SelectPage(int index) {
    const HWND focus = GetFocus();
    SendMessageW(layout_.Control(kPageControl1), TCM_SETCURSEL, index, 0);
    for (int i = 0; i < kPageCount; ++i) ShowWindow(layout_.Control(kPages[i]), i == index ? SW_SHOW : SW_HIDE);
    access_.ValueChanged(kPageControl1);
    // The focus on a page that went away moves to the page now in front.
    if (focus == nullptr || IsWindowVisible(focus)) return;
    const HWND first = FirstTabStop(layout_.Control(kPages[index]));
    SetFocus(first != nullptr ? first : layout_.Control(kPageControl1));
}

bool Win32SettingsView::Command(int32_t id, UINT code) {
    if (code != BN_CLICKED) return false;
    SettingsPresenter& p = *presenter_;
    switch (id) {
    case kButton1: p.Button1Click(); return true;
    case kSpeedButton1: p.SpeedButton1Click(); return true;
    case kSpeedButton2: p.SpeedButton2Click(); return true;
    case kSpeedButton3: p.SpeedButton3Click(); return true;
    case kSpeedButton4: p.SpeedButton4Click(); return true;
    case kRadioButton4: p.RadioButton4Click(); return true;
    case kRadioButton5: p.RadioButton5Click(); return true;
    case kRadioButton6: p.RadioButton6Click(); return true;
    case kRadioButton9: p.RadioButton9Click(); return true;
    case IDCANCEL:  // Esc: like the close box
        Close();
        return true;
    case IDOK:  // Enter never applies by surprise
        return true;
    default:
        return false;
    }
}

void Win32SettingsView::Spin(int32_t id, bool up) {
    SettingsPresenter& p = *presenter_;
    switch (id) {
    case kCSpinButton1: up ? p.CSpinButton1UpClick() : p.CSpinButton1DownClick(); break;
    case kCSpinButton2: up ? p.CSpinButton2UpClick() : p.CSpinButton2DownClick(); break;
    case kCSpinButton3: up ? p.CSpinButton3UpClick() : p.CSpinButton3DownClick(); break;
    default: return;
    }
    access_.ValueChanged(id);
}

void Win32SettingsView::DrawFlatButton(const DRAWITEMSTRUCT& item) const {
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (item.itemState & ODS_SELECTED) DrawEdge(item.hDC, &rect, BDR_SUNKENOUTER, BF_RECT);
    wchar_t text[32] = {};
    GetWindowTextW(item.hwndItem, text, 32);
    SetBkMode(item.hDC, TRANSPARENT);
    COLORREF colour = HighContrast() ? GetSysColor(COLOR_BTNTEXT) : RGB(0, 0, 255);
    if (item.itemState & ODS_DISABLED) colour = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(item.hDC, colour);
    DrawTextW(item.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&rect, -2, -2);
        DrawFocusRect(item.hDC, &rect);
    }
}

bool Win32SettingsView::Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header->idFrom != static_cast<UINT_PTR>(kPageControl1) || header->code != TCN_SELCHANGE) return false;
        SelectPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        result = 0;
        return true;
    }
    case WM_DRAWITEM:
        DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        result = TRUE;
        return true;
    case WM_CTLCOLORBTN:
        result = layout_.Colors(wparam, lparam);
        return true;
    case WM_DPICHANGED:
        layout_.DpiChanged(wparam, lparam);
        FitPages();
        result = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace kronvik

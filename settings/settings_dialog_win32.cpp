#include "settings/settings_dialog_win32.h"

#include <commctrl.h>
#include <imm.h>

#include <vector>

#include "platform/win32/edit_limit_win32.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_settings.h"

namespace kronvik {

namespace {

using K = ControlKind;
constexpr int32_t kPageControl1 = ControlId(K::PageControl, 1);
constexpr int32_t kPages[] = {kPageModeId, kPageBasicId, kPageOptionsId};
constexpr int kPageCount = 3;
constexpr const wchar_t* kGothic = L"ＭＳ Ｐゴシック";
constexpr FormFont kSettingsFonts[] = {{0, 12, FW_NORMAL, kGothic, SHIFTJIS_CHARSET},
                                       {kSmallText, 11, FW_NORMAL, kGothic, SHIFTJIS_CHARSET},
                                       {kBold, 12, FW_BOLD, kGothic, SHIFTJIS_CHARSET},
                                       {kTealTitle, 11, FW_BOLD, L"Arial", ANSI_CHARSET}};

}  // namespace

void SettingsDialog::Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images,
                            SettingsPresenter& presenter) {
    owner_ = owner;
    digit_images_ = &digit_images;
    presenter_ = &presenter;
    RegisterFormClass<Proc>(instance, L"TForm4");
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    window_ = CreateForm(instance, L"TForm4", L"Kronvik設定", style,
                         WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                         kSettingsClientWidth, kSettingsClientHeight);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layout_.Create(window_, kSettingsLayout, kSettingsFonts, {kSettingsClientWidth, kSettingsClientHeight});

    const HWND tabs = layout_.Control(kPageControl1);
    for (int i = 0; i < kPageCount; ++i) {
        std::wstring title = Wide(kSettingsPageTitles[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    FitPages();
    SelectPage(0);

    for (const EditLimit& limit : kSettingsEditLimits)
        LimitEditBytes(layout_.Control(limit.id), static_cast<std::size_t>(limit.bytes));
    // The time shift is a number: typed without the input method.
    ImmAssociateContext(layout_.Control(ControlId(K::Edit, 3)), nullptr);

    presenter.AttachView(this);
    presenter.FormCreate();
}

void SettingsDialog::FitPages() {
    const HWND tabs = layout_.Control(kPageControl1);
    RECT area;
    GetClientRect(tabs, &area);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (const int32_t page : kPages) {
        SetWindowPos(layout_.Control(page), HWND_TOP, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOACTIVATE);
    }
    // The method panel sits over the tab strip's free end.
    SetWindowPos(layout_.Control(ControlId(K::Panel, 5)), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SettingsDialog::Show() { ShowDialog(window_, shown_before_); }

bool SettingsDialog::PageKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
    if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
    const int current = static_cast<int>(SendMessageW(layout_.Control(kPageControl1), TCM_GETCURSEL, 0, 0));
    const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? kPageCount - 1 : 1;
    SelectPage((current + step) % kPageCount);
    return true;
}

void SettingsDialog::SetText(int32_t id, const std::string& text) { layout_.SetText(id, text); }

std::string SettingsDialog::Text(int32_t id) {
    const HWND control = layout_.Control(id);
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(control)) + 1);
    const int length = GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
    return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(length > 0 ? length : 0)));
}

void SettingsDialog::SetChecked(int32_t id, bool checked) {
    SendMessageW(layout_.Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool SettingsDialog::Checked(int32_t id) {
    return SendMessageW(layout_.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SettingsDialog::SetEnabled(int32_t id, bool enabled) {
    EnableWindow(layout_.Control(id), enabled ? TRUE : FALSE);
}

void SettingsDialog::SetVisible(int32_t id, bool visible) {
    ShowWindow(layout_.Control(id), visible ? SW_SHOW : SW_HIDE);
}

void SettingsDialog::SetDigit(int32_t image_id, int32_t digit) {
    if (digit < 0 || digit > 9) return;
    layout_.SetImage(image_id, (*digit_images_)[static_cast<std::size_t>(digit)].get());
}

int32_t SettingsDialog::TrackYearMenu() {
    const Menu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, 1, L"西暦表示");
    AppendMenuW(menu.get(), MF_STRING, 2, L"和暦表示");
    AppendMenuW(menu.get(), MF_STRING, 3, L"暦表示無し");
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(owner_);
    return static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner_, nullptr));
}

void SettingsDialog::ShowError(const std::string& text) {
    // Owned by the open dialog, which is always on top: the box stands in
    // front of it instead of behind it.
    const HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
    MessageBoxW(owner, Wide(text).c_str(), L"Kronvik", MB_OK | MB_ICONERROR);
}

void SettingsDialog::SelectPage(int index) {
    SendMessageW(layout_.Control(kPageControl1), TCM_SETCURSEL, index, 0);
    for (int i = 0; i < kPageCount; ++i) ShowWindow(layout_.Control(kPages[i]), i == index ? SW_SHOW : SW_HIDE);
}

bool SettingsDialog::Command(int id) {
    SettingsPresenter& p = *presenter_;
    switch (id) {
    case ControlId(K::Button, 1): p.Button1Click(); return true;
    case ControlId(K::SpeedButton, 1): p.SpeedButton1Click(); return true;
    case ControlId(K::SpeedButton, 2): p.SpeedButton2Click(); return true;
    case ControlId(K::SpeedButton, 3): p.SpeedButton3Click(); return true;
    case ControlId(K::SpeedButton, 4): p.SpeedButton4Click(); return true;
    case ControlId(K::RadioButton, 4): p.RadioButton4Click(); return true;
    case ControlId(K::RadioButton, 5): p.RadioButton5Click(); return true;
    case ControlId(K::RadioButton, 6): p.RadioButton6Click(); return true;
    case ControlId(K::RadioButton, 9): p.RadioButton9Click(); return true;
    case IDCANCEL:  // Esc: like the close box
        ShowWindow(window_, SW_HIDE);
        return true;
    case IDOK:  // Enter never applies by surprise
        return true;
    default:
        return false;
    }
}

void SettingsDialog::Spin(int id, bool up) {
    SettingsPresenter& p = *presenter_;
    switch (id) {
    case ControlId(K::CSpinButton, 1): up ? p.CSpinButton1UpClick() : p.CSpinButton1DownClick(); break;
    case ControlId(K::CSpinButton, 2): up ? p.CSpinButton2UpClick() : p.CSpinButton2DownClick(); break;
    case ControlId(K::CSpinButton, 3): up ? p.CSpinButton3UpClick() : p.CSpinButton3DownClick(); break;
    default: break;
    }
}

void SettingsDialog::DrawFlatButton(const DRAWITEMSTRUCT& item) const {
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (item.itemState & ODS_SELECTED) DrawEdge(item.hDC, &rect, BDR_SUNKENOUTER, BF_RECT);
    wchar_t text[32] = {};
    GetWindowTextW(item.hwndItem, text, 32);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
    DrawTextW(item.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&rect, -2, -2);
        DrawFocusRect(item.hDC, &rect);
    }
}

LRESULT CALLBACK SettingsDialog::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case WM_COMMAND:
            if (HIWORD(wparam) == BN_CLICKED && self->Command(LOWORD(wparam))) return 0;
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == static_cast<UINT_PTR>(kPageControl1) && header->code == TCN_SELCHANGE) {
                self->SelectPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
                return 0;
            }
            int32_t id = 0;
            bool up = false;
            if (SpinClick(lparam, id, up)) {
                self->Spin(id, up);
                return TRUE;
            }
            break;
        }
        case WM_DRAWITEM:
            self->DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return self->layout_.Colors(wparam, lparam);
        case WM_DPICHANGED:
            self->layout_.DpiChanged(wparam, lparam);
            self->FitPages();
            return 0;
        default:
            break;
        }
    }
    return HideOnCloseProc(window, message, wparam, lparam);
}

}  // namespace kronvik

#include "settings/settings_dialog_win32.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/forms_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_settings.h"
#include "settings/settings_dialog.h"

namespace kronvik {

namespace {

constexpr int32_t kPageControl1 = ControlId(ControlKind::PageControl, 1);
constexpr int32_t kEdit1 = ControlId(ControlKind::Edit, 1);
constexpr int32_t kEdit2 = ControlId(ControlKind::Edit, 2);
constexpr int32_t kLabel3 = ControlId(ControlKind::Label, 3);
constexpr int32_t kLabel27 = ControlId(ControlKind::Label, 27);
constexpr int32_t kGroupBox2 = ControlId(ControlKind::GroupBox, 2);
constexpr int32_t kPages[] = {kPageModeId, kPageBasicId, kPageOptionsId};

}  // namespace

void SettingsDialog::Create(HINSTANCE instance, Registry& registry) {
    RegisterFormClass(instance, L"TForm4", Proc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    window_ = CreateForm(instance, L"TForm4", L"Kronvik設定", style,
                         WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kSettingsClientWidth,
                         kSettingsClientHeight);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"ＭＳ Ｐゴシック");
    layout_.Create(window_, kSettingsLayout, font_);

    const HWND tabs = layout_.Control(kPageControl1);
    for (int i = 0; i < 3; ++i) {
        std::wstring title = Wide(kSettingsPageTitles[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT area;
    GetClientRect(tabs, &area);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (const int32_t page : kPages) {
        SetWindowPos(layout_.Control(page), HWND_TOP, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOACTIVATE);
    }
    SelectPage(0);

    const ProxyFields proxy = ReadProxyFields(registry);
    SetText(kEdit1, proxy.address);
    SetText(kEdit2, proxy.port);
}

void SettingsDialog::Show(const SettingsRecord& settings) {
    SetText(kLabel3, LastSettingLabel(settings.SET_TIME.Get()));
    // The proxy fields belong to the HTTP method.
    ShowWindow(layout_.Control(kGroupBox2), settings.MODE != 0 ? SW_SHOW : SW_HIDE);
    ShowDialog(window_, shown_before_);
}

std::string SettingsDialog::ProxyAddress() const { return Text(kEdit1); }
std::string SettingsDialog::ProxyPort() const { return Text(kEdit2); }
void SettingsDialog::SetLastSetting(const std::string& text) { SetText(kLabel3, text); }
void SettingsDialog::SetFailureNotice(const std::string& text) { SetText(kLabel27, text); }

void SettingsDialog::SelectPage(int index) {
    SendMessageW(layout_.Control(kPageControl1), TCM_SETCURSEL, index, 0);
    for (int i = 0; i < 3; ++i) ShowWindow(layout_.Control(kPages[i]), i == index ? SW_SHOW : SW_HIDE);
}

void SettingsDialog::SetText(int32_t id, const std::string& text) {
    SetWindowTextW(layout_.Control(id), Wide(text).c_str());
}

std::string SettingsDialog::Text(int32_t id) const {
    const HWND control = layout_.Control(id);
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(control)) + 1);
    const int length = GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
    return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(length)));
}

LRESULT CALLBACK SettingsDialog::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == static_cast<UINT_PTR>(kPageControl1) && header->code == TCN_SELCHANGE) {
                self->SelectPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return self->layout_.Colors(wparam, lparam);
        default:
            break;
        }
    }
    return HideOnCloseProc(window, message, wparam, lparam);
}

}  // namespace kronvik

#include "schedule/entry_dialog_win32.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/edit_limit_win32.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_entry.h"

namespace kronvik {
namespace {

constexpr int32_t kEdit1 = ControlId(ControlKind::Edit, 1);
constexpr int32_t kButton1 = ControlId(ControlKind::Button, 1);
constexpr int32_t kButton2 = ControlId(ControlKind::Button, 2);
constexpr int32_t kButton3 = ControlId(ControlKind::Button, 3);
constexpr int32_t kSpin1 = ControlId(ControlKind::CSpinButton, 1);
constexpr int32_t kSpin2 = ControlId(ControlKind::CSpinButton, 2);
// The dialog's top-left corner relative to the cursor when it opens.
constexpr int kCursorOffsetX = 240;
constexpr int kCursorOffsetY = 60;
constexpr FormFont kEntryFonts[] = {{0, 12, FW_BOLD, L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET},
                                    {kSmallText, 10, FW_NORMAL, L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET}};

}  // namespace

void EntryDialogWindow::Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images,
                               ScheduleEntryDialog& presenter) {
    digit_images_ = &digit_images;
    presenter_ = &presenter;
    RegisterFormClass<Proc>(instance, L"TForm3");
    window_ = CreateForm(instance, L"TForm3", L"予定入力フィールド", WS_POPUP | WS_CAPTION,
                         WS_EX_TOOLWINDOW, kEntryClientWidth, kEntryClientHeight, owner);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layout_.Create(window_, kEntryLayout, kEntryFonts, {kEntryClientWidth, kEntryClientHeight});
    LimitEditBytes(layout_.Control(kEdit1), kAppointmentTextMaxBytes);
    const HWND hints = CreateHints(window_);
    AddHint(hints, window_, layout_.Control(kEdit1), L"予定入力フィールド");
    AddHint(hints, window_, layout_.Control(kButton2), L"登録");
    AddHint(hints, window_, layout_.Control(kButton3), L"削除");
    AddHint(hints, window_, layout_.Control(kButton1), L"取り消し");
    presenter.AttachView(this);
}

void EntryDialogWindow::ShowDigits(const EntryDigits& digits) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int32_t digit = digits[i] >= 0 && digits[i] <= 9 ? digits[i] : 0;
        layout_.SetImage(ControlId(ControlKind::Image, static_cast<int32_t>(i)),
                         (*digit_images_)[static_cast<std::size_t>(digit)].get());
    }
}

void EntryDialogWindow::SetText(const std::string& text) {
    SetWindowTextW(layout_.Control(kEdit1), Wide(text).c_str());
}

std::string EntryDialogWindow::Text() {
    const HWND edit = layout_.Control(kEdit1);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1);
    const int length = GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    return Narrow(std::wstring_view(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0)));
}

void EntryDialogWindow::EnableDelete(bool enabled) {
    EnableWindow(layout_.Control(kButton3), enabled ? TRUE : FALSE);
}

void EntryDialogWindow::Warn(const std::string& text, const std::string& caption) {
    MessageBoxW(window_, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONWARNING);
}

void EntryDialogWindow::ShowAtCursor() {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT rect;
    GetWindowRect(window_, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = cursor.x - layout_.Scaled(kCursorOffsetX);
    int y = cursor.y - layout_.Scaled(kCursorOffsetY);
    // Kept inside the work area of the monitor that holds the cursor.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        if (x + width > area.right) x = area.right - width;
        if (y + height > area.bottom) y = area.bottom - height;
        if (x < area.left) x = area.left;
        if (y < area.top) y = area.top;
    }
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    BringWindowToTop(window_);
    SetFocus(layout_.Control(kEdit1));
}

void EntryDialogWindow::Hide() { ShowWindow(window_, SW_HIDE); }

bool EntryDialogWindow::Command(int id) {
    switch (id) {
    case kButton2:
    case IDOK:  // Enter
        presenter_->Button2Click();
        return true;
    case kButton3:
        if (IsWindowEnabled(layout_.Control(kButton3))) presenter_->Button3Click();
        return true;
    case kButton1:
    case IDCANCEL:  // Esc
        presenter_->Button1Click();
        return true;
    default:
        return false;
    }
}

void EntryDialogWindow::Spin(int id, bool up) {
    if (id == kSpin1) {
        up ? presenter_->CSpinButton1UpClick() : presenter_->CSpinButton1DownClick();
    } else if (id == kSpin2) {
        up ? presenter_->CSpinButton2UpClick() : presenter_->CSpinButton2DownClick();
    }
}

LRESULT CALLBACK EntryDialogWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<EntryDialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case WM_COMMAND:
            if (HIWORD(wparam) == BN_CLICKED && self->Command(LOWORD(wparam))) return 0;
            break;
        case WM_NOTIFY: {
            int32_t id = 0;
            bool up = false;
            if (SpinClick(lparam, id, up)) {
                self->Spin(id, up);
                return TRUE;
            }
            break;
        }
        case WM_CLOSE:
            // Closing the window from the keyboard leaves like Cancel.
            self->presenter_->Button1Click();
            return 0;
        case WM_CTLCOLORSTATIC:
            return self->layout_.Colors(wparam, lparam);
        case WM_DPICHANGED:
            self->layout_.DpiChanged(wparam, lparam);
            return 0;
        default:
            break;
        }
    }
    return HideOnCloseProc(window, message, wparam, lparam);
}

}  // namespace kronvik

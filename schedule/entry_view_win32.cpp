#include "schedule/entry_view_win32.h"

#include <algorithm>

#include "platform/win32/edit_limit_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_entry.h"

namespace kronvik {
namespace {

using namespace entry_form;

// The dialog's top-left corner relative to the cursor when it opens.
constexpr int kCursorOffsetX = 240;
constexpr int kCursorOffsetY = 60;
constexpr FormFont kEntryFonts[] = {{0, 12, FW_BOLD, L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET},
                                    {kSmallText, 10, FW_NORMAL, L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET}};

}  // namespace

void Win32EntryView::Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images,
                            EntryPresenter& presenter) {
    digit_images_ = &digit_images;
    presenter_ = &presenter;
    MakeForm(instance,
             {L"TForm3", L"予定入力フィールド", WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, kLayout, kEntryFonts,
              {kClientWidth, kClientHeight}, kAccessible},
             owner);
    LimitEditBytes(layout_.Control(kEdit1), kAppointmentTextMaxBytes);
    const HWND hints = CreateHints(window_);
    AddHint(hints, window_, layout_.Control(kEdit1), L"予定入力フィールド");
    AddHint(hints, window_, layout_.Control(kButton2), L"登録");
    AddHint(hints, window_, layout_.Control(kButton3), L"削除");
    AddHint(hints, window_, layout_.Control(kButton1), L"取り消し");
    presenter.AttachView(this);
}

void Win32EntryView::ShowDigits(const EntryDigits& digits) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int32_t digit = digits[i] >= 0 && digits[i] <= 9 ? digits[i] : 0;
        layout_.SetDigit(kImage0000 + static_cast<int32_t>(i), digit,
                         (*digit_images_)[static_cast<std::size_t>(digit)].get());
    }
}

void Win32EntryView::SetText(const std::string& text) { layout_.SetText(kEdit1, text); }

std::string Win32EntryView::Text() { return layout_.Text(kEdit1); }

void Win32EntryView::EnableDelete(bool enabled) {
    EnableWindow(layout_.Control(kButton3), enabled ? TRUE : FALSE);
}

void Win32EntryView::Warn(const std::string& text, const std::string& caption) {
    MessageBoxW(window_, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONWARNING);
}

void Win32EntryView::ShowAtCursor() {
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
        // The left and top edges win over the right and bottom ones.
        x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
        y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
    }
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    BringWindowToTop(window_);
    SetFocus(layout_.Control(kEdit1));
}

void Win32EntryView::Hide() { ShowWindow(window_, SW_HIDE); }

bool Win32EntryView::Command(int32_t id, UINT code) {
    if (code != BN_CLICKED) return false;
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

void Win32EntryView::Spin(int32_t id, bool up) {
    if (id == kCSpinButton1) up ? presenter_->CSpinButton1UpClick() : presenter_->CSpinButton1DownClick();
    if (id == kCSpinButton2) up ? presenter_->CSpinButton2UpClick() : presenter_->CSpinButton2DownClick();
    access_.ValueChanged(id);
}

}  // namespace kronvik

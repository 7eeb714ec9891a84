#include "about/about_box_win32.h"

#include "platform/win32/forms_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_about.h"

namespace kronvik {

namespace {

constexpr int32_t kImage1 = ControlId(ControlKind::Image, 1);
constexpr int32_t kLabel1 = ControlId(ControlKind::Label, 1);


}  // namespace

void AboutBox::Create(HINSTANCE instance) {
    RegisterFormClass(instance, L"TForm2", Proc);
    window_ = CreateForm(instance, L"TForm2", L"バージョン情報", WS_POPUP | WS_CAPTION,
                         WS_EX_TOOLWINDOW, kAboutClientWidth, kAboutClientHeight);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The version text is 8 pixels high whatever the screen's text scaling.
    label_font_ = MakeFont(8, FW_NORMAL, L"Small Fonts", ANSI_CHARSET);
    layout_.Create(window_, kAboutLayout, label_font_.get());
    logo_.reset(static_cast<HBITMAP>(LoadImageW(instance, L"LOGO", IMAGE_BITMAP, 0, 0, 0)));
    SendMessageW(layout_.Control(kImage1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
    // The label lies over the picture and takes its own clicks.
    SetWindowPos(layout_.Control(kLabel1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void AboutBox::SetLabel(const std::string& text) {
    const HWND label = layout_.Control(kLabel1);
    const std::wstring wide = Wide(text);
    SetWindowTextW(label, wide.c_str());
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, label_font_.get());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    const int width = size.cx + 2;
    MoveWindow(label, kAboutLabelRight - width, 3, width, size.cy, TRUE);
}

void AboutBox::Show(const std::string& version) {
    SetLabel(version);
    ShowDialog(window_, shown_before_);
}

LRESULT CALLBACK AboutBox::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == kImage1 && HIWORD(wparam) == STN_CLICKED) {
                ShowWindow(window, SW_HIDE);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            return self->layout_.Colors(wparam, lparam);
        default:
            break;
        }
    }
    return HideOnCloseProc(window, message, wparam, lparam);
}

}  // namespace kronvik

#include "about/about_box_win32.h"

#include "platform/win32/forms_win32.h"
#include "platform/win32/win32_text.h"
#include "resources/layout_about.h"

namespace kronvik {

namespace {

constexpr int32_t kImage1 = ControlId(ControlKind::Image, 1);
constexpr int32_t kLabel1 = ControlId(ControlKind::Label, 1);

}  // namespace

// The version text is 8 pixels high whatever the screen's text scaling.
constexpr FormFont kAboutFonts[] = {{0, 8, FW_NORMAL, L"Small Fonts", ANSI_CHARSET}};

void AboutBox::Create(HINSTANCE instance) {
    RegisterFormClass<Proc>(instance, L"TForm2");
    window_ = CreateForm(instance, L"TForm2", L"バージョン情報", WS_POPUP | WS_CAPTION,
                         WS_EX_TOOLWINDOW, kAboutClientWidth, kAboutClientHeight);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layout_.Create(window_, kAboutLayout, kAboutFonts, {kAboutClientWidth, kAboutClientHeight});
    logo_.reset(static_cast<HBITMAP>(LoadImageW(instance, L"LOGO", IMAGE_BITMAP, 0, 0, 0)));
    layout_.SetImage(kImage1, logo_.get());
    // The label lies over the picture and takes its own clicks.
    SetWindowPos(layout_.Control(kLabel1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void AboutBox::Show(const std::string& version) {
    layout_.SetText(kLabel1, version);
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

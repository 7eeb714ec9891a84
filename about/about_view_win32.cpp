#include "about/about_view_win32.h"

#include "resources/layout_about.h"

namespace kronvik {

namespace {

using namespace about_form;

// The version text is 8 pixels high whatever the screen's text scaling.
constexpr FormFont kAboutFonts[] = {{0, 8, FW_NORMAL, L"Small Fonts", ANSI_CHARSET}};

}  // namespace

void Win32AboutView::Create(HINSTANCE instance) {
    MakeForm(instance, {L"TForm2", L"バージョン情報", WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, kLayout, kAboutFonts,
                        {kClientWidth, kClientHeight}, kAccessible});
    logo_.reset(static_cast<HBITMAP>(LoadImageW(instance, L"LOGO", IMAGE_BITMAP, 0, 0, 0)));
    layout_.SetImage(kImage1, logo_.get());
    // The label lies over the picture and takes its own clicks.
    SetWindowPos(layout_.Control(kLabel1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Win32AboutView::Show(const std::string& version) {
    layout_.SetText(kLabel1, version);
    ShowDialog(window_, shown_before_);
}

bool Win32AboutView::Command(int32_t id, UINT code) {
    // The picture is the box's one button; Esc and Enter press it too.
    const bool picture = id == kImage1 && code == STN_CLICKED;
    if (!picture && id != IDCANCEL && id != IDOK) return false;
    ShowWindow(window_, SW_HIDE);
    return true;
}

}  // namespace kronvik

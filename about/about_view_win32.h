#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/gdi_win32.h"
#include "platform/win32/layout_win32.h"

namespace kronvik {

// TForm2: the logo with the version; a click on the picture hides it.
class Win32AboutView {
public:
    void Create(HINSTANCE instance);
    HWND Window() const { return window_; }
    // Sets the version text and shows the box: centred the first time, where
    // the user left it afterwards; brought to the front when already shown.
    void Show(const std::string& version);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window_ = nullptr;
    Bitmap logo_;
    FormLayout layout_;
    bool shown_before_ = false;
};

}  // namespace kronvik

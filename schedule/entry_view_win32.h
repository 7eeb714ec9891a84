#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/gdi_win32.h"
#include "platform/win32/layout_win32.h"
#include "schedule/entry_presenter.h"

namespace kronvik {

// TForm3: the window of the appointment entry dialog. Creates its controls
// from the layout table and forwards the buttons and spins to the presenter.
class Win32EntryView : public EntryView {
public:
    // owner: the main window, so the dialog has no taskbar button;
    // digit_images: the ten digit pictures, alive as long as the window.
    void Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images, EntryPresenter& presenter);
    HWND Window() const { return window_; }

    void ShowDigits(const EntryDigits& digits) override;
    void SetText(const std::string& text) override;
    std::string Text() override;
    void EnableDelete(bool enabled) override;
    void Warn(const std::string& text, const std::string& caption) override;
    void ShowAtCursor() override;
    void Hide() override;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    bool Command(int id);
    void Spin(int id, bool up);

    HWND window_ = nullptr;
    const DigitImages* digit_images_ = nullptr;
    EntryPresenter* presenter_ = nullptr;
    FormLayout layout_;
};

}  // namespace kronvik

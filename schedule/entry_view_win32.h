#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/forms_win32.h"
#include "platform/win32/gdi_win32.h"
#include "schedule/entry_presenter.h"

namespace kronvik {

// TForm3: the window of the appointment entry dialog. Creates its controls
// from the layout table and forwards the buttons and spins to the presenter.
class Win32EntryView : public EntryView, public FormView {
public:
    // owner: the main window, so the dialog has no taskbar button;
    // digit_images: the ten digit pictures, alive as long as the window.
    void Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images, EntryPresenter& presenter);

    void ShowDigits(const EntryDigits& digits) override;
    void SetText(const std::string& text) override;
    std::string Text() override;
    void EnableDelete(bool enabled) override;
    void Warn(const std::string& text, const std::string& caption) override;
    void ShowAtCursor() override;
    void Hide() override;

private:
    bool Command(int32_t id, UINT code) override;
    void Spin(int32_t id, bool up) override;
    // Closing the window from the keyboard leaves like Cancel.
    void Close() override { presenter_->Button1Click(); }

    const DigitImages* digit_images_ = nullptr;
    EntryPresenter* presenter_ = nullptr;
};

}  // namespace kronvik

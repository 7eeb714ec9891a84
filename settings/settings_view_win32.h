#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/forms_win32.h"
#include "platform/win32/gdi_win32.h"
#include "settings/settings_presenter.h"

namespace kronvik {

// TForm4: created hidden at start-up, shown by the settings command and hidden
// again by its close box or Esc, never destroyed. Creates its controls from
// the layout table and forwards their events to the presenter.
class Win32SettingsView : public SettingsView, public FormView {
public:
    // digit_images: the ten digit pictures, alive as long as the window;
    // owner: the main window, which owns the year menu.
    void Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images, SettingsPresenter& presenter);
    // Brings the dialog to the front, centred the first time.
    void Show();
    // Ctrl+Tab and Ctrl+Shift+Tab switch pages; true when the message was one.
    bool PageKey(const MSG& msg);

    void SetText(int32_t id, const std::string& text) override;
    std::string Text(int32_t id) override;
    void SetChecked(int32_t id, bool checked) override;
    bool Checked(int32_t id) override;
    void SetEnabled(int32_t id, bool enabled) override;
    void SetVisible(int32_t id, bool visible) override;
    void SetDigit(int32_t image_id, int32_t digit) override;
    int32_t TrackYearMenu() override;
    void ShowError(const std::string& text) override;

private:
    bool Command(int32_t id, UINT code) override;
    void Spin(int32_t id, bool up) override;
    bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
    void SelectPage(int index);
    // The pages fill the tab control's display area.
    void FitPages();
    void DrawFlatButton(const DRAWITEMSTRUCT& item) const;

    HWND owner_ = nullptr;
    const DigitImages* digit_images_ = nullptr;
    SettingsPresenter* presenter_ = nullptr;
    bool shown_before_ = false;
};

}  // namespace kronvik

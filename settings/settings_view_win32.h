#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/gdi_win32.h"
#include "platform/win32/layout_win32.h"
#include "settings/settings_presenter.h"

namespace kronvik {

// TForm4: created hidden at start-up, shown by the settings command and hidden
// again by its close box or Esc, never destroyed. Creates its controls from
// the layout table and forwards their events to the presenter.
class Win32SettingsView : public SettingsView {
public:
    // digit_images: the ten digit pictures, alive as long as the window;
    // owner: the main window, which owns the year menu.
    void Create(HINSTANCE instance, HWND owner, const DigitImages& digit_images, SettingsPresenter& presenter);
    HWND Window() const { return window_; }
    // Brings the dialog to the front, centred the first time.
    void Show();
    // Ctrl+Tab and Ctrl+Shift+Tab switch pages; true when the message was one.
    bool PageKey(const MSG& msg);

    std::string ProxyAddress() { return Text(ControlId(ControlKind::Edit, 1)); }
    std::string ProxyPort() { return Text(ControlId(ControlKind::Edit, 2)); }

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
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void SelectPage(int index);
    // The pages fill the tab control's display area.
    void FitPages();
    bool Command(int id);
    void Spin(int id, bool up);
    void DrawFlatButton(const DRAWITEMSTRUCT& item) const;

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    const DigitImages* digit_images_ = nullptr;
    SettingsPresenter* presenter_ = nullptr;
    FormLayout layout_;
    bool shown_before_ = false;
};

}  // namespace kronvik

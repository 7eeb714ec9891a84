#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/layout_win32.h"
#include "platform/registry.h"
#include "settings/settings_record.h"

namespace kronvik {

// TForm4: created hidden at start-up, shown by the settings command and hidden
// again by its close box, never destroyed.
class SettingsDialog {
public:
    void Create(HINSTANCE instance, Registry& registry);
    HWND Window() const { return window_; }
    // Shows the freshly loaded settings; brings the dialog to the front.
    void Show(const SettingsRecord& settings);

    std::string ProxyAddress() const;
    std::string ProxyPort() const;
    // The last-setting label and the red notice of an automatic failure.
    void SetLastSetting(const std::string& text);
    void SetFailureNotice(const std::string& text);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void SelectPage(int index);
    void SetText(int32_t id, const std::string& text);
    std::string Text(int32_t id) const;

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    FormLayout layout_;
    bool shown_before_ = false;
};

}  // namespace kronvik

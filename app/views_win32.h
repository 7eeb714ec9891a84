#pragma once
#include <windows.h>

#include "about/about_box_win32.h"
#include "app/ports.h"
#include "settings/settings_dialog_win32.h"

namespace kronvik {

class Win32Views : public Views {
public:
    Win32Views(HWND main_window, AboutBox& about, SettingsDialog& settings_dialog)
        : main_window_(main_window), about_(about), settings_dialog_(settings_dialog) {}

    void ShowSettings() override;
    void ShowAbout() override;
    void TrackTrayMenu(const std::vector<MenuItem>& menu) override;

    void SetLastSetting(const std::string& text) override {
        settings_dialog_.SetText(ControlId(ControlKind::Label, 3), text);
    }
    void SetFailureNotice(const std::string& text) override {
        settings_dialog_.SetText(ControlId(ControlKind::Label, 27), text);
    }
    std::string ProxyAddress() override { return settings_dialog_.ProxyAddress(); }
    std::string ProxyPort() override { return settings_dialog_.ProxyPort(); }

private:
    HWND main_window_;
    AboutBox& about_;
    SettingsDialog& settings_dialog_;
};

}  // namespace kronvik

#pragma once
#include <windows.h>

#include "about/about_view_win32.h"
#include "app/command_ids.h"
#include "app/ports.h"
#include "resources/layout_settings.h"
#include "settings/settings_view_win32.h"

namespace kronvik {

class Win32Views : public Views {
public:
    Win32Views(HWND main_window, Win32AboutView& about, Win32SettingsView& settings_view)
        : main_window_(main_window), about_(about), settings_view_(settings_view) {}

    void ShowSettings() override { settings_view_.Show(); }
    void ShowAbout() override { about_.Show(kVersionText); }
    void TrackTrayMenu(const std::vector<MenuItem>& menu) override;

    void SetLastSetting(const std::string& text) override {
        settings_view_.SetText(settings_form::kLabel3, text);
    }
    void SetFailureNotice(const std::string& text) override {
        settings_view_.SetText(settings_form::kLabel27, text);
    }
    std::string ProxyAddress() override { return settings_view_.Text(settings_form::kEdit1); }
    std::string ProxyPort() override { return settings_view_.Text(settings_form::kEdit2); }

private:
    HWND main_window_;
    Win32AboutView& about_;
    Win32SettingsView& settings_view_;
};

}  // namespace kronvik

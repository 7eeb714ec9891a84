#pragma once
// The main window's own ports: tray icon, message boxes, dialogs, locale and
// quit request, recording what the program asked of them.
#include <string>
#include <utility>
#include <vector>

#include "app/ports.h"
#include "platform/message_box.h"
#include "platform/system_ports.h"

namespace kronvik::fakes {

class FakeTrayIcon : public TrayIcon {
public:
    void Add() override { ++adds; present = true; }
    void Remove() override { ++removes; present = false; }
    int adds = 0;
    int removes = 0;
    bool present = false;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        uint32_t style;
    };
    int Show(const std::string& text, const std::string& caption, uint32_t style) override {
        shown.push_back({text, caption, style});
        return answer;
    }
    int answer = kAnswerCancel;
    std::vector<Shown> shown;
};

class FakeLocale : public Locale {
public:
    std::string JapaneseDateOrder() override { return date_order; }
    std::string date_order = "2";
};

class FakeQuitRequest : public QuitRequest {
public:
    uint32_t Register() override { return message; }
    void Post() override { ++posts; }
    uint32_t message = 0xC123;
    int posts = 0;
};

class FakeViews : public Views {
public:
    void ShowSettings() override { ++settings; }
    void ShowAbout() override { ++about; }
    void OpenScheduleEntry(int32_t day, int32_t entry) override { entries.emplace_back(day, entry); }
    void TrackTrayMenu(const std::vector<MenuItem>& menu) override { menus.push_back(menu); }
    void SetLastSetting(const std::string& text) override { label3 = text; }
    void SetFailureNotice(const std::string& text) override { label27 = text; }
    std::string ProxyAddress() override { return edit1; }
    std::string ProxyPort() override { return edit2; }
    std::string label3, label27, edit1, edit2;
    std::vector<std::vector<MenuItem>> menus;
    int settings = 0;
    int about = 0;
    std::vector<std::pair<int32_t, int32_t>> entries;
};

}  // namespace kronvik::fakes

#pragma once
// The main window's own ports: tray icon, message boxes, dialogs and quit
// request, recording what the program asked of them.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ports.h"
#include "platform/message_box.h"
#include "platform/system_ports.h"
#include "schedule/entry_presenter.h"

namespace kronvik::fakes {

class FakeTrayIcon : public TrayIcon {
public:
    void Add() override { ++adds; present = true; }
    void Remove() override { ++removes; present = false; }
    bool ShowBalloon(const std::string& title, const std::string& text) override {
        balloons.push_back(title + "|" + text);
        return present;
    }
    std::vector<std::string> balloons;  // "title|text"
    int adds = 0;
    int removes = 0;
    bool present = false;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        BoxStyle style;
    };
    bool Show(const std::string& text, const std::string& caption, BoxStyle style) override {
        shown.push_back({text, caption, style});
        if (while_open) while_open();
        return ok;
    }
    bool ok = false;  // the user's answer: OK, or else Cancel
    std::function<void()> while_open;  // what happens while the box is open
    std::vector<Shown> shown;
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
    void TrackTrayMenu(const std::vector<MenuItem>& menu) override { menus.push_back(menu); }
    void SetLastSetting(const std::string& text) override { label3 = text; }
    void SetFailureNotice(const std::string& text) override { label27 = text; }
    std::string ProxyAddress() override { return edit1; }
    std::string ProxyPort() override { return edit2; }
    std::string label3, label27, edit1, edit2;
    std::vector<std::vector<MenuItem>> menus;
    int settings = 0;
    int about = 0;
};

class FakeEntryView : public EntryView {
public:
    void ShowDigits(const EntryDigits& shown) override { digits = shown; }
    void SetText(const std::string& shown) override { text = shown; }
    std::string Text() override { return text; }
    void EnableDelete(bool enabled) override { delete_enabled = enabled; }
    void Warn(const std::string& shown, const std::string& caption) override {
        warnings.push_back(caption + ": " + shown);
    }
    void ShowAtCursor() override { visible = true; ++openings; }
    void Hide() override { visible = false; }
    EntryDigits digits{};
    std::string text;
    bool delete_enabled = false;
    bool visible = false;
    int openings = 0;
    std::vector<std::string> warnings;
};

}  // namespace kronvik::fakes

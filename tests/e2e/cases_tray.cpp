// The tray icon's mouse actions and the menu commands, driven by the
// messages the shell and the popup menu would post to the main window.
#include "harness.h"

#include <cstdlib>

namespace e2e {
namespace {

const wchar_t kManualCaption[] = L"日付時刻設定（手動）";

// Writes the defaults with a first start, then lets the case change them.
void PrepareSettings() {
    Kronvik::StartResident();
    KillStarted();
}

void Tray(const Kronvik& k, UINT mouseMessage) {
    Require(PostMessageW(k.MainWindow(), kTrayNotify, 0, mouseMessage) != 0, "PostMessage failed");
}

HWND Form(const Kronvik& k, const wchar_t* cls) {
    auto all = FindTopWindows(k.pid(), cls);
    Require(all.size() == 1, "expected one " + Utf8(cls) + " window, found " + std::to_string(all.size()));
    return all.front();
}

// Nothing of the program may be on the screen: no dialog, menu or box.
void CheckNothingShown(const Kronvik& k, const std::string& when) {
    for (const wchar_t* cls : {L"TForm1", L"TForm2", L"TForm3", L"TForm4", L"#32768", L"#32770"})
        Check(!AnyVisibleWindow(k.pid(), cls), Utf8(cls) + " is visible " + when);
}

void CheckControlText(HWND form, int id, const std::wstring& expected, const std::string& what) {
    HWND control = FindControl(form, id);
    Require(control != nullptr, what + ": no control with id " + std::to_string(id));
    std::wstring text = ControlText(control);
    Check(text == expected, what + " is " + Quote(text) + ", expected " + Quote(expected));
}

E2E_CASE(tray_right_button_menu_closes_without_command, 2) {
    Kronvik k = Kronvik::StartResident();
    Tray(k, WM_LBUTTONDOWN);
    SleepMs(700);
    CheckNothingShown(k, "after a single left click on the icon");

    // Closed with Escape ...
    Tray(k, WM_RBUTTONDOWN);
    HWND menu = WaitVisibleWindow(k.pid(), L"#32768", nullptr, 3000);
    Require(menu != nullptr, "no popup menu (#32768) within 3 s of the right button");
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    Check(WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32768"); }, 2000),
          "the menu is still open 2 s after Escape");
    SleepMs(500);
    CheckNothingShown(k, "after the menu was closed with Escape");

    // ... and, built anew at the next press, closed by cancelling the mode.
    Tray(k, WM_RBUTTONDOWN);
    Require(WaitVisibleWindow(k.pid(), L"#32768", nullptr, 3000) != nullptr,
            "no popup menu at the second right button press");
    PostMessageW(k.MainWindow(), WM_CANCELMODE, 0, 0);
    Check(WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32768"); }, 2000),
          "the menu is still open 2 s after WM_CANCELMODE");
    SleepMs(500);
    CheckNothingShown(k, "after the menu was cancelled");
    Check(k.Running(), "kronvik.exe ended");
}

E2E_CASE(version_command_shows_about_box_and_picture_click_hides_it, 2) {
    Kronvik k = Kronvik::StartResident();
    HWND about = Form(k, L"TForm2");
    CheckControlText(about, about_form::kLabel1, L"x", "Label1 before the first version command");

    PostCommand(k, 3);
    Require(WaitVisibleWindow(k.pid(), L"TForm2", nullptr, 2000) == about, "the about box was not shown");
    CheckControlText(about, about_form::kLabel1, L"Ver 3.2.0.2", "Label1");
    RECT box, area;
    GetWindowRect(about, &box);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int dx = (box.left + box.right) / 2 - (area.left + area.right) / 2;
    const int dy = (box.top + box.bottom) / 2 - (area.top + area.bottom) / 2;
    Check(std::abs(dx) <= 2 && std::abs(dy) <= 2,
          "the about box is not centred: off by " + std::to_string(dx) + "," + std::to_string(dy));
    RECT client;
    GetClientRect(about, &client);
    Check(client.right == 285 && client.bottom == 64,
          "client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
              ", expected 285x64");

    // A second version command shows the same single window.
    PostCommand(k, 3);
    SleepMs(600);
    Check(FindTopWindows(k.pid(), L"TForm2").size() == 1, "a second about box appeared");
    Check(IsWindowVisible(about), "the about box went away at the second version command");
    CheckControlText(about, about_form::kLabel1, L"Ver 3.2.0.2", "Label1 after the second command");

    // A click on the version text, which lies over the picture, does nothing.
    HWND label = FindControl(about, about_form::kLabel1);
    Require(label != nullptr, "no Label1");
    RECT lr;
    GetWindowRect(label, &lr);
    POINT onLabel{(lr.left + lr.right) / 2, (lr.top + lr.bottom) / 2};
    SetForegroundWindow(about);
    HWND atLabel = WindowFromPoint(onLabel);
    Require(GetAncestor(atLabel, GA_ROOT) == about, "the about box is not on top at the version text");
    Check(atLabel == label, "the version text's centre hits control id " +
                                std::to_string(GetDlgCtrlID(atLabel)) + ", not Label1");
    ClickAt(onLabel);
    SleepMs(600);
    Check(IsWindowVisible(about), "a click on the version text hid the about box");

    // A click on the picture hides it.
    POINT onPicture{20, 40};
    ClientToScreen(about, &onPicture);
    HWND hit = WindowFromPoint(onPicture);
    Require(GetAncestor(hit, GA_ROOT) == about, "the about box is not on top at client (20,40)");
    Check(GetDlgCtrlID(hit) == about_form::kImage1,
          "client (20,40) is over control id " + std::to_string(GetDlgCtrlID(hit)) + ", expected Image1");
    ClickAt(onPicture);
    Check(WaitFor([&] { return !IsWindowVisible(about); }, 2000), "a click on the picture did not hide the box");

    // Shown again at its place with the same content.
    PostCommand(k, 3);
    Require(WaitVisibleWindow(k.pid(), L"TForm2", nullptr, 2000) == about, "the about box did not come back");
    CheckControlText(about, about_form::kLabel1, L"Ver 3.2.0.2", "Label1 when shown again");
    Check(!IsWindowVisible(k.MainWindow()), "the main window is visible");
}

E2E_CASE(settings_dialog_on_double_click_holds_proxy, 2) {
    ValueRestorer proxy(kInternetSettingsKey, L"ProxyServer");
    WriteString(kInternetSettingsKey, L"ProxyServer", L"http=gate:8080");
    Kronvik k = Kronvik::StartResident();
    HWND settings = Form(k, L"TForm4");
    Check(!IsWindowVisible(settings), "the settings dialog is visible at start");

    Tray(k, WM_LBUTTONDBLCLK);
    Require(WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 2000) == settings,
            "the settings dialog did not open on a double click");
    CheckControlText(settings, settings_form::kEdit1, L"gate", "Edit1 (proxy address)");
    CheckControlText(settings, settings_form::kEdit2, L"8080", "Edit2 (proxy port)");

    // Closing hides it; the program and the window live on.
    PostMessageW(settings, WM_CLOSE, 0, 0);
    Check(WaitFor([&] { return !IsWindowVisible(settings); }, 2000), "WM_CLOSE did not hide the settings dialog");
    SleepMs(300);
    Require(k.Running(), "closing the settings dialog ended the program");
    Check(IsWindow(settings), "closing the settings dialog destroyed it");

    PostCommand(k, 1);
    Check(WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 2000) == settings,
          "the settings command did not show the same dialog again");
    Check(FindTopWindows(k.pid(), L"TForm4").size() == 1, "a second settings dialog appeared");
    Check(!IsWindowVisible(k.MainWindow()), "the main window is visible");
}

struct ManualBoxCase {
    const char* name;
    DWORD mode;
    const wchar_t* setTime;  // nullptr: the default
    const wchar_t* text;
};

const ManualBoxCase kManualBoxes[] = {
    {"manual_setting_box_sntp", 0, nullptr,
     L"ＳＮＴＰサーバを使用し、日付時刻を合わせます。\n"
     L"前回の日付時刻合わせは ----年--月--日--時--分--秒 に行いました。\n"
     L"(インターネットに接続されていますか？)"},
    {"manual_setting_box_http", 1, nullptr,
     L"NICT 独立行政法人 情報通信研究機構 Ｗｅｂサーバを使用し、日本標準時刻に日付時刻を合わせます。\n"
     L"前回の日付時刻合わせは ----年--月--日--時--分--秒 に行いました。\n"
     L"(インターネットに接続されていますか？)"},
    {"manual_setting_box_mode_2_is_http_and_empty_last_time", 2, L"",
     L"NICT 独立行政法人 情報通信研究機構 Ｗｅｂサーバを使用し、日本標準時刻に日付時刻を合わせます。\n"
     L"前回の日付時刻合わせは  に行いました。\n"
     L"(インターネットに接続されていますか？)"},
};

// Only ever answered with Cancel: OK would start a real synchronisation.
void RunManualBox(const ManualBoxCase& c) {
    PrepareSettings();
    WriteDword(kFlagKey, L"MODE", c.mode);
    if (c.setTime) WriteString(kFlagKey, L"SET_TIME", c.setTime);
    const RegValue setTimeBefore = ReadValue(kFlagKey, L"SET_TIME");
    Kronvik k = Kronvik::StartResident();

    PostCommand(k, 2);
    HWND box = WaitVisibleWindow(k.pid(), L"#32770", kManualCaption, 3000);
    Require(box != nullptr, "no message box captioned " + Utf8(kManualCaption) + " within 3 s");
    std::wstring text = MessageBoxText(box);
    Check(text == c.text, "box text is\n        " + Quote(text) + "\n      expected\n        " + Quote(c.text));
    Check(GetWindow(box, GW_OWNER) == nullptr, "the box has an owner window");
    HWND ok = GetDlgItem(box, IDOK), cancel = GetDlgItem(box, IDCANCEL);
    Check(ok != nullptr && cancel != nullptr, "the box lacks its OK or Cancel button");
    Require(cancel != nullptr, "cannot answer the box without a Cancel button");

    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    Check(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 2000), "Cancel did not close the box");
    SleepMs(500);
    Require(k.Running(), "Cancel ended the program");
    CheckNothingShown(k, "after Cancel");
    RegValue setTimeAfter = ReadValue(kFlagKey, L"SET_TIME");
    Check(setTimeAfter.text == setTimeBefore.text, "SET_TIME changed to " + Describe(setTimeAfter));
}

[[maybe_unused]] const int kManualRegistered = [] {
    for (const ManualBoxCase& c : kManualBoxes) RegisterCase(c.name, 2, [&c] { RunManualBox(c); });
    return 0;
}();

E2E_CASE(exit_command_restores_caption_and_ends, 2) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e exit";
    Probe probe(own);
    ShowClockIn(probe, own, "before the exit command");
    PostCommand(k, 5);
    ExpectExitZero(k, 2000, "the exit command");
    ExpectOwnCaption(probe, own, 200, "caption after the exit command");
}

}  // namespace
}  // namespace e2e

// Start-up: defaults in the registry, version marker, proxy discovery, the
// single instance, the uninstall argument and a start that cannot load.
#include "harness.h"

namespace e2e {
namespace {

struct Expected {
    const wchar_t* name;
    DWORD type;
    DWORD number;
    const wchar_t* text;
};

// Every value of a freshly written settings key, the proxy pair excluded.
const Expected kDefaults[] = {
    {L"Ver", REG_DWORD, 3202, nullptr},
    {L"DSP_FLAG", REG_DWORD, 0, nullptr},
    {L"RUN_AND_RUN", REG_DWORD, 0, nullptr},
    {L"RUN_STOP", REG_DWORD, 0, nullptr},
    {L"SET_TIME", REG_SZ, 0, L"----年--月--日--時--分--秒"},
    {L"RUNTIME1", REG_DWORD, 0, nullptr},
    {L"RUNTIME2", REG_DWORD, 0, nullptr},
    {L"RUNTIME3", REG_DWORD, 3, nullptr},
    {L"WEEK_ON", REG_DWORD, 1, nullptr},
    {L"WEEK_TYPE", REG_DWORD, 0, nullptr},
    {L"DAY_FORM", REG_SZ, 0, L"%04d年%02d月%02d日"},
    {L"DAY_FORM1", REG_SZ, 0, L"年"},
    {L"DAY_FORM2", REG_SZ, 0, L"月"},
    {L"DAY_FORM3", REG_SZ, 0, L"日"},
    {L"TIM_FORM", REG_SZ, 0, L"%02d時%02d分"},
    {L"TIM_FORM1", REG_SZ, 0, L"時"},
    {L"TIM_FORM2", REG_SZ, 0, L"分"},
    {L"WEK_FORM_J", REG_SZ, 0, L"%s曜日"},
    {L"WEK_FORM_J1", REG_SZ, 0, L""},
    {L"WEK_FORM_J2", REG_SZ, 0, L"曜日"},
    {L"WEK_FORM_E", REG_SZ, 0, L"[ %s ]"},
    {L"WEK_FORM_E1", REG_SZ, 0, L"[ "},
    {L"WEK_FORM_E2", REG_SZ, 0, L" ]"},
    {L"TIME_PLUS", REG_DWORD, 0, nullptr},
    {L"YEAR_SEL", REG_DWORD, 0, nullptr},
    {L"REKI", REG_SZ, 0, L"平成"},
    {L"ZERO", REG_DWORD, 1, nullptr},
    {L"MODE", REG_DWORD, 0, nullptr},
    {L"SNTP", REG_SZ, 0, L"ntp.nict.jp"},
    {L"SNTPanswer", REG_DWORD, 3, nullptr},
    {L"SNTPcycle", REG_DWORD, 30, nullptr},
    {L"MEMO", REG_SZ, 0, L"Tanks! Download"},
};

std::string ExpectedText(const Expected& e) {
    RegValue v;
    v.present = true;
    v.type = e.type;
    v.dword = e.number;
    if (e.text) v.text = e.text;
    return Describe(v);
}

void CheckValue(const std::wstring& name, DWORD type, DWORD number, const wchar_t* text) {
    RegValue v = ReadValue(kFlagKey, name);
    bool ok = v.present && v.type == type &&
              (type == REG_DWORD ? v.dword == number : v.text == std::wstring(text));
    if (!ok) {
        Expected e{name.c_str(), type, number, text};
        Check(false, "FLAG\\" + Utf8(name) + " is " + Describe(v) + ", expected " + ExpectedText(e));
    }
}

void CheckDefaults(const wchar_t* proxyHost, const wchar_t* proxyPort) {
    Require(KeyExists(kFlagKey), "HKCU\\Software\\Velk\\FLAG was not created");
    for (const Expected& e : kDefaults) CheckValue(e.name, e.type, e.number, e.text);
    CheckValue(L"PROXYADR", REG_SZ, 0, proxyHost);
    CheckValue(L"PROXYPORT", REG_SZ, 0, proxyPort);
}

E2E_CASE(first_start_writes_every_default, 1) {
    ValueRestorer proxy(kInternetSettingsKey, L"ProxyServer");
    DeleteValue(kInternetSettingsKey, L"ProxyServer");
    Kronvik k = Kronvik::StartResident();
    CheckDefaults(L"", L"");
    // Nothing beyond the marker, the proxy pair and the defaults.
    auto names = ValueNames(kFlagKey);
    Check(names.size() == std::size(kDefaults) + 2,
          "FLAG holds " + std::to_string(names.size()) + " values, expected " +
              std::to_string(std::size(kDefaults) + 2));
    Check(!KeyExists(kInfoKey) || ValueNames(kInfoKey).empty(),
          "a first start put values into Software\\Velk\\Information");
    Check(k.Running(), "kronvik.exe did not stay resident");
}

E2E_CASE(first_start_takes_http_proxy_from_internet_settings, 1) {
    ValueRestorer proxy(kInternetSettingsKey, L"ProxyServer");
    WriteString(kInternetSettingsKey, L"ProxyServer", L"ftp=f:21;http=gate:8080;https=s:443");
    Kronvik k = Kronvik::StartResident();
    CheckValue(L"PROXYADR", REG_SZ, 0, L"gate");
    CheckValue(L"PROXYPORT", REG_SZ, 0, L"8080");
    Check(k.Running(), "kronvik.exe did not stay resident");
}

E2E_CASE(resident_with_hidden_windows_and_tray_icon, 1) {
    Kronvik k = Kronvik::StartResident();
    Check(TrayIconExists(k.MainWindow(), 0), "no notification icon for (TForm1, 0)");
    struct {
        const wchar_t* cls;
        const wchar_t* caption;
    } const windows[] = {{L"TForm1", L"Form1"},
                         {L"TForm2", L"バージョン情報"},
                         {L"TForm3", L"予定入力フィールド"},
                         {L"TForm4", L"Kronvik設定"}};
    for (const auto& w : windows) {
        auto found = FindTopWindows(k.pid(), w.cls);
        if (found.size() != 1) {
            Check(false, "expected one " + Utf8(w.cls) + " window, found " + std::to_string(found.size()));
            continue;
        }
        Check(WindowCaption(found[0]) == w.caption,
              Utf8(w.cls) + " caption is " + Quote(WindowCaption(found[0])) + ", expected " +
                  Quote(w.caption));
        Check(!IsWindowVisible(found[0]), Utf8(w.cls) + " is visible at start");
    }
}

E2E_CASE(other_version_marker_rewrites_defaults_and_keeps_schedule, 1) {
    ValueRestorer proxy(kInternetSettingsKey, L"ProxyServer");
    WriteString(kInternetSettingsKey, L"ProxyServer", L"gate:8080");
    // An older program's settings with user choices in them.
    WriteDword(kFlagKey, L"Ver", 3201);
    WriteDword(kFlagKey, L"DSP_FLAG", 1);
    WriteDword(kFlagKey, L"RUNTIME3", 7);
    WriteDword(kFlagKey, L"WEEK_TYPE", 1);
    WriteString(kFlagKey, L"MEMO", L"old memo");
    WriteString(kFlagKey, L"SNTP", L"time.example");
    WriteString(kFlagKey, L"PROXYADR", L"oldproxy");
    WriteString(kFlagKey, L"EXTRA", L"kept");
    PlantAppointment();

    Kronvik k = Kronvik::StartResident();
    CheckDefaults(L"gate", L"8080");
    RegValue extra = ReadValue(kFlagKey, L"EXTRA");
    Check(extra.present && extra.text == L"kept", "an unknown value was touched: EXTRA is " + Describe(extra));
    Check(AppointmentPresent(), "the schedule under Information was changed");

    // The display mode in force is still the one read before the reset
    // (time only), although the store now says date and time.
    Probe probe(L"Kronvik e2e marker");
    Require(probe.Foreground(), "probe window did not become the foreground window");
    ExpectCaption(
        probe.hwnd(), [] { return WithTimeOnlyClock(L"Kronvik e2e marker"); }, 1500,
        "display mode read before the reset");
    Check(k.Running(), "kronvik.exe did not stay resident");
}

// The reset repairs an outdated key that lacks the display flag.
E2E_CASE(outdated_settings_without_display_flag_start_with_defaults, 1) {
    WriteDword(kFlagKey, L"Ver", 3201);
    Kronvik k = Kronvik::StartResident();
    CheckValue(L"DSP_FLAG", REG_DWORD, 0, nullptr);
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "start-up showed a message box");
}

// The two settings that have a fallback are written back when missing;
// start-up goes on.
E2E_CASE(missing_year_display_and_zero_flag_are_restored, 1) {
    Kronvik::StartResident();
    KillStarted();
    DeleteValue(kFlagKey, L"YEAR_SEL");
    DeleteValue(kFlagKey, L"ZERO");
    Kronvik k = Kronvik::StartResident();
    CheckValue(L"YEAR_SEL", REG_DWORD, 0, nullptr);
    CheckValue(L"ZERO", REG_DWORD, 1, nullptr);
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "start-up showed a message box");
    Check(k.Running(), "kronvik.exe did not stay resident");
}

E2E_CASE(second_instance_exits_at_once, 1) {
    Kronvik first = Kronvik::StartResident();
    Kronvik second = Kronvik::Start();
    auto code = second.WaitExit(3000);
    Require(code.has_value(), "the second instance is still running after 3 s");
    Check(*code == 0, "the second instance ended with exit code " + std::to_string(*code));
    Check(first.Running(), "the first instance ended");
    Check(FindTopWindows(second.pid(), L"TForm1").empty(), "the second instance left a window");
    Check(first.MainWindow() != nullptr, "the first instance lost its main window");
}

E2E_CASE(settings_value_missing_stops_start_with_error_box, 1) {
    Kronvik::StartResident();  // writes the defaults
    KillStarted();
    DeleteValue(kFlagKey, L"MODE");
    Kronvik k = Kronvik::Start();
    HWND box = nullptr;
    WaitFor(
        [&] {
            for (HWND h : FindTopWindows(k.pid(), L"#32770"))
                if (WindowCaption(h) == L"Kronvik") box = h;
            return box != nullptr || !k.Running();
        },
        10000);
    Require(box != nullptr, k.Running() ? "no message box titled \"Kronvik\" within 10 s"
                                        : "kronvik.exe ended without a message box");
    std::wstring text = MessageBoxText(box);
    Check(text == L"'MODE' の取得に失敗しました",
          "error box says " + Quote(text) + ", expected " + Quote(L"'MODE' の取得に失敗しました"));
    Check(FindTopWindows(k.pid(), L"TForm1").empty() ||
              !IsWindowVisible(FindTopWindows(k.pid(), L"TForm1").front()),
          "the main window is visible");
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    auto code = k.WaitExit(5000);
    Require(code.has_value(), "kronvik.exe still runs 5 s after the error box was closed");
    Check(*code == 0, "exit code " + std::to_string(*code) + " after the error box, expected 0");
}

// ---- uninstall argument ---------------------------------------------------

struct UninstallCase {
    const char* name;
    const wchar_t* args;
    bool deletes;
};

// Exactly one argument that is DEL or del, with or without one leading "/" or
// "-", uninstalls; any other command line starts normally.
const UninstallCase kUninstall[] = {
    {"uninstall_arg_slash_DEL", L"/DEL", true},
    {"uninstall_arg_dash_del", L"-del", true},
    {"uninstall_arg_del", L"del", true},
    {"uninstall_arg_model_txt_starts", L"model.txt", false},
    {"uninstall_arg_Del_starts", L"Del", false},
    {"uninstall_arg_delete_starts", L"delete", false},
    {"uninstall_arg_two_args_starts", L"DEL x", false},
};

void RunUninstall(const UninstallCase& c) {
    PlantAppointment();
    Kronvik k = Kronvik::Start(c.args);
    if (c.deletes) {
        auto code = k.WaitExit(8000);
        Require(code.has_value(), "kronvik.exe " + Utf8(c.args) + " still runs after 8 s");
        Check(*code == 0, "exit code " + std::to_string(*code) + ", expected 0");
        Check(!KeyExists(kVelkKey), "HKCU\\Software\\Velk still exists");
    } else {
        k.WaitReady();
        SleepMs(600);
        Check(k.Running(), "kronvik.exe " + Utf8(c.args) + " did not stay resident");
        Check(AppointmentPresent(), "the schedule was deleted");
        Check(ReadValue(kFlagKey, L"MEMO").present, "the settings were not written");
    }
}

[[maybe_unused]] const int kUninstallRegistered = [] {
    for (const UninstallCase& c : kUninstall) RegisterCase(c.name, 1, [&c] { RunUninstall(c); });
    return 0;
}();

}  // namespace
}  // namespace e2e

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/command_ids.h"
#include "platform/text.h"
#include "timesync/system_proxy.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sync.h"
#include "fakes/fake_timer.h"

namespace kronvik {
namespace {

using fakes::FakeClock;
using fakes::FakeDesktop;
using fakes::FakeHttp;
using fakes::FakeMessageBoxes;
using fakes::FakeNetwork;
using fakes::FakeQuitRequest;
using fakes::FakeUiDispatch;
using fakes::FakeWorkerStarter;
using fakes::FakeTimer;
using fakes::FakeTrayIcon;
using fakes::FakeViews;

constexpr uint32_t kQuitMessage = 0xC123;
constexpr char kInformationKey[] = "Software\\Velk\\Information";

struct Harness {
    FakeRegistry registry;
    FakeClock clock;
    FakeDesktop desktop;
    FakeMessageBoxes boxes;
    FakeTimer timer1, timer2, timer3{777};
    FakeTrayIcon tray;
    FakeViews views;
    fakes::FakeEntryView entry_view;
    FakeQuitRequest quit;
    RegistrySystemProxy system_proxy{registry};
    FakeUiDispatch ui;
    FakeNetwork network;
    FakeHttp http;
    FakeWorkerStarter workers;
    std::unique_ptr<MainWindow> main;

    Harness() {
        clock.Set(2026, 12, 8, 9, 41, 0, 2);
        quit.message = kQuitMessage;
        registry.SetText(kInformationKey + std::string("\\2026 12 08"), "09 05", "会議");
        registry.SetText(kAlertKey, kAnnouncedValue, "2026 12 08 09 40");  // 09:05 was told
        main = std::make_unique<MainWindow>(MainWindowPorts{
            {registry, clock, desktop, boxes, timer3, ui, quit, network, http, workers},
            timer1, timer2, tray, system_proxy});
        main->AttachViews(&views);
        main->EntryForm().AttachView(&entry_view);
    }
    MainWindow::Start Start(std::vector<std::string> arguments = {}) { return main->Create(arguments); }
    // A display tick with window 7 in front: the caption it then shows.
    std::u16string Tick() {
        if (desktop.windows.count(7) == 0) desktop.Add(7, u"エディタ");
        desktop.foreground = 7;
        main->Timer1Timer();
        return desktop.Caption(7);
    }
};

TEST(MainWindowStartTest, OnlyAnExactUninstallArgumentDeletesTheUsersData) {
    struct Case {
        std::vector<std::string> arguments;
        bool deletes;
    };
    const Case cases[] = {
        {{"/DEL"}, true},       {{"-del"}, true},      {{"del"}, true},       {{"DEL"}, true},
        {{"model.txt"}, false}, {{"Del"}, false},      {{"delete"}, false},   {{"DEL", "x"}, false},
        {{"//DEL"}, false},     {{"/dEL"}, false},     {{}, false},           {{"/"}, false},
    };
    for (const Case& c : cases) {
        Harness h;
        const auto start = h.Start(c.arguments);
        const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(start == MainWindow::Start::Uninstalled, c.deletes) << label;
        EXPECT_EQ(h.registry.KeyExists(kInformationKey), !c.deletes) << label;
        // The uninstall path ends before the icon or any timer exists.
        EXPECT_EQ(h.tray.adds, c.deletes ? 0 : 1) << label;
        EXPECT_EQ(h.timer1.Interval(), c.deletes ? 0u : 500u) << label;
    }
}

TEST(MainWindowStartTest, FirstStartComesUpResidentWithDefaults) {
    Harness h;
    ASSERT_EQ(h.Start(), MainWindow::Start::Resident);
    EXPECT_TRUE(h.tray.present);
    EXPECT_EQ(h.timer1.Interval(), 500u);
    EXPECT_EQ(h.timer2.Interval(), 0u);
    EXPECT_EQ(h.timer3.Interval(), 0u);   // no automatic synchronisation configured
    EXPECT_EQ(h.registry.Int("Software\\Velk\\FLAG", "Ver"), 3202);
    EXPECT_TRUE(h.Tick().ends_with(u"  Tanks! Download")) << Utf16ToUtf8(h.desktop.Caption(7));
    EXPECT_EQ(h.registry.Text(kAlertKey, kAnnouncedValue), "2026 12 08 09 41");  // the shown minute is remembered
    EXPECT_EQ(h.main->QuitRequestMsg(), kQuitMessage);
}

TEST(MainWindowStartTest, FailedSettingsReadEndsStartUpWithoutLeavingTheIcon) {
    Harness h;
    h.registry.SetInt("Software\\Velk\\FLAG", "Ver", 3202);
    h.registry.SetText("Software\\Velk\\FLAG", "DSP_FLAG", "not a number");
    try {
        h.Start();
        FAIL() << "start-up should fail";
    } catch (const SettingsError& error) {
        EXPECT_STREQ(error.what(), "'DSP_FLAG' のデータ型が不正です");
    }
    EXPECT_EQ(h.tray.adds, 1);
    EXPECT_FALSE(h.tray.present);
}

TEST(MainWindowMessageTest, QuitRequestNeedsLParamZeroAndRestoresTheCaption) {
    Harness h;
    h.Start();
    h.desktop.Add(7, u"エディタ");
    h.desktop.foreground = 7;
    h.main->Timer1Timer();
    ASSERT_NE(h.desktop.Caption(7), u"エディタ");

    EXPECT_FALSE(h.main->QuitRequested(1));
    EXPECT_FALSE(h.main->Ending());

    EXPECT_TRUE(h.main->QuitRequested(0));
    EXPECT_TRUE(h.main->Ending());
    EXPECT_EQ(h.desktop.Caption(7), u"エディタ");
    EXPECT_FALSE(h.tray.present);
    EXPECT_EQ(h.tray.removes, 1);

    // A second request during the end does not run the sequence twice.
    h.main->QuitRequested(0);
    EXPECT_EQ(h.tray.removes, 1);
}

TEST(MainWindowMessageTest, ExitBeforeAnyWindowWasTrackedStillRemovesTheIcon) {
    Harness h;
    h.Start();
    EXPECT_TRUE(h.main->MenuCommand(kCmdExit, true));
    EXPECT_TRUE(h.main->Ending());
    EXPECT_FALSE(h.tray.present);
}

TEST(MainWindowMessageTest, CommandsReachTheirDialogsAndStrayIdsAreIgnored) {
    Harness h;
    h.Start();
    for (uint32_t id : {0u, 4u, 6u, 99u, 1500u, 1600u, 65535u}) {
        EXPECT_TRUE(h.main->MenuCommand(id, true)) << id;   // marked handled regardless
    }
    EXPECT_EQ(h.views.settings + h.views.about, 0);
    EXPECT_EQ(h.entry_view.openings, 0);
    EXPECT_FALSE(h.main->Ending());

    // Enter and Esc in a dialog post ids 1 and 2 to the dialog, not to the menu's owner.
    EXPECT_FALSE(h.main->MenuCommand(kCmdSettings, false));
    EXPECT_FALSE(h.main->MenuCommand(kCmdManualSync, false));
    EXPECT_EQ(h.views.settings, 0);
    EXPECT_TRUE(h.boxes.shown.empty());
    h.main->MenuCommand(kCmdSettings, true);
    h.main->MenuCommand(kCmdAbout, true);
    h.main->MenuCommand(kCmdAbout, true);
    EXPECT_EQ(h.views.settings, 1);
    EXPECT_EQ(h.views.about, 2);

    // Today has one appointment: ids beyond it, or on days without any, are ignored.
    for (uint32_t id : {102u, 1403u, 1499u, 250u}) h.main->MenuCommand(id, true);
    EXPECT_EQ(h.entry_view.openings, 0);
    h.main->MenuCommand(101, true);
    EXPECT_EQ(h.entry_view.text, "会議");
    h.main->MenuCommand(1400, true);
    EXPECT_EQ(h.entry_view.openings, 2);
    EXPECT_EQ(h.main->EntryForm().Chosen().day, 21);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(MainWindowFailureTest, SettingsErrorsAreShownAndAnythingElseEndsInOrder) {
    struct Case {
        void (*fail)();
        std::string text;
        bool ends;
    };
    const Case cases[] = {
        {[] { throw SettingsError("'MODE' の取得に失敗しました"); }, "'MODE' の取得に失敗しました", false},
        {[] { throw std::length_error("vector"); }, "vector", true},
        {[] { throw 42; }, "予期しないエラーが発生しました。", true},
    };
    for (const Case& c : cases) {
        Harness h;
        h.Start();
        h.desktop.Add(7, u"エディタ");
        h.desktop.foreground = 7;
        h.main->Timer1Timer();
        bool icon_while_shown = false;
        std::u16string caption_while_shown;
        h.boxes.while_open = [&] {
            icon_while_shown = h.tray.present;
            caption_while_shown = h.desktop.Caption(7);
        };
        try {
            c.fail();
        } catch (...) {
            h.main->Failed(std::current_exception());
        }
        ASSERT_EQ(h.boxes.shown.size(), 1u) << c.text;
        EXPECT_EQ(h.boxes.shown[0].text, c.text);
        EXPECT_EQ(h.boxes.shown[0].caption, "Kronvik");
        EXPECT_EQ(h.boxes.shown[0].style, BoxStyle::Error);
        EXPECT_EQ(h.main->Ending(), c.ends) << c.text;
        // A fault has given the caption back and removed the icon when its box shows.
        EXPECT_EQ(icon_while_shown, !c.ends) << c.text;
        EXPECT_EQ(caption_while_shown == u"エディタ", c.ends) << c.text;
    }
}

TEST(MainWindowMessageTest, TaskbarRestartAddsTheIconAgain) {
    Harness h;
    h.Start();
    h.main->TaskbarCreated();
    EXPECT_EQ(h.tray.adds, 2);
    h.main->ExitSequence();
    h.main->TaskbarCreated();
    EXPECT_EQ(h.tray.adds, 2);
}

TEST(TrayIconTest, MouseActionsOpenTheMenuOrTheSettingsAndNothingElse) {
    Harness h;
    h.Start();
    h.main->TrayNotify(TrayMouse::Other);
    EXPECT_EQ(h.views.settings, 0);
    EXPECT_TRUE(h.views.menus.empty());

    // The double click reloads the settings before the dialog shows them.
    h.registry.SetText("Software\\Velk\\FLAG", "MEMO", "新しいメモ");
    h.main->TrayNotify(TrayMouse::LeftDoubleClick);
    EXPECT_EQ(h.views.settings, 1);
    h.clock.Set(2026, 12, 8, 9, 42, 0, 2);
    EXPECT_TRUE(h.Tick().ends_with(u"  新しいメモ")) << Utf16ToUtf8(h.desktop.Caption(7));

    h.main->TrayNotify(TrayMouse::RightButtonDown);
    ASSERT_EQ(h.views.menus.size(), 1u);
    const std::vector<MenuItem>& menu = h.views.menus[0];
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[2].text, "スケジュール");
    ASSERT_EQ(menu[2].children.size(), 14u);
    EXPECT_EQ(menu[2].children[0].text, "2026年12月08日 火曜日");
    ASSERT_EQ(menu[2].children[0].children.size(), 3u);
    EXPECT_EQ(menu[2].children[0].children[2].text, "09時05分  会議");
    EXPECT_EQ(menu[2].children[0].children[2].id, 101u);
    EXPECT_EQ(menu[2].children[1].id, 200u);
    EXPECT_EQ(menu[2].children[13].text, "2026年12月21日 月曜日");
    EXPECT_EQ(menu[2].children[13].id, 1400u);
}

TEST(TrayIconTest, MenuIdsMeanTheMenuThatWasShown) {
    Harness h;
    h.Start();
    h.main->TrayNotify(TrayMouse::RightButtonDown);
    h.clock.Set(2026, 12, 9, 0, 0, 0, 3);  // midnight while the menu is open
    h.desktop.Add(7, u"エディタ");
    h.desktop.foreground = 7;
    h.main->Timer1Timer();  // the display tick loads the new day
    h.main->MenuCommand(101, true);
    EXPECT_EQ(h.entry_view.text, "会議");
}

TEST(TrayIconTest, UnreadableSettingsKeepTheDialogHidden) {
    Harness h;
    h.Start();
    h.registry.DeleteValue("Software\\Velk\\FLAG", "MODE");
    EXPECT_THROW(h.main->TrayNotify(TrayMouse::LeftDoubleClick), SettingsError);
    EXPECT_EQ(h.views.settings, 0);
}

TEST(ManualTimeSettingTest, ConfirmationTextFollowsTheMethodAndLastSetting) {
    EXPECT_EQ(ManualSettingText(0, "2026年12月08日 09時41分00秒"),
              "ＳＮＴＰサーバを使用し、日付時刻を合わせます。\n"
              "前回の日付時刻合わせは 2026年12月08日 09時41分00秒 に行いました。\n"
              "(インターネットに接続されていますか？)");
    EXPECT_EQ(ManualSettingText(2, ""),
              "NICT 独立行政法人 情報通信研究機構 Ｗｅｂサーバを使用し、日本標準時刻に日付時刻を合わせます。\n"
              "前回の日付時刻合わせは  に行いました。\n"
              "(インターネットに接続されていますか？)");
    // A '%' in the recorded time is text, not a conversion.
    EXPECT_NE(ManualSettingText(0, "%s%n").find("は %s%n に"), std::string::npos);
}

TEST(ManualTimeSettingTest, CancelLeavesEverythingAndOkRunsTheAnnouncedMethod) {
    Harness h;
    h.Start();
    const int timer3_sets = h.timer3.set_calls;

    h.boxes.ok = false;
    h.main->MenuCommand(kCmdManualSync, true);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].caption, "日付時刻設定（手動）");
    EXPECT_EQ(h.boxes.shown[0].style, BoxStyle::Confirm);
    EXPECT_EQ(h.boxes.shown[0].text, ManualSettingText(0, "----年--月--日--時--分--秒"));
    EXPECT_EQ(h.timer3.set_calls, timer3_sets);
    EXPECT_FALSE(h.workers.started.at(1)->Run());  // no worker woken

    h.boxes.ok = true;
    h.boxes.while_open = [&] {  // HTTP stored and read again meanwhile
        h.registry.SetInt("Software\\Velk\\FLAG", "MODE", 1);
        h.main->TrayNotify(TrayMouse::LeftDoubleClick);
    };
    h.main->MenuCommand(kCmdManualSync, true);
    EXPECT_EQ(h.timer3.set_calls, timer3_sets + 1);
    EXPECT_TRUE(h.workers.started.at(1)->Run());  // SNTP, as the box said
    EXPECT_FALSE(h.workers.started.at(0)->Run());
}

}  // namespace
}  // namespace kronvik

#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_registry.h"

namespace kronvik {
namespace {

constexpr const char* kKey = kSettingsKey;

// Every value of the settings key in the order a reset writes them.
const std::vector<std::string> kDefaultOrder = {
    "Ver",        "PROXYADR",    "PROXYPORT",   "DSP_FLAG",  "RUN_AND_RUN", "RUN_STOP",
    "SET_TIME",   "RUNTIME1",    "RUNTIME2",    "RUNTIME3",  "WEEK_ON",     "WEEK_TYPE",
    "DAY_FORM",   "DAY_FORM1",   "DAY_FORM2",   "DAY_FORM3", "TIM_FORM",    "TIM_FORM1",
    "TIM_FORM2",  "WEK_FORM_J",  "WEK_FORM_J1", "WEK_FORM_J2", "WEK_FORM_E", "WEK_FORM_E1",
    "WEK_FORM_E2", "TIME_PLUS",  "YEAR_SEL",    "REKI",      "ZERO",        "MODE",
    "SNTP",       "SNTPanswer",  "SNTPcycle",   "MEMO"};

struct ProxyGives : SystemProxy {
    ProxyGives(int answer, std::string proxy_host, std::string proxy_port)
        : result(answer), host(std::move(proxy_host)), port(std::move(proxy_port)) {}
    int Query(std::string& h, std::string& p) const override {
        h = host;
        p = port;
        return result;
    }
    int result;
    std::string host, port;
};

const ProxyGives kNoProxy(-1, "", "");

void ExpectDefaultRecord(const SettingsRecord& r) {
    EXPECT_EQ(r.DSP_FLAG, 0);
    EXPECT_EQ(r.RUN_AND_RUN, 0);
    EXPECT_EQ(r.RUN_STOP, 0);
    EXPECT_EQ(r.RUNTIME1, 0);
    EXPECT_EQ(r.RUNTIME2, 0);
    EXPECT_EQ(r.RUNTIME3, 3);
    EXPECT_EQ(r.WEEK_ON, 1);
    EXPECT_EQ(r.WEEK_TYPE, 0);
    EXPECT_EQ(r.TIME_PLUS, 0);
    EXPECT_EQ(r.YEAR_SEL, 0);
    EXPECT_EQ(r.ZERO, 1);
    EXPECT_EQ(r.MODE, 0);
    EXPECT_EQ(r.SNTPanswer, 3);
    EXPECT_EQ(r.SNTPcycle, 30);
    EXPECT_EQ(r.DAY_FORM, "%04d年%02d月%02d日");
    EXPECT_EQ(r.DAY_FORM1, "年");
    EXPECT_EQ(r.DAY_FORM2, "月");
    EXPECT_EQ(r.DAY_FORM3, "日");
    EXPECT_EQ(r.TIM_FORM, "%02d時%02d分");
    EXPECT_EQ(r.TIM_FORM1, "時");
    EXPECT_EQ(r.TIM_FORM2, "分");
    EXPECT_EQ(r.WEK_FORM_E, "[ %s ]");
    EXPECT_EQ(r.WEK_FORM_E1, "[ ");
    EXPECT_EQ(r.WEK_FORM_E2, " ]");
    EXPECT_EQ(r.WEK_FORM_J, "%s曜日");
    EXPECT_EQ(r.WEK_FORM_J1, "");
    EXPECT_EQ(r.WEK_FORM_J2, "曜日");
    EXPECT_EQ(r.SET_TIME.Get(), "----年--月--日--時--分--秒");
    EXPECT_EQ(r.REKI, "平成");
    EXPECT_EQ(r.SNTP, "ntp.nict.jp");
    EXPECT_EQ(r.MEMO, "Tanks! Download");
}

// Runs an operation and gives back the text of the SettingsError it raised.
template <typename F>
std::string ErrorOf(F&& operation) {
    try {
        operation();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "(no error)";
}

class SettingsStoreTest : public testing::Test {
protected:
    // A key as a reset leaves it.
    void StoreDefaults() {
        WriteDefaultSettings(registry, kNoProxy);
        registry.ClearWrites();
    }
    FakeRegistry registry;
    SettingsRecord record;
};

// --- Start-up version check --------------------------------------------------

TEST_F(SettingsStoreTest, FirstStartWritesEveryDefaultInOrder) {
    CheckSettingsVersion(registry, record, ProxyGives(0, "gate", "8080"));

    EXPECT_EQ(registry.WrittenNames(kKey), kDefaultOrder);
    EXPECT_EQ(registry.Int(kKey, "Ver"), 3202);
    EXPECT_EQ(registry.Text(kKey, "PROXYADR"), "gate");
    EXPECT_EQ(registry.Text(kKey, "PROXYPORT"), "8080");
    EXPECT_EQ(registry.Text(kKey, "SNTP"), "ntp.nict.jp");
    ExpectDefaultRecord(record);
    EXPECT_EQ(registry.LiveHandles(), 0) << "no handle stays open";
}

TEST_F(SettingsStoreTest, ProxyTextsAreIgnoredUnlessTheQuerySucceeds) {
    WriteDefaultSettings(registry, ProxyGives(-1, "half", "read"));
    EXPECT_EQ(registry.Text(kKey, "PROXYADR"), "");
    EXPECT_EQ(registry.Text(kKey, "PROXYPORT"), "");
}

TEST_F(SettingsStoreTest, OldVersionResetsStoreButRecordKeepsOldDisplay) {
    StoreDefaults();
    registry.SetInt(kKey, "Ver", 3201);
    registry.SetInt(kKey, "DSP_FLAG", 2);
    registry.SetInt(kKey, "MODE", 1);
    registry.SetText(kKey, "MEMO", "mine");
    registry.SetText(kKey, "PROXYADR", "old-gate");
    registry.SetText(kKey, "EXTRA", "left alone");
    registry.SetText("Software\\Velk\\Information\\2007-06-21", "0", "appointment");

    CheckSettingsVersion(registry, record, ProxyGives(0, "new-gate", "1"));

    EXPECT_EQ(registry.Int(kKey, "Ver"), 3202);
    EXPECT_EQ(registry.Int(kKey, "DSP_FLAG"), 0);
    EXPECT_EQ(registry.Int(kKey, "MODE"), 0);
    EXPECT_EQ(registry.Text(kKey, "MEMO"), "Tanks! Download");
    EXPECT_EQ(registry.Text(kKey, "PROXYADR"), "new-gate");
    EXPECT_EQ(registry.Text(kKey, "EXTRA"), "left alone");
    EXPECT_EQ(registry.Text("Software\\Velk\\Information\\2007-06-21", "0"), "appointment");
    EXPECT_EQ(record.DSP_FLAG, 2);
    EXPECT_EQ(record.MODE, 0);
}

TEST_F(SettingsStoreTest, MissingOrMistypedMarkerResets) {
    for (const bool wrong_type : {false, true}) {
        StoreDefaults();
        registry.SetText(kKey, "MEMO", "mine");
        if (wrong_type) registry.SetWrongType(kKey, "Ver");
        else registry.DeleteValue(kKey, "Ver");
        CheckSettingsVersion(registry, record, kNoProxy);
        EXPECT_EQ(registry.Text(kKey, "MEMO"), "Tanks! Download") << wrong_type;
    }
}

TEST_F(SettingsStoreTest, CurrentVersionOnlyLoads) {
    StoreDefaults();
    registry.SetInt(kKey, "DSP_FLAG", 1);
    registry.SetInt(kKey, "SNTPcycle", 45);
    registry.SetInt(kKey, "WEEK_TYPE", 7);
    registry.SetText(kKey, "SET_TIME", "2007年06月21日 09時05分00秒");

    CheckSettingsVersion(registry, record, kNoProxy);

    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_EQ(record.DSP_FLAG, 1);
    EXPECT_EQ(record.SNTPcycle, 45);
    EXPECT_EQ(record.WEEK_TYPE, 7);
    EXPECT_EQ(record.SET_TIME.Get(), "2007年06月21日 09時05分00秒");
}

TEST_F(SettingsStoreTest, DisplayFlagFailureStopsStartUp) {
    StoreDefaults();
    registry.DeleteValue(kKey, "DSP_FLAG");
    EXPECT_EQ(ErrorOf([&] { CheckSettingsVersion(registry, record, kNoProxy); }),
              "'DSP_FLAG' の取得に失敗しました");
    registry.SetWrongType(kKey, "DSP_FLAG");
    EXPECT_EQ(ErrorOf([&] { CheckSettingsVersion(registry, record, kNoProxy); }),
              "'DSP_FLAG' のデータ型が不正です");
    EXPECT_TRUE(registry.Writes().empty()) << "no reset after a failed DSP_FLAG";
}

TEST_F(SettingsStoreTest, DefaultsWriterReportsRefusedWrites) {
    registry.SetKeyCreationFails(true);
    EXPECT_EQ(ErrorOf([&] { WriteDefaultSettings(registry, kNoProxy); }),
              "'Ver' の設定に失敗しました");
    registry.SetKeyCreationFails(false);
    registry.FailWritesOf("REKI");
    EXPECT_EQ(ErrorOf([&] { CheckSettingsVersion(registry, record, kNoProxy); }),
              "'REKI' の設定に失敗しました");
    EXPECT_FALSE(registry.Has(kKey, "ZERO"));
}

// --- Loading ------------------------------------------------------------------

TEST_F(SettingsStoreTest, GuardedIntegersAreRestored) {
    StoreDefaults();
    registry.SetInt(kKey, "ZERO", 0);
    registry.DeleteValue(kKey, "YEAR_SEL");
    LoadSettings(registry, record);
    EXPECT_EQ(record.YEAR_SEL, 0);
    EXPECT_EQ(record.ZERO, 0);
    EXPECT_EQ(registry.Int(kKey, "YEAR_SEL"), 0);

    registry.SetWrongType(kKey, "YEAR_SEL");
    registry.DeleteValue(kKey, "ZERO");
    record.YEAR_SEL = 9;
    record.ZERO = 9;
    registry.ClearWrites();
    LoadSettings(registry, record);
    EXPECT_EQ(record.YEAR_SEL, 0);
    EXPECT_EQ(record.ZERO, 1);
    EXPECT_EQ(registry.Int(kKey, "YEAR_SEL"), 0);
    EXPECT_EQ(registry.Int(kKey, "ZERO"), 1);
    EXPECT_EQ(registry.WrittenNames(kKey), (std::vector<std::string>{"YEAR_SEL", "ZERO"}));
}

TEST_F(SettingsStoreTest, RefusedFallbackWriteIsReported) {
    StoreDefaults();
    registry.DeleteValue(kKey, "ZERO");
    registry.SetWritesFail(true);
    EXPECT_EQ(ErrorOf([&] { LoadSettings(registry, record); }), "'ZERO' の設定に失敗しました");
}

TEST_F(SettingsStoreTest, FailingIntegerStopsTheLoadAtThatValue) {
    StoreDefaults();
    registry.DeleteValue(kKey, "MODE");
    registry.SetText(kKey, "REKI", "令和");
    registry.SetText(kKey, "SNTP", "stored.example");
    record.REKI = "before";
    record.SNTP = "before";
    record.SNTPcycle = -1;

    EXPECT_EQ(ErrorOf([&] { LoadSettings(registry, record); }), "'MODE' の取得に失敗しました");
    EXPECT_EQ(record.REKI, "令和") << "read before MODE";
    EXPECT_EQ(record.ZERO, 1) << "read before MODE";
    EXPECT_EQ(record.SNTP, "before") << "after MODE";
    EXPECT_EQ(record.SNTPcycle, -1) << "after MODE";
    EXPECT_EQ(registry.LiveHandles(), 0);

    registry.SetText(kKey, "MODE", "1");
    EXPECT_EQ(ErrorOf([&] { LoadSettings(registry, record); }), "'MODE' のデータ型が不正です");
}

TEST_F(SettingsStoreTest, TextsReadMissingAsEmptyButRejectOtherTypes) {
    StoreDefaults();
    registry.DeleteValue(kKey, "DAY_FORM");
    registry.SetText(kKey, "MEMO", "");
    registry.SetExpandText(kKey, "REKI", "令和");
    LoadSettings(registry, record);
    EXPECT_EQ(record.DAY_FORM, "");
    EXPECT_EQ(record.MEMO, "");
    EXPECT_EQ(record.REKI, "令和");

    registry.SetWrongType(kKey, "TIM_FORM1");
    EXPECT_EQ(ErrorOf([&] { LoadSettings(registry, record); }), "'TIM_FORM1' のデータ型が不正です");
}

TEST_F(SettingsStoreTest, LoadWithoutKeyFailsAtFirstIntegerAndCreatesNothing) {
    record.SET_TIME.Set("stale");
    EXPECT_EQ(ErrorOf([&] { LoadSettings(registry, record); }),
              "'RUN_AND_RUN' の取得に失敗しました");
    EXPECT_EQ(record.SET_TIME.Get(), "");
    EXPECT_FALSE(registry.KeyExists(kKey));
}

// --- Saving -------------------------------------------------------------------

// What the settings dialog's Apply hands the store.
SettingsRecord DialogChoice() {
    SettingsRecord r;
    r.DSP_FLAG = 1;
    r.RUN_AND_RUN = 2;
    r.RUN_STOP = 1;
    r.RUNTIME1 = 7;
    r.RUNTIME2 = 35;
    r.RUNTIME3 = 12;
    r.SNTPcycle = 15;
    r.YEAR_SEL = 1;
    r.WEEK_TYPE = 1;
    r.MODE = 1;
    r.DAY_FORM1 = "/";
    r.DAY_FORM2 = "/";
    r.TIM_FORM1 = ":";
    r.WEK_FORM_J1 = "(";
    r.WEK_FORM_J2 = ")";
    r.WEK_FORM_E1 = "<";
    r.WEK_FORM_E2 = ">";
    r.REKI = "令和";
    r.TIME_PLUS = -5;
    r.SNTP = "ntp.example";
    r.SNTPanswer = 10;
    r.MEMO = "メモ";
    return r;
}
const ProxyFields kDialogProxy{"gate", "8080"};

TEST_F(SettingsStoreTest, SaveThenLoadGivesTheDialogsChoices) {
    StoreDefaults();
    SaveSettings(registry, DialogChoice(), kDialogProxy);
    LoadSettings(registry, record);

    EXPECT_EQ(registry.Text(kKey, "PROXYADR"), "gate");
    EXPECT_EQ(registry.Text(kKey, "PROXYPORT"), "8080");
    EXPECT_EQ(registry.Int(kKey, "DSP_FLAG"), 1);
    EXPECT_EQ(record.RUN_AND_RUN, 2);
    EXPECT_EQ(record.RUN_STOP, 1);
    EXPECT_EQ(record.RUNTIME1, 7);
    EXPECT_EQ(record.RUNTIME2, 35);
    EXPECT_EQ(record.RUNTIME3, 3) << "not used by a daily sync";
    EXPECT_EQ(record.WEEK_ON, 0);
    EXPECT_EQ(record.WEEK_TYPE, 1);
    EXPECT_EQ(record.DAY_FORM, "令和%d/%d/%d");
    EXPECT_EQ(record.DAY_FORM1, "/");
    EXPECT_EQ(record.DAY_FORM3, "");
    EXPECT_EQ(record.TIM_FORM, "%d:%02d");
    EXPECT_EQ(record.WEK_FORM_J, "(%s)");
    EXPECT_EQ(record.WEK_FORM_E, "<%s>");
    EXPECT_EQ(record.WEK_FORM_E2, ">");
    EXPECT_EQ(record.TIME_PLUS, -5);
    EXPECT_EQ(record.YEAR_SEL, 1);
    EXPECT_EQ(record.REKI, "令和");
    EXPECT_EQ(record.ZERO, 0);
    EXPECT_EQ(record.MODE, 1);
    EXPECT_EQ(record.SNTP, "ntp.example");
    EXPECT_EQ(record.SNTPanswer, 10);
    EXPECT_EQ(record.SNTPcycle, 15);
    EXPECT_EQ(record.MEMO, "メモ");
    EXPECT_EQ(registry.LiveHandles(), 0);
}

TEST_F(SettingsStoreTest, SyncChoiceDecidesWhichTimesAreWritten) {
    struct Case {
        int32_t sync;
        bool daily_written;
        bool period_written;
    };
    for (const Case c : {Case{0, false, false}, Case{1, false, false}, Case{2, true, false},
                         Case{3, false, true}}) {
        SCOPED_TRACE(c.sync);
        StoreDefaults();
        SettingsRecord chosen = DialogChoice();
        chosen.RUN_AND_RUN = c.sync;
        SaveSettings(registry, chosen, kDialogProxy);
        EXPECT_EQ(registry.WriteCount(kKey, "RUNTIME1"), c.daily_written ? 1 : 0);
        EXPECT_EQ(registry.WriteCount(kKey, "RUNTIME2"), c.daily_written ? 1 : 0);
        EXPECT_EQ(registry.WriteCount(kKey, "RUNTIME3"), c.period_written ? 1 : 0);
        EXPECT_EQ(registry.Int(kKey, "RUNTIME1"), c.daily_written ? 7 : 0);
        EXPECT_EQ(registry.Int(kKey, "RUNTIME3"), c.period_written ? 12 : 3);
        EXPECT_EQ(registry.Int(kKey, "SNTPcycle"), 15) << "written whatever the choice";
    }
}

TEST_F(SettingsStoreTest, TemplatesAreComposedFromTheChosenParts) {
    StoreDefaults();
    SettingsRecord chosen = DialogChoice();
    chosen.ZERO = 1;
    chosen.YEAR_SEL = 3;
    SaveSettings(registry, chosen, kDialogProxy);
    EXPECT_EQ(registry.Text(kKey, "DAY_FORM"), "") << "unknown year display";
    EXPECT_EQ(registry.Text(kKey, "TIM_FORM"), "%02d:%02d");

    chosen.YEAR_SEL = 0;
    chosen.ZERO = 0;
    chosen.DAY_FORM1 = "%s";
    chosen.WEK_FORM_E2 = "%";
    SaveSettings(registry, chosen, kDialogProxy);
    EXPECT_EQ(registry.Text(kKey, "DAY_FORM"), "%d%%s%d/%d");
    EXPECT_EQ(registry.Text(kKey, "DAY_FORM1"), "%s") << "the separator itself is kept as typed";
    EXPECT_EQ(registry.Text(kKey, "WEK_FORM_E"), "<%s%%");
}

TEST_F(SettingsStoreTest, UnopenableKeySavesNothing) {
    registry.SetKeyCreationFails(true);
    SaveSettings(registry, DialogChoice(), kDialogProxy);
    EXPECT_FALSE(registry.KeyExists(kKey));
    EXPECT_TRUE(registry.Writes().empty());
}

TEST_F(SettingsStoreTest, RefusedWriteStopsTheSaveWithItsName) {
    StoreDefaults();
    registry.FailWritesOf("WEEK_ON");
    EXPECT_EQ(ErrorOf([&] { SaveSettings(registry, DialogChoice(), kDialogProxy); }),
              "'WEEK_ON' の設定に失敗しました");
    EXPECT_EQ(registry.WrittenNames(kKey).back(), "RUNTIME2");
}

// --- The dialog's proxy fields and last-setting label ---------------------

TEST(SettingsProxyAndLabel, ProxyFieldsComeFromTheStoreAndToleratePoorValues) {
    FakeRegistry registry;
    EXPECT_EQ(ReadProxyFields(registry).address, "");   // no key at all

    registry.SetText(kKey, "PROXYADR", "gate");
    registry.SetText(kKey, "PROXYPORT", "8080");
    ProxyFields fields = ReadProxyFields(registry);
    EXPECT_EQ(fields.address, "gate");
    EXPECT_EQ(fields.port, "8080");

    // A hand-edited value of another type leaves the field empty rather than
    // stopping the program.
    registry.SetWrongType(kKey, "PROXYPORT");
    fields = ReadProxyFields(registry);
    EXPECT_EQ(fields.address, "gate");
    EXPECT_EQ(fields.port, "");
}

TEST(SettingsProxyAndLabel, LastSettingLabelKeepsPercentSignsAsText) {
    EXPECT_EQ(LastSettingLabel("----年--月--日--時--分--秒"), "----年--月--日--時--分--秒に行いました。");
    EXPECT_EQ(LastSettingLabel("%s%d"), "%s%dに行いました。");
}

// --- Whole numbers ------------------------------------------------------------

TEST(SettingsWholeNumber, AcceptsSignedDecimalsThatFit) {
    EXPECT_EQ(ParseWholeNumber("0"), 0);
    EXPECT_EQ(ParseWholeNumber("-5"), -5);
    EXPECT_EQ(ParseWholeNumber("+7"), 7);
    EXPECT_EQ(ParseWholeNumber("-0"), 0);
    EXPECT_EQ(ParseWholeNumber("007"), 7);
    EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(ParseWholeNumber("-2147483648"), INT32_MIN);
}

TEST(SettingsWholeNumber, RejectsEverythingElseNamingTheText) {
    for (const char* text : {"", "-", "+", " 5", "5 ", "+-5", "1e3", "0x10", "3.0", "2147483648",
                             "-2147483649", "99999999999999999999999", "１２"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorOf([&] { ParseWholeNumber(text); }), NotIntegerMessage(text));
    }
    EXPECT_THROW(ParseWholeNumber(std::string("5\0", 2)), SettingsError);
    EXPECT_EQ(NotIntegerMessage("%s%n"), "'%s%n' は整数ではありません");
}

}  // namespace
}  // namespace kronvik

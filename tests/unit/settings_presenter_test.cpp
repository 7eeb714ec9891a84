// The settings dialog's behaviour against an in-memory store and a view that
// only remembers what it was told.
#include "settings/settings_presenter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "resources/layout_settings.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace kronvik {
namespace {

using namespace settings_form;
const std::string kFlag = "Software\\Velk\\FLAG";

struct NoProxy : SystemProxy {
    int Query(std::string&, std::string&) const override { return -1; }
};

class FakeSettingsView : public SettingsView {
public:
    void SetText(int32_t id, const std::string& text) override { texts[id] = text; }
    std::string Text(int32_t id) override { return texts[id]; }
    void SetChecked(int32_t id, bool on) override { checked[id] = on; }
    bool Checked(int32_t id) override { return checked[id]; }
    void SetEnabled(int32_t id, bool on) override { enabled[id] = on; }
    void SetVisible(int32_t id, bool on) override { visible[id] = on; }
    void SetDigit(int32_t id, int32_t digit) override { digits[id] = digit; }
    int32_t TrackYearMenu() override { return year_choice; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    // The two digits shown from a display's tens picture on.
    int32_t Shown(int32_t tens_image) { return digits[tens_image] * 10 + digits[tens_image + 1]; }
    std::map<int32_t, std::string> texts;
    std::map<int32_t, bool> checked, enabled, visible;
    std::map<int32_t, int32_t> digits;
    int32_t year_choice = 0;
    std::vector<std::string> errors;
};

class SettingsPresenterTest : public ::testing::Test {
protected:
    SettingsPresenterTest() {
        clock.Set(2026, 12, 8, 9, 41);
        CheckSettingsVersion(registry, settings, NoProxy{});
        presenter.AttachView(&view);
        presenter.FormCreate();
        presenter.FillSettingsDialog();
    }
    void Apply() { presenter.Button1Click(); }

    FakeRegistry registry;
    fakes::FakeClock clock;
    SettingsRecord settings;
    FakeSettingsView view;
    int invalidations = 0;
    std::vector<SettingsRecord> applied;
    SettingsPresenter presenter{registry, settings, clock,
                                SettingsHooks{[this] { ++invalidations; },
                                              [this](const SettingsRecord& before) { applied.push_back(before); }}};
};

TEST_F(SettingsPresenterTest, FillShowsTheStoreAndWhatApplySavesIsWhatItShows) {
    registry.SetInt(kFlag, "RUNTIME1", 123);  // edited by hand: shown clamped
    registry.SetInt(kFlag, "RUNTIME2", 35);
    registry.SetInt(kFlag, "MODE", 1);
    registry.SetInt(kFlag, "RUNTIME3", 6);
    registry.SetInt(kFlag, "YEAR_SEL", 1);
    registry.SetText(kFlag, "REKI", "令和");
    presenter.FillSettingsDialog();
    EXPECT_EQ(view.Shown(kImage0008), 99);
    EXPECT_EQ(view.Shown(kImage0010), 35);
    EXPECT_EQ(view.Shown(kImage0012), 6);
    EXPECT_EQ(view.texts[kSpeedButton2], "令和8");
    EXPECT_EQ(view.texts[kPanel5], "HTTP");
    EXPECT_EQ(view.texts[kLabel21], "時間");
    EXPECT_TRUE(view.visible[kGroupBox2]);
    EXPECT_FALSE(view.visible[kGroupBox6]);
    EXPECT_EQ(view.texts[kLabel12] + view.texts[kLabel15], "1241");
}

TEST_F(SettingsPresenterTest, SpinsReplaceValuesLeavingTheirRangeAndPeriodFollowsTheMethod) {
    struct Case {
        void (SettingsPresenter::*click)();
        int32_t steps;
        int32_t want;
        int32_t image;
    } cases[] = {
        {&SettingsPresenter::CSpinButton1DownClick, 1, 23, kImage0008},   // from 0
        {&SettingsPresenter::CSpinButton1UpClick, 1, 0, kImage0008},
        {&SettingsPresenter::CSpinButton2DownClick, 1, 55, kImage0010},
        {&SettingsPresenter::CSpinButton2UpClick, 1, 0, kImage0010},
        {&SettingsPresenter::CSpinButton3UpClick, 7, 5, kImage0012},     // 30 minutes: 60, then 5
        {&SettingsPresenter::CSpinButton3DownClick, 1, 60, kImage0012},
    };
    for (const Case& c : cases) {
        for (int32_t i = 0; i < c.steps; ++i) (presenter.*c.click)();
        EXPECT_EQ(view.Shown(c.image), c.want);
    }
    // The HTTP button makes the period step hours at once, from the record's 1.
    settings.RUNTIME3 = 1;
    presenter.SpeedButton4Click();
    presenter.CSpinButton3DownClick();
    EXPECT_EQ(view.Shown(kImage0012), 24);
    presenter.CSpinButton3UpClick();
    EXPECT_EQ(view.Shown(kImage0012), 1);
}

TEST_F(SettingsPresenterTest, RadiosEnableTheSpinsTheyUse) {
    struct Case {
        void (SettingsPresenter::*click)();
        bool time, period;
    } cases[] = {{&SettingsPresenter::RadioButton4Click, false, false},
                 {&SettingsPresenter::RadioButton5Click, false, false},
                 {&SettingsPresenter::RadioButton6Click, true, false},
                 {&SettingsPresenter::RadioButton9Click, false, true}};
    for (const Case& c : cases) {
        (presenter.*c.click)();
        EXPECT_EQ(view.enabled[kCSpinButton1], c.time);
        EXPECT_EQ(view.enabled[kCSpinButton2], c.time);
        EXPECT_EQ(view.enabled[kCSpinButton3], c.period);
    }
}

TEST_F(SettingsPresenterTest, ApplyStoresTheDialogAndHandsOnTheBeforeValues) {
    view.checked[kRadioButton9] = false;
    view.checked[kRadioButton6] = true;
    presenter.CSpinButton1UpClick();
    presenter.CSpinButton1UpClick();
    view.texts[kEdit16] = "新しいメモ";
    view.year_choice = 3;
    presenter.SpeedButton2Click();
    presenter.SpeedButton4Click();
    Apply();
    EXPECT_EQ(registry.Int(kFlag, "RUN_AND_RUN"), 2);
    EXPECT_EQ(registry.Int(kFlag, "RUNTIME1"), 2);
    EXPECT_EQ(registry.Int(kFlag, "YEAR_SEL"), 2);
    EXPECT_EQ(registry.Int(kFlag, "MODE"), 1);
    EXPECT_EQ(registry.Text(kFlag, "MEMO"), "新しいメモ");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].RUN_AND_RUN, 0);
    EXPECT_EQ(settings.RUN_AND_RUN, 2);
    EXPECT_EQ(invalidations, 1);  // the year menu; Apply's own comes with the hook

}

TEST_F(SettingsPresenterTest, ABadNumberIsNamedAndNothingIsStored) {
    // Either number stops Apply before the first write, so a new era name
    // never lands beside the old year template; the main window still takes
    // the method, the zero flag and the display at once.
    for (const auto& [time_shift, reply_timeout, message] :
         {std::tuple{"abc", "3", "'abc' は整数ではありません"}, std::tuple{"-5", "x1", "'x1' は整数ではありません"}}) {
        view.texts[kEdit3] = time_shift;
        view.texts[kEdit15] = reply_timeout;
        view.texts[kEdit13] = "令和";
        view.checked[kRadioButton1] = false;
        view.checked[kRadioButton3] = true;
        view.checked[kRadioButton10] = false;
        presenter.SpeedButton4Click();
        registry.ClearWrites();
        view.errors.clear();
        Apply();
        EXPECT_EQ(view.errors, std::vector<std::string>{message});
        EXPECT_TRUE(registry.Writes().empty()) << message;
        EXPECT_TRUE(applied.empty());
        EXPECT_EQ(settings.DSP_FLAG, 2);
        EXPECT_EQ(settings.ZERO, 0);
        EXPECT_EQ(settings.MODE, 1);
    }
}

// Every value the dialog shows in a control of its own: the fill shows its
// default, and Apply stores what the control is changed to.
TEST_F(SettingsPresenterTest, EveryRowWithAControlRoundTripsThroughFillAndApply) {
    // An edit's text, or 1 and 0 for a check box or radio pair; "?" for a
    // radio pair that does not show one value.
    auto shown = [&](const Setting& row) {
        if (row.edit) return view.texts[row.edit];
        if (row.off && view.checked[row.on] == view.checked[row.off]) return std::string("?");
        return std::string(view.checked[row.on] ? "1" : "0");
    };
    auto typed = [](const Setting& row) { return row.text ? std::string("新") + row.name : std::string("-7"); };
    for (const Setting& row : kSettings) {
        if (!row.edit && !row.on) continue;
        SCOPED_TRACE(row.name);
        const std::string fallback = row.on ? std::string(row.number_default != 0 ? "1" : "0")
                                            : std::to_string(row.number_default);
        EXPECT_EQ(shown(row), row.text ? row.text_default : fallback);
        view.texts[row.edit] = typed(row);
        view.checked[row.on] = row.number_default == 0;
        view.checked[row.off] = row.number_default != 0;
    }
    Apply();
    ASSERT_TRUE(view.errors.empty());
    presenter.FillSettingsDialog();
    for (const Setting& row : kSettings) {
        if (!row.edit && !row.on) continue;
        SCOPED_TRACE(row.name);
        const std::string want = row.edit ? typed(row) : row.number_default == 0 ? "1" : "0";
        EXPECT_EQ(shown(row), want);
        EXPECT_EQ(row.text ? registry.Text(kFlag, row.name) : std::to_string(registry.Int(kFlag, row.name).value_or(99)),
                  want);
    }
}

TEST_F(SettingsPresenterTest, DayOfWeekButtonActsBeforeApplyAndADismissedYearMenuDoesNothing) {
    const int32_t week_on = settings.WEEK_ON;
    presenter.SpeedButton1Click();
    EXPECT_NE(settings.WEEK_ON, week_on);
    EXPECT_EQ(invalidations, 1);
    presenter.SpeedButton2Click();  // dismissed
    EXPECT_EQ(invalidations, 1);
    presenter.FillSettingsDialog();  // the next opening brings back the stored choice
    EXPECT_EQ(settings.WEEK_ON, week_on);
}

}  // namespace
}  // namespace kronvik

// The settings dialog's behaviour against an in-memory store and a view that
// only remembers what it was told.
#include "settings/settings_presenter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "platform/layout.h"
#include "settings/settings_store.h"

namespace kronvik {
namespace {

using K = ControlKind;
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
    int32_t Shown(int32_t tens_image) {
        return digits[ControlId(K::Image, tens_image)] * 10 + digits[ControlId(K::Image, tens_image + 1)];
    }
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
    EXPECT_EQ(view.Shown(8), 99);
    EXPECT_EQ(view.Shown(10), 35);
    EXPECT_EQ(view.Shown(12), 6);
    EXPECT_EQ(view.texts[ControlId(K::SpeedButton, 2)], "令和8");
    EXPECT_EQ(view.texts[ControlId(K::Panel, 5)], "HTTP");
    EXPECT_EQ(view.texts[ControlId(K::Label, 21)], "時間");
    EXPECT_TRUE(view.visible[ControlId(K::GroupBox, 2)]);
    EXPECT_FALSE(view.visible[ControlId(K::GroupBox, 6)]);
    EXPECT_EQ(view.texts[ControlId(K::Label, 12)] + view.texts[ControlId(K::Label, 15)], "1241");
}

TEST_F(SettingsPresenterTest, SpinsReplaceValuesLeavingTheirRangeAndPeriodFollowsTheMethod) {
    struct Case {
        void (SettingsPresenter::*click)();
        int32_t steps;
        int32_t want;
        int32_t image;
    } cases[] = {
        {&SettingsPresenter::CSpinButton1DownClick, 1, 23, 8},   // from 0
        {&SettingsPresenter::CSpinButton1UpClick, 1, 0, 8},
        {&SettingsPresenter::CSpinButton2DownClick, 1, 55, 10},
        {&SettingsPresenter::CSpinButton2UpClick, 1, 0, 10},
        {&SettingsPresenter::CSpinButton3UpClick, 7, 5, 12},     // 30 minutes: 60, then 5
        {&SettingsPresenter::CSpinButton3DownClick, 1, 60, 12},
    };
    for (const Case& c : cases) {
        for (int32_t i = 0; i < c.steps; ++i) (presenter.*c.click)();
        EXPECT_EQ(view.Shown(c.image), c.want);
    }
    // The HTTP button makes the period step hours at once, from the record's 1.
    settings.RUNTIME3 = 1;
    presenter.SpeedButton4Click();
    presenter.CSpinButton3DownClick();
    EXPECT_EQ(view.Shown(12), 24);
    presenter.CSpinButton3UpClick();
    EXPECT_EQ(view.Shown(12), 1);
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
        EXPECT_EQ(view.enabled[ControlId(K::CSpinButton, 1)], c.time);
        EXPECT_EQ(view.enabled[ControlId(K::CSpinButton, 2)], c.time);
        EXPECT_EQ(view.enabled[ControlId(K::CSpinButton, 3)], c.period);
    }
}

TEST_F(SettingsPresenterTest, ApplyStoresTheDialogAndHandsOnTheBeforeValues) {
    view.checked[ControlId(K::RadioButton, 9)] = false;
    view.checked[ControlId(K::RadioButton, 6)] = true;
    presenter.CSpinButton1UpClick();
    presenter.CSpinButton1UpClick();
    view.texts[ControlId(K::Edit, 16)] = "新しいメモ";
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

    // A bad number: the box names it, nothing is stored, nothing re-armed.
    view.texts[ControlId(K::Edit, 3)] = "abc";
    view.texts[ControlId(K::Edit, 16)] = "また別のメモ";
    registry.ClearWrites();
    Apply();
    EXPECT_EQ(view.errors, std::vector<std::string>{"'abc' は整数ではありません"});
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_EQ(applied.size(), 1u);
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

#include "schedule/schedule_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "schedule/schedule_menu.h"

namespace kronvik {
namespace {

const std::string kKey = "Software\\Velk\\Information";

class ScheduleStoreTest : public ::testing::Test {
protected:
    ScheduleStoreTest() { clock.Set(2026, 12, 8, 9, 41); }
    void Plant(const std::string& day, const std::string& time, const std::string& text) {
        registry.SetText(kKey + "\\" + day, time, text);
    }
    std::vector<std::string> SlotKeys() const {
        std::vector<std::string> keys;
        for (const DaySlot& slot : store.Slots())
            if (!slot.key.empty()) keys.push_back(slot.key);
        return keys;
    }

    FakeRegistry registry;
    fakes::FakeClock clock;
    ScheduleStore store{registry, clock};
};

TEST_F(ScheduleStoreTest, LoadFillsTheSlotsFromTodayAndTheNext13DaysOnly) {
    EXPECT_EQ(store.LoadSchedule(), 2);  // nothing ever stored
    EXPECT_TRUE(SlotKeys().empty());

    // Ten past days would have taken all but four slots before today's.
    for (int day = 1; day <= 7; ++day) Plant("2026 12 0" + std::to_string(day), "10 00", "past");
    for (int day = 25; day <= 27; ++day) Plant("2026 11 " + std::to_string(day), "10 00", "past");
    Plant("2026 12 08", "09 05", "歯医者");
    Plant("2026 12 08", "08 00", "会議");
    Plant("2026 12 21", "12 00", "last day");
    Plant("2026 12 22", "12 00", "too far");
    Plant("2027 01 01", "00 00", "far ahead");
    Plant("next week", "00 00", "not a date");
    registry.CreateKey(kKey + "\\2026 12 10");  // its last appointment was deleted

    EXPECT_EQ(store.LoadSchedule(), 0);
    EXPECT_EQ(SlotKeys(), (std::vector<std::string>{"2026 12 08", "2026 12 10", "2026 12 21"}));
    const DaySlot& today = store.Slots()[0];
    ASSERT_EQ(today.entries.size(), 2u);
    EXPECT_EQ(today.entries[0].text, "会議");  // time order, whatever the order of storing
    EXPECT_EQ(today.entries[1].hour, 9);
    EXPECT_EQ(today.entries[1].minute, 5);
    EXPECT_EQ(store.SlotOfDay(0), &today);
    EXPECT_EQ(store.SlotOfDay(2), nullptr);   // the empty key is a day without appointments
    EXPECT_NE(store.SlotOfDay(13), nullptr);
    EXPECT_EQ(store.SlotOfDay(14), nullptr);

    // Only past days go; days further ahead wait for their turn.
    store.PurgePastDays();
    for (const std::string& name : registry.SubkeyNames(kKey)) EXPECT_GE(name, "2026 12 08") << name;
    EXPECT_EQ(registry.SubkeyNames(kKey).size(), 6u);

    // The date moves on: the next load takes the day that came into reach.
    clock.Set(2026, 12, 9, 0, 0);
    store.LoadIfDateChanged(clock.now);
    EXPECT_EQ(SlotKeys(), (std::vector<std::string>{"2026 12 10", "2026 12 21", "2026 12 22"}));
}

TEST_F(ScheduleStoreTest, LongTextsAreCutAtACharacterBoundary) {
    std::string text;
    for (int i = 0; i < 31; ++i) text += "予";  // 62 bytes of code page 932
    Plant("2026 12 08", "10 00", "a" + text);
    Plant("2026 12 08", "10 30", text);
    registry.SetWrongType(kKey + "\\2026 12 08", "11 00");
    store.LoadSchedule();
    const DaySlot& slot = store.Slots()[0];
    ASSERT_EQ(slot.entries.size(), 3u);
    EXPECT_EQ(slot.entries[0].text, ("a" + text).substr(0, 1 + 30 * 3));  // 61 bytes
    EXPECT_EQ(slot.entries[1].text, text.substr(0, 30 * 3));        // 60: a 31st would be 62
    EXPECT_EQ(slot.entries[2].text, "");
}

TEST_F(ScheduleStoreTest, StoreReplacesTheMinuteAndDeleteKeepsTheDateKey) {
    const AppointmentName time = CanonicalName(ScheduleTime{2026, 12, 9, 7, 5});
    EXPECT_TRUE(store.StoreAppointment(time, "first"));
    EXPECT_TRUE(store.StoreAppointment(time, "second"));
    EXPECT_EQ(registry.Text(kKey + "\\2026 12 09", "07 05"), "second");
    store.DeleteScheduleValue(time);
    EXPECT_FALSE(registry.Has(kKey + "\\2026 12 09", "07 05"));
    EXPECT_TRUE(registry.KeyExists(kKey + "\\2026 12 09"));
    store.DeleteScheduleValue(CanonicalName(ScheduleTime{2026, 12, 11, 0, 0}));  // nothing there: no key made
    EXPECT_FALSE(registry.KeyExists(kKey + "\\2026 12 11"));
    registry.SetWritesFail(true);
    EXPECT_FALSE(store.StoreAppointment(time, "third"));
}

}  // namespace
}  // namespace kronvik

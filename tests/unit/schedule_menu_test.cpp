#include "schedule/schedule_menu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/tray_menu.h"
#include "schedule/upcoming_dates.h"

namespace kronvik {
namespace {

using Kind = MenuItem::Kind;

DaySlot Slot(const std::string& key, std::vector<ScheduleEntry> entries) {
    DaySlot slot;
    slot.key = key;
    slot.entries = std::move(entries);
    return slot;
}

ScheduleEntry Entry(int32_t hour, int32_t minute, const std::string& text) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d %02d", hour, minute);
    return ScheduleEntry{hour, minute, name, text, name};
}

void ExpectPlainDay(const MenuItem& item, uint32_t id) {
    EXPECT_EQ(item.kind, Kind::String) << item.text;
    EXPECT_EQ(item.id, id) << item.text;
    EXPECT_TRUE(item.children.empty()) << item.text;
}

class ScheduleMenuTest : public ::testing::Test {
protected:
    // Thursday 21 June 2007 .. Wednesday 4 July 2007.
    const UpcomingDates dates_ = ComputeUpcomingDates(2007, 6, 21);
};

TEST_F(ScheduleMenuTest, NoScheduleListsFourteenPlainDays) {
    const std::vector<MenuItem> menu = BuildScheduleMenu(dates_, {});
    ASSERT_EQ(menu.size(), 14u);
    for (uint32_t i = 0; i < menu.size(); ++i) ExpectPlainDay(menu[i], 100 * (i + 1));
    EXPECT_EQ(menu[0].text, "2007年06月21日 木曜日");
    EXPECT_EQ(menu[3].text, "2007年06月24日 日曜日");
    EXPECT_EQ(menu[9].text, "2007年06月30日 土曜日");
    EXPECT_EQ(menu[10].text, "2007年07月01日 日曜日");
    EXPECT_EQ(menu[13].text, "2007年07月04日 水曜日");
}

TEST_F(ScheduleMenuTest, DayWithAppointmentsOpensItsOwnSubmenu) {
    // Stored 09:05 first, then 08:00; the load lists value names in time order.
    const std::vector<DaySlot> slots = {
        Slot("2007 06 20", {Entry(12, 0, "昨日")}),
        Slot("2007 06 23", {Entry(8, 0, "会議"), Entry(9, 5, "歯医者")}),
    };
    const std::vector<MenuItem> menu = BuildScheduleMenu(dates_, slots);
    ASSERT_EQ(menu.size(), 14u);

    const MenuItem& day = menu[2];
    EXPECT_EQ(day.kind, Kind::Popup);
    EXPECT_EQ(day.text, "2007年06月23日 土曜日");
    ASSERT_EQ(day.children.size(), 4u);
    EXPECT_EQ(day.children[0].kind, Kind::String);
    EXPECT_EQ(day.children[0].id, 300u);
    EXPECT_EQ(day.children[0].text, "新規スケジュール");
    EXPECT_EQ(day.children[1].kind, Kind::Separator);
    EXPECT_EQ(day.children[2].id, 301u);
    EXPECT_EQ(day.children[2].text, "08時00分  会議");
    EXPECT_EQ(day.children[3].id, 302u);
    EXPECT_EQ(day.children[3].text, "09時05分  歯医者");

    // Yesterday's key is not among the upcoming days and shows nowhere.
    for (uint32_t i = 0; i < menu.size(); ++i) {
        if (i != 2) ExpectPlainDay(menu[i], 100 * (i + 1));
    }
}

TEST_F(ScheduleMenuTest, OnlyTheFirstSlotWithAppointmentsCountsForADay) {
    DaySlot emptied = Slot("2007 06 21", {});
    const std::vector<DaySlot> slots = {
        emptied,
        Slot("2007 06 21 and more", {Entry(10, 30, "first")}),  // matched by its first 10 bytes
        Slot("2007 06 21", {Entry(11, 0, "second")}),
        Slot("2007 6 22", {Entry(9, 0, "not zero-padded")}),
    };
    const std::vector<MenuItem> menu = BuildScheduleMenu(dates_, slots);
    ASSERT_EQ(menu[0].kind, Kind::Popup);
    ASSERT_EQ(menu[0].children.size(), 3u);
    EXPECT_EQ(menu[0].children[2].text, "10時30分  first");
    ExpectPlainDay(menu[1], 200);
    ExpectPlainDay(menu[13], 1400);
}

TEST_F(ScheduleMenuTest, AppointmentTextAppearsVerbatimWithItsAmpersandsShown) {
    const std::string text = "100% %s %n %d%% ";
    const std::vector<MenuItem> menu =
        BuildScheduleMenu(dates_, {Slot("2007 07 04", {Entry(23, 59, text + "A&B&&")})});
    ASSERT_EQ(menu[13].children.size(), 3u);
    EXPECT_EQ(menu[13].children[2].text, "23時59分  " + text + "A&&B&&&&");
    EXPECT_EQ(menu[13].children[2].id, 1401u);
}

TEST_F(ScheduleMenuTest, UndeterminedWeekdayShowsIdeographicSpaces) {
    UpcomingDates dates = dates_;
    dates[0].weekday = kWeekdayUnknown;
    dates[1].weekday = 0;
    const std::vector<MenuItem> menu = BuildScheduleMenu(dates, {});
    EXPECT_EQ(menu[0].text, "2007年06月21日 \u3000\u3000\u3000");
    EXPECT_EQ(menu[1].text, "2007年06月22日 \u3000\u3000\u3000");
}

TEST_F(ScheduleMenuTest, ADayListsAtMost99AppointmentsSoIdsStayInItsRange) {
    std::vector<ScheduleEntry> entries;
    for (int32_t i = 0; i < 150; ++i) entries.push_back(Entry(i / 12, (i % 12) * 5, "e"));
    const std::vector<MenuItem> menu =
        BuildScheduleMenu(dates_, {Slot("2007 06 23", entries)});
    const std::vector<MenuItem>& items = menu[2].children;
    ASSERT_EQ(items.size(), 2u + 99u);
    EXPECT_EQ(items.back().id, 399u);
    EXPECT_EQ(items.back().text, "08時10分  e");
}

TEST(TrayMenuTest, MainEntriesInOrderWithTheScheduleSubmenu) {
    const UpcomingDates dates = ComputeUpcomingDates(2007, 12, 25);
    const std::vector<MenuItem> menu = BuildTrayMenu(BuildScheduleMenu(dates, {}));
    ASSERT_EQ(menu.size(), 6u);
    const struct {
        Kind kind;
        uint32_t id;
        const char* text;
    } expected[] = {
        {Kind::String, 1, "Kronvik設定"},   {Kind::String, 2, "手動時刻設定"},
        {Kind::Popup, 0, "スケジュール"},   {Kind::String, 3, "バージョン情報"},
        {Kind::Separator, 0, ""},           {Kind::String, 5, "終了"},
    };
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].kind, expected[i].kind) << i;
        EXPECT_EQ(menu[i].id, expected[i].id) << i;
        EXPECT_EQ(menu[i].text, expected[i].text) << i;
    }
    ASSERT_EQ(menu[2].children.size(), 14u);
    EXPECT_EQ(menu[2].children[13].text, "2008年01月07日 月曜日");
    EXPECT_EQ(menu[2].children[13].id, 1400u);
}

}  // namespace
}  // namespace kronvik

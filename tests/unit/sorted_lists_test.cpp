#include "schedule/sorted_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kronvik {
namespace {

std::vector<std::string> InsertAll(SortedNameList& list, const std::vector<std::string>& names) {
    for (const std::string& name : names) list.Insert(name);
    return list.Items();
}

TEST(SortedNameListTest, ZeroPaddedDateAndTimeNamesComeOutInTimeOrder) {
    SortedNameList keys;
    EXPECT_EQ(InsertAll(keys, {"2008 01 02", "2007 12 31", "2008 01 01", "2007 06 21"}),
              (std::vector<std::string>{"2007 06 21", "2007 12 31", "2008 01 01", "2008 01 02"}));

    SortedNameList times;
    EXPECT_EQ(InsertAll(times, {"09 05", "08 00", "23 59", "00 00", "08 05"}),
              (std::vector<std::string>{"00 00", "08 00", "08 05", "09 05", "23 59"}));
    EXPECT_EQ(times.Count(), 5u);
}

TEST(SortedNameListTest, IgnoresAsciiCaseAndKeepsEqualNamesInInsertionOrder) {
    SortedNameList list;
    EXPECT_EQ(InsertAll(list, {"b", "Zeta", "A", "alpha", "a", "B", "ab", "abc", "AB"}),
              (std::vector<std::string>{"A", "a", "ab", "AB", "abc", "alpha", "b", "B", "Zeta"}));
    // Beyond ASCII the bytes compare unsigned: "é" (0xC3 0xA9) after "z".
    list.Insert("\xC3\xA9");
    EXPECT_EQ(list.Items().back(), "\xC3\xA9");
}

TEST(SortedNameListTest, ClearEmptiesOnlyItsOwnList) {
    ScheduleNameLists lists;
    lists.keys.Insert("2007 06 21");
    lists.values[0].Insert("09 05");
    lists.values[13].Insert("10 00");
    lists.values[0].Clear();
    EXPECT_EQ(lists.values[0].Count(), 0u);
    EXPECT_EQ(lists.values[13].Items(), std::vector<std::string>{"10 00"});
    EXPECT_EQ(lists.keys.Count(), 1u);
}

}  // namespace
}  // namespace kronvik

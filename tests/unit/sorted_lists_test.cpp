#include "schedule/sorted_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kronvik {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    SortNames(names);
    return names;
}

TEST(SortNamesTest, ZeroPaddedDateAndTimeNamesComeOutInTimeOrder) {
    EXPECT_EQ(Sorted({"2008 01 02", "2007 12 31", "2008 01 01", "2007 06 21"}),
              (std::vector<std::string>{"2007 06 21", "2007 12 31", "2008 01 01", "2008 01 02"}));
    EXPECT_EQ(Sorted({"09 05", "08 00", "23 59", "00 00", "08 05"}),
              (std::vector<std::string>{"00 00", "08 00", "08 05", "09 05", "23 59"}));
}

TEST(SortNamesTest, IgnoresAsciiCaseAndKeepsEqualNamesInInsertionOrder) {
    EXPECT_EQ(Sorted({"b", "Zeta", "A", "alpha", "a", "B", "ab", "abc", "AB"}),
              (std::vector<std::string>{"A", "a", "ab", "AB", "abc", "alpha", "b", "B", "Zeta"}));
    // Beyond ASCII the bytes compare unsigned: "é" (0xC3 0xA9) after "z".
    EXPECT_EQ(Sorted({"\xC3\xA9", "zz"}).back(), "\xC3\xA9");
}

}  // namespace
}  // namespace kronvik

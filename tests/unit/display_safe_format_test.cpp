#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "display/safe_format.h"

namespace kronvik {
namespace {

using namespace std::string_literals;

TEST(SafeFormatTest, FillsTemplatesAsPrintfDoes) {
    EXPECT_EQ(SafeFormat("%04d年%02d月%02d日", {2007, 6, 21}), "2007年06月21日");
    EXPECT_EQ(SafeFormat("%s曜日", {"木"}), "木曜日");
    EXPECT_EQ(SafeFormat("100%% %s", {"done"}), "100% done");

    // 64-bit forms against the C library over flags, widths and precisions.
    const char* formats[] = {"%lld", "%+lld", "% lld", "%-8lld|", "%08lld", "%.5lld", "%8.3lld",
                             "%-+6lld|", "%.0lld", "%llu", "%#llx", "%#08llx", "%llX", "%#llo",
                             "%0-5lld|", "%+ lld"};
    const int64_t values[] = {0, 1, -1, 42, -42, 255, std::numeric_limits<int64_t>::min(),
                              std::numeric_limits<int64_t>::max()};
    for (const char* format : formats) {
        for (const int64_t value : values) {
            char expected[128];
            std::snprintf(expected, sizeof expected, format, static_cast<long long>(value));
            EXPECT_EQ(SafeFormat(format, {value}), expected) << format << " " << value;
        }
    }
    // The Windows C runtime prints nothing here; the C standard asks for "0".
    EXPECT_EQ(SafeFormat("%#.0llo", {0}), "0");
}

TEST(SafeFormatTest, LengthModifiersCutTheArgumentLikeTheCLibrary) {
    EXPECT_EQ(SafeFormat("%d", {int64_t{4294967297}}), "1");
    EXPECT_EQ(SafeFormat("%u %x", {-1, -1}), "4294967295 ffffffff");
    EXPECT_EQ(SafeFormat("%hd %hhd %hhu", {70000, 300, -1}), "4464 44 255");
    EXPECT_EQ(SafeFormat("%zd %jd %ld", {int64_t{1} << 40, -5, 7}), "1099511627776 -5 7");
}

TEST(SafeFormatTest, ReadsOnlyTheArgumentsGiven) {
    EXPECT_EQ(SafeFormat("%d-%s-%d", {1}), "1-%s-%d");
    EXPECT_EQ(SafeFormat("%s%s%s%s%n%p", {}), "%s%s%s%s%n%p");
    // Unknown or unfinished conversions stay as written and consume nothing.
    EXPECT_EQ(SafeFormat("%q %5.2f %*d %d", {3}), "%q %5.2f %*d 3");
    EXPECT_EQ(SafeFormat("abc%", {1}), "abc%");
    EXPECT_EQ(SafeFormat("abc%-08.3l", {1}), "abc%-08.3l");
    EXPECT_EQ(SafeFormat("%日%d", {1}), "%日1");
}

TEST(SafeFormatTest, MixedArgumentKinds) {
    EXPECT_EQ(SafeFormat("%s|%d|%5x|", {-12, "text", "ab"}), "-12|text|   ab|");
    EXPECT_EQ(SafeFormat("[%-4s][%.3s][%.2s][%.4s]", {"a", "abcdef", "日本", "日本"}),
              "[a   ][abc][][日]");
    EXPECT_EQ(SafeFormat("%c%c%c|%3c|", {'A', 0x65E5, 0, 'z'}), "A日|  z|");
    EXPECT_EQ(SafeFormat("%s", {"with\0nul"s}), "with\0nul"s);
}

TEST(SafeFormatTest, HugeWidthAndPrecisionAreBounded) {
    EXPECT_EQ(SafeFormat("%999999999999999999999d", {1}).size(), 1024u);
    EXPECT_EQ(SafeFormat("%.99999999s", {"short"}), "short");
    EXPECT_EQ(SafeFormat("%.4000d", {1}).size(), 1024u);
}

}  // namespace
}  // namespace kronvik

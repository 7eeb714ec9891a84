#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace kronvik {
namespace {

TEST(Cp932Test, BytesAndPrefixesNeverCutACharacter) {
    struct Case {
        std::u16string text;
        std::size_t bytes;
        std::size_t limit;
        std::u16string prefix;
    } cases[] = {
        {u"abc", 3, 2, u"ab"},
        {u"予定", 4, 3, u"予"},                   // a full-width character is two bytes
        {u"ｱｲｳ", 3, 2, u"ｱｲ"},                    // half-width katakana is one
        {u"a\U0001F600b", 4, 2, u"a"},            // outside the code page: two, pair kept whole
        {u"a\U0001F600b", 4, 3, u"a\U0001F600"},
        {u"한글", 4, 4, u"한글"},
        {u"", 0, 0, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp932Bytes(c.text), c.bytes);
        EXPECT_EQ(Cp932Prefix(c.text, c.limit), c.prefix);
    }
    EXPECT_EQ(Cp932Prefix(std::string("予定表"), 5), "予定");
    EXPECT_EQ(Cp932Prefix(std::string("\xff" "ab"), 10), "\xff" "ab");  // unchanged stays byte for byte
}

}  // namespace
}  // namespace kronvik

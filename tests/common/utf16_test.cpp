#include "common/utf16.h"

#include <gtest/gtest.h>

namespace wl {
namespace {

TEST(Utf16, ConvertsExactlyOrSaysItCannot) {
    const std::string utf8 = "a\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80";  // a, ä, €, an emoji
    const std::u16string utf16 = u"a\u00e4\u20ac\U0001F600";
    EXPECT_EQ(Utf8ToUtf16Exact(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8Exact(utf16), utf8);

    for (const std::string bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        EXPECT_EQ(Utf8ToUtf16Exact(bad), std::nullopt);
        EXPECT_EQ(Utf8ToUtf16(bad + "x").back(), u'x');
        EXPECT_NE(Utf8ToUtf16(bad).find(u'\uFFFD'), std::u16string::npos);
    }
    const std::u16string lone = {u'a', 0xD800, u'b'};
    EXPECT_EQ(Utf16ToUtf8Exact(lone), std::nullopt);
    EXPECT_EQ(Utf16ToUtf8(lone),
              "a\xef\xbf\xbd"
              "b");
    EXPECT_EQ(Utf16ToPath(lone), std::nullopt);
    EXPECT_EQ(PathToUtf16Exact(std::filesystem::path("x\xff")), std::nullopt);
}

}  // namespace
}  // namespace wl

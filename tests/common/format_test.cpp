#include "common/format.h"

#include <gtest/gtest.h>

namespace wl {
namespace {

TEST(Format, AppliesEachConversionToItsKindOfArgument) {
    const std::u16string path = u"C:\\x";
    EXPECT_EQ(Format("Can't add file %s", {path}), u"Can't add file C:\\x");
    EXPECT_EQ(Format("Project(%d) with name %s exists already", {2, u"R1"}),
              u"Project(2) with name R1 exists already");
    EXPECT_EQ(Format("File %s too big (%d, %lld)", {u"f", 100, int64_t{5000000000}}),
              u"File f too big (100, 5000000000)");
    EXPECT_EQ(Format("RXR:%X;", {uint32_t{0xABC12}}), u"RXR:ABC12;");
    EXPECT_EQ(Format("%X", {-1}), u"FFFFFFFF");
    EXPECT_EQ(Format("%hS: FT_Close OK", {Narrow{"USB Serial"}}), u"USB Serial: FT_Close OK");
    EXPECT_EQ(Format("100%% %d", {-7}), u"100% -7");
    EXPECT_EQ(Format(u"%s\r\n%s", {u"a", u"b"}), u"a\r\nb");
}

TEST(Format, NeverReadsWhatItWasNotGiven) {
    struct Case {
        const char16_t* format;
        std::u16string expected;
    };
    // One integer argument, 42, for every format.
    const Case cases[] = {
        {u"%s", u""},                // a number for text: nothing
        {u"%d %d", u"42 "},          // a missing argument: nothing
        {u"%n%5d%x%", u"%n%5d%x%"},  // not conversions of ours: copied literally
        {u"%hS", u""},
        {u"%lld", u"42"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Format(std::u16string_view(c.format), {42}), c.expected);
    }
    EXPECT_EQ(Format("%d", {u"text"}), u"");
}

}  // namespace
}  // namespace wl

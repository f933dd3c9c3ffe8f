// Which translated formats may replace a built-in one.

#include <gtest/gtest.h>

#include "common/utf16.h"
#include "locale/format_compatibility.h"

namespace wl {
namespace {

struct FormatCase {
    const char* translation;
    const char* builtIn;
    bool compatible;
};

class FormatCompatibilityTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatCompatibilityTest, Decides) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(IsCompatibleFormat(AsciiToUtf16(c.translation), AsciiToUtf16(c.builtIn)),
              c.compatible)
        << '"' << c.translation << "\" for \"" << c.builtIn << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatCompatibilityTest,
    ::testing::Values(FormatCase{"no format", "plain", true},
                      FormatCase{"Gespeichert in '%s'", "Saved into '%s'", true},
                      FormatCase{"%s then %d", "%s and %d", true},
                      FormatCase{"%hS %lld %X", "%hS, %lld, %X", true},
                      FormatCase{"100%% sure", "%% done", true},
                      // A different number of '%' characters.
                      FormatCase{"no conversion", "Saved into '%s'", false},
                      FormatCase{"%s and %s", "Saved into '%s'", false},
                      FormatCase{"ends in 100%", "not running.", false},
                      FormatCase{"%%", "%s", false}, FormatCase{"%s", "%%", false},
                      // The same number, other conversions.
                      FormatCase{"%d", "%s", false}, FormatCase{"%d %s", "%s %d", false},
                      FormatCase{"%lld", "%d", false}, FormatCase{"%S", "%s", false},
                      FormatCase{"%hs", "%hS", false}, FormatCase{"%x", "%X", false},
                      // Conversions the formatter does not know.
                      FormatCase{"%n", "%s", false}, FormatCase{"%5s", "%s", false},
                      FormatCase{"%-s", "%s", false}, FormatCase{"%ls", "%s", false},
                      FormatCase{"trailing %", "trailing %s", false},
                      FormatCase{"%%%", "%%%s", false}));

}  // namespace
}  // namespace wl

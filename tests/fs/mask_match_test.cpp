// MatchesMask: Windows-style masks.

#include <chrono>
#include <string>

#include "fs/file_ops.h"
#include "gtest/gtest.h"

namespace wl {
namespace {

TEST(MaskMatchTest, MatchesLikeWindowsMasks) {
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"english.lng", "*.lng", true},
        {"english.lng.bak", "*.lng", false},
        {"ENGLISH.LNG", "*.lng", true},
        {"english.lng", "ENGLISH.LNG", true},
        {"a.b.lng", "*.lng", true},
        {"lng", "*.lng", false},
        {"name", "*.*", true},
        {"name.ext", "*.*", true},
        {".", "*.*", true},
        {"..", "*.*", true},
        {"", "*", true},
        {"", "?", false},
        {"readme", "readme.*", true},
        {"readme.txt", "readme.*", true},
        {"readmex", "readme.*", false},
        {"abc", "a*.*", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"abc", "*c", true},
        {"abc", "*b", false},
        {"abc", "a**c", true},
        {"abc", "", false},
        {"", "", true},
        {"route-7.rdi", "route-?.rd?", true},
        {"Zeta", "z*A", true},
        {"[x]", "[x]", true},
        {"\xC3\xA9.lng", "?.lng", true},  // é: one character of two bytes
        {"\xC3\xA9\xC3\xA9.lng", "?.lng", false},
        {"\xC3\xA9", "\xC3\x89", false},  // only ASCII letters ignore case
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*iss*ppx", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " / " << c.mask;
    }
}

TEST(MaskMatchTest, ManyStarsDoNotBacktrackExponentially) {
    const std::string name(5000, 'a');
    std::string mask;
    for (int i = 0; i < 60; ++i) {
        mask += "*a";
    }
    mask += "*b";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MatchesMask(name, mask));
    EXPECT_TRUE(MatchesMask(name + "b", mask));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace wl

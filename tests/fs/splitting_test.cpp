// SplitPath and SplitTokens.

#include <gmock/gmock.h>

#include <string>

#include "common/utf16.h"
#include "fs/file_ops.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;

TEST(SplitPathTest, SplitsIntoFolderNameAndExtension) {
    struct Case {
        const char* path;
        const char* folder;
        std::u16string name;
        std::u16string extension;
    } cases[] = {
        {"/opt/wayload/english.lng", "/opt/wayload/", u"english", u".lng"},
        {"english.lng", "", u"english", u".lng"},
        {"relative/x.tar.gz", "relative/", u"x.tar", u".gz"},
        {"/home/me/.profile", "/home/me/", u".profile", u""},
        {"/folder/only/", "/folder/only/", u"", u""},
        {"/", "/", u"", u""},
        {"noext", "", u"noext", u""},
        {"dots/end.", "dots/", u"end", u"."},
        {"/a/..", "/a/", u"..", u""},
        {"/m\xC3\xBC/r\xC3\xA9sum\xC3\xA9.rvx", "/m\xC3\xBC/", u"r\u00E9sum\u00E9", u".rvx"},
    };
    for (const Case& c : cases) {
        fs::path folder = "stale";
        std::u16string name = u"stale";
        std::u16string extension = u"stale";
        ASSERT_TRUE(SplitPath(c.path, folder, name, extension)) << c.path;
        EXPECT_EQ(folder, fs::path(c.folder)) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(extension, c.extension) << c.path;
    }
}

TEST(SplitPathTest, EmptyOrUntextualNamesCannotBeSplit) {
    fs::path folder;
    std::u16string name;
    std::u16string extension;
    EXPECT_FALSE(SplitPath("", folder, name, extension));
    EXPECT_FALSE(SplitPath("/folder/bad\xFF.lng", folder, name, extension));
}

TEST(SplitTokensTest, SplitsAndTrimsEachPiece) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> pieces;
    } cases[] = {
        {u"a\\b\\c", {u"a", u"b", u"c"}},
        {u"\\\\a\\b\\\\", {u"a", u"b"}},
        {u"  a \\ b\t ", {u"a", u"b"}},
        {u"a\\ \\b", {u"a", u"", u"b"}},  // an empty piece is kept
        // A separator right at the front does not end a piece: the piece is all that is left.
        {u"a\\\\b\\c", {u"a", u"b\\c"}},
        {u" \\ ", {u""}},
        {u"   ", {}},
        {u"one", {u"one"}},
        {u"x/y\\z", {u"x", u"y", u"z"}},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> pieces{u"stale"};
        ASSERT_TRUE(SplitTokens(c.text, u"\\/", pieces)) << Utf16ToUtf8(c.text);
        EXPECT_THAT(pieces, ElementsAreArray(c.pieces)) << Utf16ToUtf8(c.text);
    }
}

TEST(SplitTokensTest, EmptyTextIsRefused) {
    std::vector<std::u16string> pieces;
    EXPECT_FALSE(SplitTokens(u"", u"\\", pieces));
}

TEST(SplitTokensTest, LongTextsSplitInLinearTime) {
    std::u16string text;
    for (int i = 0; i < 200'000; ++i) {
        text += u"piece\\";
    }
    std::vector<std::u16string> pieces;
    ASSERT_TRUE(SplitTokens(text, u"\\", pieces));
    EXPECT_EQ(pieces.size(), 200'000u);
    EXPECT_EQ(pieces.back(), u"piece");
}

}  // namespace
}  // namespace wl

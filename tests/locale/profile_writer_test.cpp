// Writing profile files: the key's line is replaced or added, and every other byte stays.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "locale/profile.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

struct WriteCase {
    const char* name;
    std::string before;
    std::u16string section;
    std::u16string key;
    std::u16string value;
    std::string after;
};

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {
  protected:
    test::TempFolder folder_;
    std::filesystem::path file_ = folder_ / "test.ini";
};

TEST_P(ProfileWriteTest, ChangesOnlyTheKey) {
    const WriteCase& c = GetParam();
    test::WriteFile(file_, c.before);
    ASSERT_TRUE(WriteProfileString(file_, c.section, c.key, c.value));
    EXPECT_EQ(test::ReadFile(file_), c.after);
    EXPECT_EQ(GetProfileString(file_, c.section, c.key, u"default"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWriteTest,
    ::testing::Values(WriteCase{"ReplacesInPlace",
                                "; note\n[a]\nx=1\n[Settings]\nLanguage=eng.lng\nz=2\n",
                                u"Settings", u"Language", u"deu.lng",
                                "; note\n[a]\nx=1\n[Settings]\nLanguage=deu.lng\nz=2\n"},
                      WriteCase{"ReplacesKeyOfOtherCase", "[SETTINGS]\n  language = eng.lng  \r\n",
                                u"Settings", u"Language", u"deu.lng",
                                "[SETTINGS]\nLanguage=deu.lng\r\n"},
                      WriteCase{"AddsToItsSection", "[Settings]\nOther=1\n\n[Next]\nk=v\n",
                                u"Settings", u"Language", u"deu.lng",
                                "[Settings]\nOther=1\nLanguage=deu.lng\n\n[Next]\nk=v\n"},
                      WriteCase{"AddsToAnEmptySection", "[Settings]\n[Next]\n", u"settings",
                                u"Language", u"deu.lng", "[Settings]\nLanguage=deu.lng\n[Next]\n"},
                      WriteCase{"AddsTheSection", "[Other]\r\nk=v\r\n", u"Settings", u"Language",
                                u"deu.lng", "[Other]\r\nk=v\r\n[Settings]\r\nLanguage=deu.lng\r\n"},
                      WriteCase{"EndsALastLineFirst", "[Other]\nk=v", u"Settings", u"Language",
                                u"deu.lng", "[Other]\nk=v\n[Settings]\nLanguage=deu.lng\n"},
                      WriteCase{"KeepsTheUtf8Bom", "\xEF\xBB\xBF[s]\nk=a\n", u"s", u"k", u"\u00E9",
                                "\xEF\xBB\xBF[s]\nk=\xC3\xA9\n"},
                      WriteCase{"KeepsUtf16Le", std::string("\xFF\xFE[\0s\0]\0\n\0", 10), u"s",
                                u"k", u"v", std::string("\xFF\xFE[\0s\0]\0\n\0k\0=\0v\0\n\0", 18)},
                      WriteCase{"FillsAnEmptyFile", "", u"Settings", u"Language", u"eng.lng",
                                "[Settings]\nLanguage=eng.lng\n"}),
    [](const auto& info) { return info.param.name; });

class ProfileWriterTest : public ::testing::Test {
  protected:
    test::TempFolder folder_;
};

TEST_F(ProfileWriterTest, CreatesAMissingFile) {
    const auto file = folder_ / "new.ini";
    ASSERT_TRUE(WriteProfileString(file, u"Settings", u"Language", u"eng.lng"));
    EXPECT_EQ(test::ReadFile(file), "[Settings]\nLanguage=eng.lng\n");
}

TEST_F(ProfileWriterTest, NeverReplacesWhatItCannotRead) {
    const auto folderNamedLikeAFile = folder_ / "folder.ini";
    std::filesystem::create_directory(folderNamedLikeAFile);
    EXPECT_FALSE(WriteProfileString(folderNamedLikeAFile, u"s", u"k", u"v"));
    EXPECT_TRUE(std::filesystem::is_directory(folderNamedLikeAFile));

    if (::geteuid() != 0) {  // root reads a file whatever its mode
        const auto unreadable = folder_ / "unreadable.ini";
        test::WriteFile(unreadable, "[s]\nk=old\n");
        std::filesystem::permissions(unreadable, std::filesystem::perms::none);
        EXPECT_FALSE(WriteProfileString(unreadable, u"s", u"k", u"v"));
        std::filesystem::permissions(unreadable, std::filesystem::perms::owner_read);
        EXPECT_EQ(test::ReadFile(unreadable), "[s]\nk=old\n");
    }
}

TEST_F(ProfileWriterTest, RefusesWhatWouldNotReadBack) {
    const auto file = folder_ / "test.ini";
    test::WriteFile(file, "[s]\nk=v\n");
    struct Case {
        std::u16string section, key, value;
    };
    for (const Case& c :
         {Case{u"s", u"k", u"two\nlines"}, Case{u"s", u"k", u"cr\r"}, Case{u"s", u"k\n[x]", u"v"},
          Case{u"s\nt", u"k", u"v"}, Case{u"a]b", u"k", u"v"}, Case{u"s", u"a=b", u"v"},
          Case{u"s", u"  ", u"v"}, Case{u"s", u"[k]", u"v"}}) {
        EXPECT_FALSE(WriteProfileString(file, c.section, c.key, c.value));
    }
    EXPECT_EQ(test::ReadFile(file), "[s]\nk=v\n");
}

TEST_F(ProfileWriterTest, FailsInAMissingFolder) {
    EXPECT_FALSE(WriteProfileString(folder_ / "absent" / "test.ini", u"s", u"k", u"v"));
}

}  // namespace
}  // namespace wl

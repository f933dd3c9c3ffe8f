// Where the settings file is, and the language choice it stores.

#include <gtest/gtest.h>

#include "locale/profile.h"
#include "locale/settings_file.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

struct PathCase {
    const char* name;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

class SettingsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, FollowsTheEnvironment) {
    const PathCase& c = GetParam();
    EXPECT_EQ(SettingsFilePath(c.xdgConfigHome, c.home), std::filesystem::path(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsPathTest,
    ::testing::Values(
        PathCase{"XdgConfigHome", "/cfg", "/home/u", "/cfg/wayload.ini"},
        PathCase{"NoXdgConfigHome", nullptr, "/home/u", "/home/u/.config/wayload.ini"},
        PathCase{"EmptyXdgConfigHome", "", "/home/u", "/home/u/.config/wayload.ini"},
        PathCase{"RelativeXdgConfigHome", "cfg", "/home/u", "/home/u/.config/wayload.ini"},
        PathCase{"XdgConfigHomeWithoutHome", "/cfg", nullptr, "/cfg/wayload.ini"},
        PathCase{"NeitherFolder", nullptr, nullptr, ""},
        PathCase{"RelativeHome", nullptr, "home", ""}),
    [](const auto& info) { return info.param.name; });

TEST(SettingsFilePathTest, RealEnvironmentGivesAnIniFile) {
    EXPECT_EQ(SettingsFilePath().filename(), "wayload.ini");
}

class LanguageSettingTest : public ::testing::Test {
  protected:
    test::TempFolder folder_;
    std::filesystem::path settings_ = SettingsFilePath((folder_ / "cfg").c_str(), nullptr);
};

TEST_F(LanguageSettingTest, DefaultsToEnglish) {
    EXPECT_EQ(GetLanguageFileName(settings_), u"eng.lng");  // no file
    for (const char* content : {"", "[Other]\nLanguage=deu.lng\n", "[Settings]\n",
                                "[Settings]\nLanguage=\n", "[Settings]\nLanguage=  \n"}) {
        test::WriteFile(settings_, content);
        EXPECT_EQ(GetLanguageFileName(settings_), u"eng.lng") << content;
    }
    EXPECT_EQ(GetLanguageFileName({}), u"eng.lng");
}

TEST_F(LanguageSettingTest, SavingCreatesFolderFileAndSection) {
    ASSERT_TRUE(SaveLanguageSetting(settings_, u"deu.lng"));
    EXPECT_EQ(test::ReadFile(settings_), "[Settings]\nLanguage=deu.lng\n");
    EXPECT_EQ(GetLanguageFileName(settings_), u"deu.lng");
}

TEST_F(LanguageSettingTest, SavingReplacesTheChoiceAndKeepsTheRest) {
    test::WriteFile(settings_, "# mine\r\n[settings]\r\nlanguage=eng.lng\r\nport=/dev/ttyUSB0\r\n");
    ASSERT_TRUE(SaveLanguageSetting(settings_, u"fin.lng"));
    EXPECT_EQ(test::ReadFile(settings_),
              "# mine\r\n[settings]\r\nLanguage=fin.lng\r\nport=/dev/ttyUSB0\r\n");
    EXPECT_EQ(GetLanguageFileName(settings_), u"fin.lng");
}

TEST_F(LanguageSettingTest, WithoutAPathNothingIsSaved) {
    EXPECT_FALSE(SaveLanguageSetting({}, u"deu.lng"));
}

}  // namespace
}  // namespace wl

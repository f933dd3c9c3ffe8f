// The program folder and where language files are looked up.

#include <gtest/gtest.h>

#include "locale/program_folder.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "locale_test"));
}

TEST(ProgramFolderTest, InstalledDataFolderIsBelowThePrefix) {
    const std::filesystem::path folder = GetInstalledDataFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_EQ(folder.filename(), "wayload");
    EXPECT_EQ(folder.parent_path().filename(), "share");
}

class LanguageFolderTest : public ::testing::Test {
  protected:
    test::TempFolder root_;
    std::filesystem::path program_ = root_ / "bin";
    std::filesystem::path installed_ = root_ / "share" / "wayload";
};

// The program folder first, then the data folder beside it, then the one of the prefix the
// program was built for: an install moved to another prefix still finds its languages.
TEST_F(LanguageFolderTest, SearchesTheProgramFolderThenBesideItThenTheBuiltPrefix) {
    struct Case {
        const char* name;
        std::vector<std::filesystem::path> files;
        std::filesystem::path expected;  // below the root
    };
    for (const Case& c : {
             Case{"all three",
                  {"bin/eng.lng", "share/wayload/deu.lng", "usr/share/wayload/x.lng"},
                  "bin"},
             Case{"program folder only", {"bin/eng.lng"}, "bin"},
             Case{"beside the program",
                  {"bin/wayload", "share/wayload/deu.lng", "usr/share/wayload/x.lng"},
                  "share/wayload"},
             Case{"built prefix only",
                  {"bin/wayload", "usr/share/wayload/deu.lng"},
                  "usr/share/wayload"},
             Case{"mask ignores case", {"bin/ENG.LNG", "share/wayload/deu.lng"}, "bin"},
             Case{"neither", {"bin/wayload", "share/wayload/readme"}, "bin"},
         }) {
        test::TempFolder root;
        for (const auto& file : c.files) {
            test::WriteFile(root / file, "[Language]\nThisLang=x\n");
        }
        EXPECT_EQ(FindLanguageFolder(root / "bin", root / "usr" / "share" / "wayload"),
                  root / c.expected)
            << c.name;
    }
}

TEST_F(LanguageFolderTest, AFolderNamedLikeALanguageFileDoesNotCount) {
    std::filesystem::create_directories(program_ / "eng.lng");
    test::WriteFile(installed_ / "deu.lng", "");
    EXPECT_EQ(FindLanguageFolder(program_, installed_), installed_);
}

}  // namespace
}  // namespace wl

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

TEST_F(LanguageFolderTest, SearchesTheProgramFolderFirst) {
    struct Case {
        const char* name;
        std::vector<std::filesystem::path> files;
        bool installedExpected;
    };
    for (const Case& c : {
             Case{"both", {"bin/eng.lng", "share/wayload/deu.lng"}, false},
             Case{"program folder only", {"bin/eng.lng"}, false},
             Case{"installed only", {"bin/wayload", "share/wayload/deu.lng"}, true},
             Case{"mask ignores case", {"bin/ENG.LNG", "share/wayload/deu.lng"}, false},
             Case{"neither", {"bin/wayload", "share/wayload/readme"}, false},
         }) {
        test::TempFolder root;
        for (const auto& file : c.files) {
            test::WriteFile(root / file, "[Language]\nThisLang=x\n");
        }
        const auto program = root / "bin";
        const auto installed = root / "share" / "wayload";
        EXPECT_EQ(FindLanguageFolder(program, installed), c.installedExpected ? installed : program)
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

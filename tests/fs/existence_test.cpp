// PathExists and FileExists.

#include <sys/stat.h>

#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;

class ExistenceTest : public fs_testing::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        WriteFile(root() / "settings.ini", "[x]");
        fs::create_directory(root() / "sub");
        fs::create_directory(root() / "folder.ini.d");
        fs::create_symlink(root() / "settings.ini", root() / "link-to-file");
        fs::create_symlink(root() / "sub", root() / "link-to-folder");
        fs::create_symlink(root() / "nowhere", root() / "dangling");
        ASSERT_EQ(::mkfifo((root() / "pipe").c_str(), 0600), 0);
    }
};

TEST_F(ExistenceTest, PathExistsForAnythingAtThePath) {
    struct Case {
        const char* name;
        bool exists;
    } cases[] = {{"settings.ini", true}, {"sub", true},      {"dangling", true},
                 {"pipe", true},         {"missing", false}, {"missing/x", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(PathExists(root() / c.name), c.exists) << c.name;
    }
    EXPECT_FALSE(PathExists(""));
}

TEST_F(ExistenceTest, FileExistsForNonFoldersWithOrWithoutWildcards) {
    struct Case {
        const char* name;
        bool exists;
    } cases[] = {
        {"settings.ini", true},    {"sub", false},      {"missing", false}, {"link-to-file", true},
        {"link-to-folder", false}, {"dangling", false}, {"pipe", true},     {"settings.i?i", true},
        {"SETTINGS.*", true},      {"*.none", false},   {"su?", false},     {"folder.ini.*", false},
        {"nope/*.ini", false},     {"sett*ini", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(root() / c.name), c.exists) << c.name;
    }
    EXPECT_FALSE(FileExists(""));
}

TEST_F(ExistenceTest, WildcardWithoutFolderLooksInTheCurrentFolder) {
    fs_testing::CurrentFolderScope inside(root() / "sub");
    EXPECT_FALSE(FileExists("*.ini"));
    WriteFile("local.ini", "");
    EXPECT_TRUE(FileExists("*.ini"));
    EXPECT_TRUE(FileExists("./local.ini"));
}

}  // namespace
}  // namespace wl

// CreateFolder, CreateFolderPath and CreateEmptyFile: open access, existing entries, odd paths.

#include <sys/stat.h>

#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;

// The usual umask would narrow 0777 to 0755 and 0666 to 0644; created entries must stay open.
class CreationTest : public fs_testing::ScratchFolder {
  protected:
    fs_testing::UmaskScope umask_{022};
};

TEST_F(CreationTest, CreateFolderMakesAnOpenFolderOnce) {
    const fs::path folder = root() / "new";
    EXPECT_TRUE(CreateFolder(folder));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(ModeOf(folder), 0777u);
    EXPECT_FALSE(CreateFolder(folder));
    EXPECT_FALSE(CreateFolder(root() / "missing" / "new"));
    EXPECT_FALSE(CreateFolder(""));
}

TEST_F(CreationTest, CreateFolderPathMakesEveryMissingLevelOpen) {
    const fs::path deepest = root() / "one" / "two" / "three";
    EXPECT_TRUE(CreateFolderPath(deepest));
    for (const fs::path& level : {root() / "one", root() / "one" / "two", deepest}) {
        EXPECT_TRUE(fs::is_directory(level)) << level;
        EXPECT_EQ(ModeOf(level), 0777u) << level;
    }
}

TEST_F(CreationTest, CreateFolderPathLeavesAnExistingPathAsItIs) {
    const fs::path folder = root() / "kept";
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0750);
    WriteFile(folder / "inside.txt", "content");
    EXPECT_FALSE(CreateFolder(folder));
    EXPECT_TRUE(CreateFolderPath(folder));
    EXPECT_EQ(ModeOf(folder), 0750u);
    EXPECT_EQ(ReadFile(folder / "inside.txt"), "content");
}

TEST_F(CreationTest, CreateFolderPathAcceptsOddlyWrittenPaths) {
    const std::string base = root().native();
    struct Case {
        std::string path;
        fs::path made;
    } cases[] = {
        {base + "/trailing///", root() / "trailing"},
        {base + "//doubled//separators", root() / "doubled" / "separators"},
        {base + "/up/../beside", root() / "beside"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(CreateFolderPath(c.path)) << c.path;
        EXPECT_TRUE(fs::is_directory(c.made)) << c.path;
    }
}

TEST_F(CreationTest, CreateFolderPathRefusesRootsAndFilesInTheWay) {
    WriteFile(root() / "file", "x");
    const std::string base = root().native();
    for (const std::string& path : {std::string(), std::string("/"), std::string("///"),
                                    base + "/file", base + "/file/below", base + "/file/"}) {
        EXPECT_FALSE(CreateFolderPath(path)) << "'" << path << "'";
    }
    EXPECT_EQ(ReadFile(root() / "file"), "x");
}

TEST_F(CreationTest, RelativePathsStartAtTheCurrentFolder) {
    fs_testing::CurrentFolderScope inside(root());
    EXPECT_TRUE(CreateFolder("./plain"));
    EXPECT_TRUE(CreateFolderPath("./nested/level"));
    EXPECT_TRUE(CreateFolderPath("bare/level"));
    EXPECT_TRUE(CreateEmptyFile("./empty.txt"));
    EXPECT_TRUE(fs::is_directory(root() / "plain"));
    EXPECT_TRUE(fs::is_directory(root() / "nested" / "level"));
    EXPECT_TRUE(fs::is_directory(root() / "bare" / "level"));
    EXPECT_TRUE(fs::is_regular_file(root() / "empty.txt"));
}

TEST_F(CreationTest, CreateEmptyFileMakesAnOpenEmptyFile) {
    const fs::path file = root() / "empty.bdl";
    EXPECT_TRUE(CreateEmptyFile(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(ModeOf(file), 0666u);
}

TEST_F(CreationTest, CreateEmptyFileLeavesAnExistingFileUntouched) {
    const fs::path file = root() / "full.bdl";
    WriteFile(file, "measured data");
    ::chmod(file.c_str(), 0600);
    EXPECT_TRUE(CreateEmptyFile(file));
    EXPECT_EQ(ReadFile(file), "measured data");
    EXPECT_EQ(ModeOf(file), 0600u);
}

TEST_F(CreationTest, CreateEmptyFileRefusesFoldersAndDanglingLinks) {
    fs::create_directory(root() / "folder");
    EXPECT_FALSE(CreateEmptyFile(root() / "folder"));
    // Creating through the link would put a file wherever the link points.
    fs::create_symlink(root() / "target", root() / "dangling");
    EXPECT_FALSE(CreateEmptyFile(root() / "dangling"));
    EXPECT_FALSE(fs::exists(root() / "target"));
    EXPECT_FALSE(CreateEmptyFile(root() / "missing" / "file"));
}

TEST_F(CreationTest, CreationFailsInAReadOnlyFolder) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "root writes into every folder";
    }
    const fs::path closed = root() / "closed";
    fs::create_directory(closed);
    ::chmod(closed.c_str(), 0500);
    EXPECT_FALSE(CreateFolder(closed / "new"));
    EXPECT_FALSE(CreateFolderPath(closed / "new" / "below"));
    EXPECT_FALSE(CreateEmptyFile(closed / "new.txt"));
}

}  // namespace
}  // namespace wl

// ListFiles and ListSubfolders.

#include <gmock/gmock.h>
#include <sys/stat.h>

#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class ListingTest : public fs_testing::ScratchFolder {
  protected:
    // A language folder: two language files, a folder and a link that look like one, a pipe.
    void SetUp() override {
        ScratchFolder::SetUp();
        WriteFile(root() / "english.lng", "");
        WriteFile(root() / "German.LNG", "");
        WriteFile(root() / "notes.txt", "");
        fs::create_directory(root() / "folder.lng");
        fs::create_directory(root() / "sub");
        fs::create_symlink(root() / "notes.txt", root() / "linked.lng");
        fs::create_symlink(root() / "sub", root() / "linked-sub");
        ASSERT_EQ(::mkfifo((root() / "pipe.lng").c_str(), 0600), 0);
    }

    std::vector<fs::path> names_{"stale"};
};

TEST_F(ListingTest, ListFilesNamesMatchingFilesOnly) {
    EXPECT_TRUE(ListFiles(root(), "*.lng", names_));
    EXPECT_THAT(names_, UnorderedElementsAre("english.lng", "German.LNG", "linked.lng"));
}

TEST_F(ListingTest, ListFilesAnswersWhetherAnyEntryMatched) {
    struct Case {
        const char* mask;
        bool result;
        size_t files;
    } cases[] = {
        {"*.none", false, 0},   // nothing matches
        {"folder.*", true, 0},  // only a folder matches: true, yet no name
        {"*.*", true, 4},       // every name, also "notes.txt" and the links
        {"*", true, 4},
    };
    for (const Case& c : cases) {
        names_ = {"stale"};
        EXPECT_EQ(ListFiles(root(), c.mask, names_), c.result) << c.mask;
        EXPECT_EQ(names_.size(), c.files) << c.mask;
    }
}

TEST_F(ListingTest, ListFilesOfAnEmptyOrMissingFolder) {
    // "." and ".." take part in the matching, as in a Windows enumeration.
    EXPECT_TRUE(ListFiles(root() / "sub", "*.*", names_));
    EXPECT_THAT(names_, IsEmpty());
    EXPECT_FALSE(ListFiles(root() / "sub", "*.lng", names_));
    names_ = {"stale"};
    EXPECT_FALSE(ListFiles(root() / "missing", "*.*", names_));
    EXPECT_THAT(names_, IsEmpty());
}

TEST_F(ListingTest, ListSubfoldersNamesFoldersWithoutDotEntries) {
    EXPECT_TRUE(ListSubfolders(root(), names_));
    EXPECT_THAT(names_, UnorderedElementsAre("folder.lng", "sub", "linked-sub"));
}

TEST_F(ListingTest, ListSubfoldersOfAnEmptyOrMissingFolder) {
    EXPECT_TRUE(ListSubfolders(root() / "sub", names_));
    EXPECT_THAT(names_, IsEmpty());
    names_ = {"stale"};
    EXPECT_FALSE(ListSubfolders(root() / "missing", names_));
    EXPECT_THAT(names_, IsEmpty());
    EXPECT_FALSE(ListSubfolders(root() / "notes.txt", names_));
}

TEST_F(ListingTest, UnreadableFolderCannotBeListed) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "root reads every folder";
    }
    ASSERT_EQ(::chmod(root().c_str(), 0300), 0);
    EXPECT_FALSE(ListSubfolders(root(), names_));
    EXPECT_FALSE(ListFiles(root(), "*.*", names_));
}

}  // namespace
}  // namespace wl

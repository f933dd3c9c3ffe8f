// DeleteTree: files, trees, links out of the tree, long paths.

#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;

class TreeDeletionTest : public fs_testing::ScratchFolder {};

TEST_F(TreeDeletionTest, DeletesAFileOrAWholeTree) {
    WriteFile(root() / "single.txt", "x");
    fs::create_directories(root() / "tree" / "a" / "b");
    WriteFile(root() / "tree" / "top.txt", "x");
    WriteFile(root() / "tree" / "a" / "b" / "deep.txt", "x");
    fs::create_directory(root() / "empty");
    for (const char* name : {"single.txt", "tree", "empty"}) {
        EXPECT_TRUE(DeleteTree(root() / name)) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(root() / name))) << name;
    }
}

TEST_F(TreeDeletionTest, MissingPathIsAFailure) {
    EXPECT_FALSE(DeleteTree(root() / "missing"));
    EXPECT_FALSE(DeleteTree(""));
}

TEST_F(TreeDeletionTest, LinksAreRemovedWithoutTouchingWhatTheyPointTo) {
    const fs::path outside = root() / "outside";
    fs::create_directory(outside);
    WriteFile(outside / "keep.txt", "precious");
    const fs::path tree = root() / "tree";
    fs::create_directory(tree);
    fs::create_directory_symlink(outside, tree / "to-outside");
    fs::create_symlink(outside / "keep.txt", tree / "to-file");
    fs::create_directory_symlink(outside, root() / "link-itself");

    EXPECT_TRUE(DeleteTree(tree));
    EXPECT_TRUE(DeleteTree(root() / "link-itself"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root() / "link-itself")));
    EXPECT_EQ(ReadFile(outside / "keep.txt"), "precious");
}

TEST_F(TreeDeletionTest, LongPathsAreDeleted) {
    const fs::path tree = root() / std::string(200, 'a');
    const fs::path deepest = tree / std::string(200, 'b') / std::string(200, 'c');
    fs::create_directories(deepest);
    WriteFile(deepest / "file", "x");
    EXPECT_TRUE(DeleteTree(deepest / "file"));
    EXPECT_TRUE(DeleteTree(tree));
    EXPECT_FALSE(fs::exists(tree));
}

}  // namespace
}  // namespace wl

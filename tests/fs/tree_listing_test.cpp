// ListTree: order, what is listed and what not, depth and size.

#include <gmock/gmock.h>
#include <pthread.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;

auto Entry(const fs::path& path, int32_t folder) {
    return ::testing::AllOf(Field(&TreeEntry::path, path), Field(&TreeEntry::folder, folder));
}

// Checks that `entries` from `position` on hold `folder`'s listing in the promised order: all of
// its files, then each subfolder directly followed by the subfolder's own listing. Within one
// folder the order is the directory's, so only this shape is checked, not the names' order.
void ExpectListingShape(const std::vector<TreeEntry>& entries, size_t& position,
                        const fs::path& folder) {
    while (position < entries.size() && entries[position].folder == 0 &&
           entries[position].path.parent_path() == folder) {
        ++position;
    }
    while (position < entries.size() && entries[position].folder == 1 &&
           entries[position].path.parent_path() == folder) {
        const fs::path subfolder = entries[position++].path;
        ExpectListingShape(entries, position, subfolder);
    }
}

void ExpectTreeShape(const std::vector<TreeEntry>& entries, const fs::path& top) {
    size_t position = 0;
    ExpectListingShape(entries, position, top);
    EXPECT_EQ(position, entries.size()) << "out of order at " << entries[position].path;
}

class TreeListingTest : public fs_testing::ScratchFolder {
  protected:
    std::vector<TreeEntry> entries_;
};

TEST_F(TreeListingTest, FilesFirstThenEachSubfolderWithItsListing) {
    WriteFile(root() / "a.txt", "a");
    fs::create_directory(root() / "s");
    WriteFile(root() / "s" / "b.txt", "b");
    EXPECT_TRUE(ListTree(root(), entries_));
    EXPECT_THAT(entries_, ElementsAre(Entry(root() / "a.txt", 0), Entry(root() / "s", 1),
                                      Entry(root() / "s" / "b.txt", 0)));
}

TEST_F(TreeListingTest, WiderTreeKeepsTheOrderInEveryFolder) {
    for (const char* folder : {"r1", "r1/x", "r1/x/deep", "r1/y", "r2", "r3", "r3/empty"}) {
        fs::create_directory(root() / folder);
    }
    for (const char* file : {"top1", "top2", "r1/f1", "r1/f2", "r1/x/f", "r1/x/deep/f", "r1/y/f",
                             "r2/f1", "r2/f2", "r2/f3"}) {
        WriteFile(root() / file, "");
    }
    EXPECT_TRUE(ListTree(root(), entries_));
    EXPECT_EQ(entries_.size(), 17u);
    ExpectTreeShape(entries_, root());
}

TEST_F(TreeListingTest, AppendsToWhatTheListAlreadyHolds) {
    WriteFile(root() / "a.txt", "");
    entries_.push_back({"earlier", 1});
    EXPECT_TRUE(ListTree(root(), entries_));
    EXPECT_THAT(entries_, ElementsAre(Entry("earlier", 1), Entry(root() / "a.txt", 0)));
}

TEST_F(TreeListingTest, EmptyFolderIsListedWithNoEntries) {
    EXPECT_TRUE(ListTree(root(), entries_));
    EXPECT_THAT(entries_, IsEmpty());
}

TEST_F(TreeListingTest, MissingFolderIsAFailure) {
    ListingFailure failure;
    EXPECT_FALSE(ListTree(root() / "missing", entries_, &failure));
    EXPECT_THAT(entries_, IsEmpty());
    EXPECT_EQ(failure.folder, root() / "missing");
    EXPECT_EQ(failure.error, ENOENT);
}

TEST_F(TreeListingTest, LinksAndSpecialFilesAreListedForWhatTheyAreButNeverDescended) {
    const fs::path outside = root() / "outside";
    const fs::path tree = root() / "tree";
    fs::create_directory(outside);
    WriteFile(outside / "secret.txt", "");
    fs::create_directory(tree);
    WriteFile(tree / "data.txt", "");
    fs::create_directory_symlink(outside, tree / "to-outside");
    fs::create_symlink(tree / "data.txt", tree / "to-file");
    fs::create_directory_symlink(tree, tree / "loop");
    fs::create_symlink(tree / "missing", tree / "dangling");
    // A FIFO that nobody writes to: opening it would hang the listing.
    ASSERT_EQ(::mkfifo((tree / "pipe").c_str(), 0600), 0);

    EXPECT_TRUE(ListTree(tree, entries_));
    const auto kind = [](const fs::path& path, EntryKind k) {
        return ::testing::AllOf(Field(&TreeEntry::path, path), Field(&TreeEntry::folder, 0),
                                Field(&TreeEntry::kind, k));
    };
    EXPECT_THAT(entries_,
                ::testing::UnorderedElementsAre(kind(tree / "data.txt", EntryKind::kFile),
                                                kind(tree / "to-file", EntryKind::kFile),
                                                kind(tree / "to-outside", EntryKind::kLinkToFolder),
                                                kind(tree / "loop", EntryKind::kLinkToFolder),
                                                kind(tree / "dangling", EntryKind::kBrokenLink),
                                                kind(tree / "pipe", EntryKind::kFifo)));
}

// Runs `work` on a thread whose stack is far too small for one frame per level of a deep tree.
template <typename Work>
void RunOnSmallStack(Work& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(::pthread_attr_init(&attributes), 0);
    ASSERT_EQ(::pthread_attr_setstacksize(&attributes, 64 * 1024), 0);
    pthread_t thread;
    const auto run = [](void* argument) -> void* {
        (*static_cast<Work*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(::pthread_create(&thread, &attributes, run, &work), 0);
    ::pthread_join(thread, nullptr);
    ::pthread_attr_destroy(&attributes);
}

TEST_F(TreeListingTest, VeryDeepTreeIsListedInOrderWithoutDeepRecursion) {
    constexpr size_t kLevels = 500;
    fs::path folder = root();
    std::vector<fs::path> expected;
    for (size_t i = 0; i < kLevels; ++i) {
        folder /= "d";
        expected.push_back(folder);
    }
    ASSERT_TRUE(CreateFolderPath(folder));
    WriteFile(folder / "f", "");
    expected.push_back(folder / "f");

    bool listed = false;
    auto list = [&] { listed = ListTree(root(), entries_); };
    RunOnSmallStack(list);
    EXPECT_TRUE(listed);
    ASSERT_EQ(entries_.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(entries_[i].path, expected[i]) << i;
        EXPECT_EQ(entries_[i].folder, i + 1 < expected.size() ? 1 : 0) << i;
    }
}

TEST_F(TreeListingTest, ManyEntriesAreAllListedOnce) {
    constexpr int kFolders = 10;
    constexpr int kFilesPerFolder = 300;
    for (int f = 0; f < kFolders; ++f) {
        const fs::path folder = root() / ("folder" + std::to_string(f));
        fs::create_directory(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            WriteFile(folder / ("file" + std::to_string(i)), "");
        }
    }
    EXPECT_TRUE(ListTree(root(), entries_));
    EXPECT_EQ(entries_.size(), size_t{kFolders} * (kFilesPerFolder + 1));
    ExpectTreeShape(entries_, root());
}

TEST_F(TreeListingTest, UnreadableSubfolderIsReportedAndTheRestStillListed) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "root reads every folder";
    }
    fs::create_directory(root() / "closed");
    WriteFile(root() / "closed" / "hidden.txt", "");
    fs::create_directory(root() / "open");
    WriteFile(root() / "open" / "seen.txt", "");
    ASSERT_EQ(::chmod((root() / "closed").c_str(), 0300), 0);

    ListingFailure failure;
    EXPECT_FALSE(ListTree(root(), entries_, &failure));
    // The folder that could not be listed is named, not the top of the tree.
    EXPECT_EQ(failure.folder, root() / "closed");
    EXPECT_EQ(failure.error, EACCES);
    EXPECT_THAT(entries_, ::testing::UnorderedElementsAre(Entry(root() / "closed", 1),
                                                          Entry(root() / "open", 1),
                                                          Entry(root() / "open" / "seen.txt", 0)));
}

}  // namespace
}  // namespace wl

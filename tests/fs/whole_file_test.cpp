// ReadWholeFile and WriteWholeFile: contents, limits and the exact error texts.

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <string>

#include "common/utf16.h"
#include "fs/file_ops.h"
#include "tests/fs/scratch_folder.h"
#include "tests/support/file_size_limit.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;

// The error texts name the path and a Linux errno value.
std::u16string Text(const std::string& before, const fs::path& path, const std::string& after) {
    return Utf8ToUtf16(before + path.native() + after);
}

class WholeFileTest : public fs_testing::ScratchFolder {
  protected:
    bool Read(const fs::path& path, int32_t largestAccepted = 100'000'000) {
        return ReadWholeFile(path, data_, length_, error_, largestAccepted);
    }

    bool Write(const fs::path& path, const std::string& content) {
        return WriteWholeFile(path, content.data(), static_cast<uint32_t>(content.size()), error_);
    }

    void ExpectNothingRead() {
        EXPECT_THAT(data_, IsEmpty());
        EXPECT_EQ(length_, 0u);
    }

    // Left over from an earlier call: a failure must not hand it back, a success must clear it.
    std::vector<uint8_t> data_{1, 2, 3};
    uint32_t length_ = 3;
    std::u16string error_ = u"earlier error";
};

TEST_F(WholeFileTest, WrittenDataReadsBackWhole) {
    const fs::path file = root() / "route.bdl";
    std::string content(70'000, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7);
    }
    ASSERT_TRUE(Write(file, content)) << Utf16ToUtf8(error_);
    EXPECT_THAT(error_, IsEmpty());
    error_ = u"earlier error";
    ASSERT_TRUE(Read(file)) << Utf16ToUtf8(error_);
    EXPECT_THAT(error_, IsEmpty());
    EXPECT_EQ(length_, content.size());
    EXPECT_EQ(std::string(data_.begin(), data_.end()), content);
}

TEST_F(WholeFileTest, ReadAcceptsExactlyTheLargestLength) {
    const fs::path file = root() / "ten.bin";
    WriteFile(file, "0123456789");
    EXPECT_TRUE(Read(file, 10));
    EXPECT_EQ(length_, 10u);
    EXPECT_FALSE(Read(file, 9));
    EXPECT_EQ(error_, Text("File ", file, " too big (9, 10)"));
    ExpectNothingRead();
}

TEST_F(WholeFileTest, ReadFailuresSayWhy) {
    fs::create_directory(root() / "folder");
    WriteFile(root() / "empty", "");
    // A pipe nobody writes to: reading it must fail at once, not wait.
    ASSERT_EQ(::mkfifo((root() / "pipe").c_str(), 0600), 0);
    struct Case {
        const char* name;
        const char* before;
        const char* after;
    } cases[] = {
        {"missing", "Cant open file ", " - 2 (No such file or directory)"},
        {"folder", "Err reading file ", " - 21 (Is a directory)"},
        {"empty", "Err reading file ",
         " - 61 (No data available)"},  // empty files cannot be read this way
        {"pipe", "Err reading file ", " - 61 (No data available)"},
    };
    for (const Case& c : cases) {
        data_ = {1, 2, 3};
        length_ = 3;
        EXPECT_FALSE(Read(root() / c.name)) << c.name;
        EXPECT_EQ(error_, Text(c.before, root() / c.name, c.after)) << c.name;
        ExpectNothingRead();
    }
}

TEST_F(WholeFileTest, FileShorterThanItsSizeIsAReadError) {
    // Kernel attribute files claim a page and hold a few bytes: the only file at hand that is
    // shorter than its reported size.
    for (const char* candidate : {"/sys/kernel/address_bits", "/sys/power/state",
                                  "/sys/kernel/mm/transparent_hugepage/enabled"}) {
        struct stat info {};
        if (::stat(candidate, &info) != 0 || info.st_size <= 0 ||
            ReadFile(candidate).size() >= static_cast<size_t>(info.st_size)) {
            continue;
        }
        EXPECT_FALSE(Read(candidate));
        EXPECT_EQ(error_, Text("Err reading file ", candidate, " - 61 (No data available)"));
        ExpectNothingRead();
        return;
    }
    GTEST_SKIP() << "no file shorter than its reported size found";
}

TEST_F(WholeFileTest, WriteReplacesWhateverFileIsThere) {
    const fs::path file = root() / "data.bdl";
    WriteFile(file, "a much longer earlier content");
    ::chmod(file.c_str(), 0600);
    fs_testing::UmaskScope umask(022);
    ASSERT_TRUE(Write(file, "new"));
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(ModeOf(file), 0666u);
}

TEST_F(WholeFileTest, WriteReplacesALinkNotItsTarget) {
    const fs::path target = root() / "target.txt";
    WriteFile(target, "keep");
    fs::create_symlink(target, root() / "link");
    ASSERT_TRUE(Write(root() / "link", "new"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root() / "link")));
    EXPECT_EQ(ReadFile(root() / "link"), "new");
    EXPECT_EQ(ReadFile(target), "keep");
}

TEST_F(WholeFileTest, WriteFailuresSayWhy) {
    fs::create_directory(root() / "folder");
    struct Case {
        fs::path path;
        const char* before;
        const char* after;
    } cases[] = {
        {root() / "folder", "Cant create file ", " - 17 (File exists)"},
        {root() / "missing" / "file", "Cant create file ", " - 2 (No such file or directory)"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Write(c.path, "x")) << c.path;
        EXPECT_EQ(error_, Text(c.before, c.path, c.after)) << c.path;
    }
    EXPECT_TRUE(fs::is_directory(root() / "folder"));
}

TEST_F(WholeFileTest, NothingToWriteMakesAnEmptyFileThatReadingStillRefuses) {
    WriteFile(root() / "earlier.bdl", "earlier content");
    fs_testing::UmaskScope umask(022);
    for (const char* name : {"new.bdl", "earlier.bdl"}) {
        const fs::path file = root() / name;
        error_ = u"earlier error";
        EXPECT_TRUE(WriteWholeFile(file, nullptr, 0, error_)) << name;
        EXPECT_THAT(error_, IsEmpty()) << name;
        EXPECT_TRUE(fs::is_regular_file(file)) << name;
        EXPECT_EQ(fs::file_size(file), 0u) << name;
        EXPECT_EQ(ModeOf(file), 0666u) << name;
        // An empty block is stored, but never read back to be sent.
        EXPECT_FALSE(Read(file)) << name;
        EXPECT_EQ(error_, Text("Err reading file ", file, " - 61 (No data available)")) << name;
    }
}

TEST_F(WholeFileTest, ShortWriteIsAWriteError) {
    // A file-size limit stands in for a full disk: the write stops part of the way.
    const fs::path file = root() / "big.bdl";
    const std::string content(8192, 'x');
    bool written;
    {
        test::FileSizeLimit limit(4096);
        written = Write(file, content);
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(error_, Text("Cant write data into file ", file, " - 27 (File too large)"));
}

TEST_F(WholeFileTest, FileThatCannotBeRemovedOrOpened) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "root removes and opens every file";
    }
    const fs::path closed = root() / "closed";
    fs::create_directory(closed);
    WriteFile(closed / "old.bdl", "old");
    ::chmod(closed.c_str(), 0500);
    EXPECT_FALSE(Write(closed / "old.bdl", "new"));
    EXPECT_EQ(error_, Text("Cant remove file ", closed / "old.bdl", " - 13 (Permission denied)"));
    EXPECT_EQ(ReadFile(closed / "old.bdl"), "old");

    WriteFile(root() / "secret.bdl", "x");
    ::chmod((root() / "secret.bdl").c_str(), 0);
    EXPECT_FALSE(Read(root() / "secret.bdl"));
    EXPECT_EQ(error_, Text("Cant open file ", root() / "secret.bdl", " - 13 (Permission denied)"));
}

}  // namespace
}  // namespace wl

// GetTempFolderPath and the check of the private folder behind it.

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "fs/file_ops.h"
#include "fs/private_folder.h"
#include "tests/fs/scratch_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;

class TempFolderTest : public fs_testing::ScratchFolder {};

TEST_F(TempFolderTest, TmpdirIsTakenAsGiven) {
    fs_testing::EnvironmentScope tmpdir("TMPDIR", "/some/where/");
    EXPECT_EQ(GetTempFolderPath(), fs::path("/some/where/"));
}

TEST_F(TempFolderTest, WithoutTmpdirThePrivateFolderUnderTmp) {
    const fs::path expected = "/tmp/wayload-" + std::to_string(::geteuid());
    for (const char* tmpdir : {static_cast<const char*>(nullptr), ""}) {
        fs_testing::EnvironmentScope environment("TMPDIR", tmpdir);
        EXPECT_EQ(GetTempFolderPath(), expected);
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(expected)));
        EXPECT_EQ(ModeOf(expected) & 022, 0u);
    }
}

TEST_F(TempFolderTest, NewPrivateFolderIsUsableByItsOwnerAlone) {
    // Even a umask that takes everything must not leave a folder its owner cannot enter.
    fs_testing::UmaskScope umask(0777);
    const fs::path folder = root() / "private";
    EXPECT_TRUE(internal::MakePrivateFolder(folder, ::geteuid()));
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(TempFolderTest, ExistingFolderIsCheckedButNeverChanged) {
    const uid_t me = ::geteuid();
    const fs::path good = root() / "good";
    fs::create_directory(good);
    ::chmod(good.c_str(), 0755);
    const fs::path writable = root() / "writable";
    fs::create_directory(writable);
    ::chmod(writable.c_str(), 0770);
    WriteFile(root() / "file", "");
    fs::create_directory_symlink(good, root() / "link");

    struct Case {
        fs::path folder;
        uid_t owner;
        bool accepted;
    } cases[] = {
        {good, me, true},
        {good, me + 1, false},  // someone else's folder
        {writable, me, false},  // others could put files into it
        {root() / "link", me, false},
        {root() / "file", me, false},
        {root() / "missing" / "below", me, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(internal::MakePrivateFolder(c.folder, c.owner), c.accepted) << c.folder;
    }
    EXPECT_EQ(ModeOf(good), 0755u);
    EXPECT_EQ(ModeOf(writable), 0770u);
}

}  // namespace
}  // namespace wl

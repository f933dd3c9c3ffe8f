#include "app/mount_table.h"

#include <gtest/gtest.h>

#include "tests/app/fake_mounts.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

struct EscapeCase {
    const char* field;
    const char* decoded;
};

TEST(MountEscapes, DecodesTheKernelsOctalEscapes) {
    const EscapeCase cases[] = {
        {"/media/plain", "/media/plain"},
        {"/media/TKB\\0400417", "/media/TKB 0417"},
        {"/a\\011b", "/a\tb"},
        {"/a\\012b", "/a\nb"},
        {"/back\\134slash", "/back\\slash"},
        {"/trailing\\04", "/trailing\\04"},
        {"/not\\089octal", "/not\\089octal"},
        {"\\040\\040", "  "},
    };
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(DecodeMountEscapes(c.field), c.decoded) << c.field;
    }
}

TEST(MountTable, ListsMountPointsAndSourcesSorted) {
    const std::string text = test::MountInfoLine(30, "/media/zeta", "/dev/sdc1") +
                             test::MountInfoLine(31, "/", "/dev/vda1") +
                             test::MountInfoLine(32, "/media/alpha\\040one", "/dev/sdb1") +
                             test::MountInfoLine(33, "/proc", "proc", "proc");
    const std::vector<MountEntry> mounts = ParseMountTable(text);
    ASSERT_EQ(mounts.size(), 4u);
    const std::pair<const char*, const char*> expected[] = {
        {"/", "/dev/vda1"},
        {"/media/alpha one", "/dev/sdb1"},
        {"/media/zeta", "/dev/sdc1"},
        {"/proc", "proc"},
    };
    for (size_t i = 0; i < mounts.size(); ++i) {
        EXPECT_EQ(mounts[i].mountPoint, expected[i].first);
        EXPECT_EQ(mounts[i].source, expected[i].second);
    }
}

TEST(MountTable, ReadsTheSourceAfterTheSeparatorWhateverTheOptionalFields) {
    const std::string lines[] = {
        "36 35 98:0 / /mnt/none rw - ext3 /dev/sda1 rw\n",
        "36 35 98:0 /sub /mnt/two rw,noatime master:1 shared:7 - ext3 /dev/sda2 rw\n",
        "36 35 98:0 / /mnt/net\\040share rw shared:2 - nfs4 host:/export\\040x rw,vers=4\n",
    };
    const char* sources[] = {"/dev/sda1", "/dev/sda2", "host:/export x"};
    for (size_t i = 0; i < std::size(lines); ++i) {
        const std::vector<MountEntry> mounts = ParseMountTable(lines[i]);
        ASSERT_EQ(mounts.size(), 1u) << lines[i];
        EXPECT_EQ(mounts[0].source, sources[i]);
    }
}

TEST(MountTable, SkipsMalformedLines) {
    const char* lines[] = {
        "",
        "garbage\n",
        "36 35 98:0 / /mnt/x rw shared:1 ext3 /dev/sda1 rw\n",      // no separator
        "36 35 98:0 / /mnt/x rw shared:1 - ext3\n",                 // no source
        "36 35 98:0 / relative rw shared:1 - ext3 /dev/sda1 rw\n",  // not absolute
    };
    for (const char* line : lines) {
        EXPECT_TRUE(ParseMountTable(line).empty()) << line;
    }
}

TEST(MountTable, AMountOverAnotherHidesIt) {
    const std::string text = test::MountInfoLine(40, "/media/stick", "/dev/sdb1") +
                             test::MountInfoLine(41, "/media/stick", "/dev/sdc1");
    const std::vector<MountEntry> mounts = ParseMountTable(text);
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].source, "/dev/sdc1");
}

TEST(MountTable, ReadsAFileAndRefusesAMissingOne) {
    test::TempFolder folder;
    test::WriteFile(folder / "mountinfo", test::MountInfoLine(1, "/x", "/dev/sdx1"));
    std::string text;
    ASSERT_TRUE(ReadMountInfoText(folder / "mountinfo", text));
    EXPECT_EQ(ParseMountTable(text).size(), 1u);
    EXPECT_FALSE(ReadMountInfoText(folder / "absent", text));
}

}  // namespace
}  // namespace wl

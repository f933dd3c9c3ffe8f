#include "app/volume_labels.h"

#include <gtest/gtest.h>

#include "tests/app/fake_mounts.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

TEST(UdevEscapes, DecodesHexEscapes) {
    const std::pair<const char*, const char*> cases[] = {
        {"TKB_0417", "TKB_0417"}, {"TKA\\x20X", "TKA X"}, {"a\\x2fb", "a/b"},
        {"\\x5Cx", "\\x"},        {"cut\\x2", "cut\\x2"}, {"bad\\xg0", "bad\\xg0"},
    };
    for (const auto& [name, decoded] : cases) {
        EXPECT_EQ(DecodeUdevEscapes(name), decoded) << name;
    }
}

TEST(ByLabelFolder, MapsDevicesToDecodedLabels) {
    test::TempFolder root;
    const std::filesystem::path byLabel = root / "dev/disk/by-label";
    test::AddLabelLink(byLabel, "TKB_0417", "../../sdb1");
    test::AddLabelLink(byLabel, "My\\x20Stick", "../../sdc1");
    test::AddLabelLink(byLabel, "Absolute", "/dev/mapper/vault");
    const std::map<std::string, std::string> labels = ReadLabelsByDevice(byLabel);
    const std::map<std::string, std::string> expected = {
        {(root / "dev/sdb1").string(), "TKB_0417"},
        {(root / "dev/sdc1").string(), "My Stick"},
        {"/dev/mapper/vault", "Absolute"},
    };
    EXPECT_EQ(labels, expected);
}

TEST(ByLabelFolder, AbsentFolderHasNoLabels) {
    test::TempFolder root;
    EXPECT_TRUE(ReadLabelsByDevice(root / "missing").empty());
}

TEST(BlkidProbe, ADeviceThatIsNotThereHasNoLabel) {
    test::TempFolder root;
    BlkidLabelProbe probe;
    EXPECT_FALSE(probe.ProbeLabel((root / "no-such-device").string()).has_value());
}

TEST(BlkidProbe, AnUnformattedFileHasNoLabel) {
    test::TempFolder root;
    test::WriteFile(root / "blank.img", std::string(64 * 1024, '\0'));
    BlkidLabelProbe probe;
    EXPECT_FALSE(probe.ProbeLabel((root / "blank.img").string()).has_value());
}

}  // namespace
}  // namespace wl

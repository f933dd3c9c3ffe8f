#include "app/mounted_drive_lister.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "app/instrument_detection.h"
#include "tests/app/fake_mounts.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

class MountedDrives : public ::testing::Test {
  protected:
    std::filesystem::path MountInfo() const { return folder_ / "mountinfo"; }
    std::filesystem::path ByLabel() const { return folder_ / "dev/disk/by-label"; }
    std::string Device(const std::string& name) const { return (folder_ / "dev" / name).string(); }
    void WriteMountInfo(const std::string& text) const { test::WriteFile(MountInfo(), text); }

    test::TempFolder folder_;
    test::FakeLabelProbe probe_;
};

TEST_F(MountedDrives, RootsGetTrailingSeparatorsAndLabelsFromUdevOrTheProbe) {
    WriteMountInfo(test::MountInfoLine(1, "/", "/dev/vda1") +
                   test::MountInfoLine(2, "/media/u/TKB\\0400417", Device("sdb1")) +
                   test::MountInfoLine(3, "/media/u/probed", "/dev/sdz9") +
                   test::MountInfoLine(4, "/run", "tmpfs", "tmpfs"));
    test::AddLabelLink(ByLabel(), "TKB\\x200417", "../../sdb1");
    probe_.labels["/dev/sdz9"] = "TKC_9";
    MountedDriveLister lister(MountInfo(), ByLabel(), probe_);
    std::vector<DriveInfo> drives;
    ASSERT_TRUE(lister.ListDrives(drives));
    const std::pair<const char*, const char*> expected[] = {
        {"/", ""},
        {"/media/u/TKB 0417/", "TKB 0417"},
        {"/media/u/probed/", "TKC_9"},
        {"/run/", ""},
    };
    ASSERT_EQ(drives.size(), std::size(expected));
    for (size_t i = 0; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].root, expected[i].first);
        EXPECT_EQ(drives[i].label, expected[i].second);
    }
    // Only device nodes without a udev label are probed: never "tmpfs", never the linked sdb1.
    EXPECT_EQ(probe_.probed, (std::vector<std::string>{"/dev/vda1", "/dev/sdz9"}));
}

TEST_F(MountedDrives, ProbesOnceUntilTheMountTableChanges) {
    WriteMountInfo(test::MountInfoLine(1, "/media/a", "/dev/sda1"));
    probe_.labels["/dev/sda1"] = "TKA_1";
    MountedDriveLister lister(MountInfo(), ByLabel(), probe_);
    std::vector<DriveInfo> drives;
    for (int tick = 0; tick < 5; ++tick) {
        lister.ListDrives(drives);
    }
    EXPECT_EQ(probe_.probed.size(), 1u);
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].label, "TKA_1");

    // A remount (the stick was relabelled and plugged in again) is probed afresh.
    probe_.labels["/dev/sda1"] = "TKC_2";
    WriteMountInfo(test::MountInfoLine(7, "/media/a", "/dev/sda1"));
    lister.ListDrives(drives);
    lister.ListDrives(drives);
    EXPECT_EQ(probe_.probed.size(), 2u);
    EXPECT_EQ(drives[0].label, "TKC_2");
}

TEST_F(MountedDrives, AMissingMountTableListsNothing) {
    MountedDriveLister lister(folder_ / "absent", ByLabel(), probe_);
    std::vector<DriveInfo> drives = {{"/stale/", "TKB_1"}};
    EXPECT_TRUE(lister.ListDrives(drives));
    EXPECT_TRUE(drives.empty());
}

// Fifty mounts whose mount points do not exist (one named like a hung network share): the tick
// still lists and detects them by label, which it could not do if it stat'ed or opened them.
class FiftyMounts : public MountedDrives {
  protected:
    void SetUp() override {
        std::string text;
        for (int i = 0; i < 50; ++i) {
            const std::string name = "disk" + std::string(i < 10 ? "0" : "") + std::to_string(i);
            const std::string mountPoint = (folder_ / "never-created" / name).string();
            if (i == 0) {
                text += test::MountInfoLine(100, (folder_ / "hung\\040nfs").string(),
                                            "server:/export", "nfs4");
                continue;
            }
            text += test::MountInfoLine(100 + i, mountPoint, Device("sd" + name));
            test::AddLabelLink(ByLabel(), "VOL_" + name, "../../sd" + name);
        }
        WriteMountInfo(text);
        std::filesystem::remove(ByLabel() / "VOL_disk37");
        test::AddLabelLink(ByLabel(), "TKB_0417", "../../sddisk37");
    }
};

TEST_F(FiftyMounts, DetectsByLabelWithoutTouchingAnyMountPoint) {
    MountedDriveLister lister(MountInfo(), ByLabel(), probe_);
    std::vector<DriveInfo> drives;
    ASSERT_TRUE(lister.ListDrives(drives));
    EXPECT_EQ(drives.size(), 50u);
    EXPECT_TRUE(probe_.probed.empty());

    test::FakeSerialProbe serial;
    DetectedInstrument state;
    ASSERT_TRUE(DetectInstrument(serial, lister, state));
    EXPECT_EQ(state.kind, kInstrumentAnalyzerTKB);
    EXPECT_EQ(state.drivePath, folder_ / "never-created/disk37/");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "never-created"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "hung nfs"));
}

TEST_F(FiftyMounts, MeasuresTheCostOfATick) {
    MountedDriveLister lister(MountInfo(), ByLabel(), probe_);
    test::FakeSerialProbe serial;
    DetectedInstrument state;
    DetectInstrument(serial, lister, state);  // the first tick fills the probe cache
    constexpr int kTicks = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int tick = 0; tick < kTicks; ++tick) {
        DetectInstrument(serial, lister, state);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double microseconds = std::chrono::duration<double, std::micro>(elapsed).count() / kTicks;
    std::printf("[ cost     ] one detection tick over 50 mounts: %.1f us\n", microseconds);
    EXPECT_EQ(state.kind, kInstrumentAnalyzerTKB);
}

}  // namespace
}  // namespace wl

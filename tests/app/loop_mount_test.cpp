// Real labelled ext4 images: probed as a file by anyone, loop-mounted when running as root.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/instrument_detection.h"
#include "app/mounted_drive_lister.h"
#include "tests/app/fake_mounts.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// A 4 MiB ext4 image labelled TKB_0417; false when mkfs.ext4 is not available.
bool MakeLabelledImage(const std::filesystem::path& image) {
    test::WriteFile(image, std::string(4 * 1024 * 1024, '\0'));
    return RunQuietly("mkfs.ext4 -q -F -L TKB_0417 " + Quoted(image)) ||
           RunQuietly("/sbin/mkfs.ext4 -q -F -L TKB_0417 " + Quoted(image));
}

class Unmounter {
  public:
    explicit Unmounter(std::filesystem::path mountPoint) : mountPoint_(std::move(mountPoint)) {}
    Unmounter(const Unmounter&) = delete;
    Unmounter& operator=(const Unmounter&) = delete;
    ~Unmounter() { RunQuietly("umount " + Quoted(mountPoint_)); }

  private:
    std::filesystem::path mountPoint_;
};

TEST(LabelledImage, BlkidReadsTheLabelOfAnImageFile) {
    test::TempFolder folder;
    if (!MakeLabelledImage(folder / "tkb.img")) {
        GTEST_SKIP() << "mkfs.ext4 is not available";
    }
    BlkidLabelProbe probe;
    EXPECT_EQ(probe.ProbeLabel((folder / "tkb.img").string()), "TKB_0417");
}

TEST(LabelledImage, ALoopMountedAnalyzerIsDetected) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "loop-mounting needs root";
    }
    test::TempFolder folder;
    if (!MakeLabelledImage(folder / "tkb.img")) {
        GTEST_SKIP() << "mkfs.ext4 is not available";
    }
    const std::filesystem::path mountPoint = folder / "TKB 0417 drive";
    std::filesystem::create_directory(mountPoint);
    if (!RunQuietly("mount -o loop " + Quoted(folder / "tkb.img") + " " + Quoted(mountPoint))) {
        GTEST_SKIP() << "mounting is not allowed here";
    }
    const DriveInfo expected{DriveRootOf(mountPoint), "TKB_0417"};
    {
        Unmounter unmount(mountPoint);
        BlkidLabelProbe probe;
        MountedDriveLister lister(kSystemMountInfo, kSystemByLabelFolder, probe);
        std::vector<DriveInfo> drives;
        ASSERT_TRUE(lister.ListDrives(drives));
        bool listed = false;
        for (const DriveInfo& drive : drives) {
            listed = listed || (drive.root == expected.root && drive.label == expected.label);
        }
        EXPECT_TRUE(listed) << "the mounted image is not among the drives";

        test::FakeSerialProbe serial;
        DetectedInstrument state;
        EXPECT_TRUE(DetectInstrument(serial, lister, state));
        EXPECT_EQ(state.kind, kInstrumentAnalyzerTKB);
        EXPECT_EQ(state.drivePath, expected.root);

        // The same pass as an operator runs it.
        const std::filesystem::path out = folder / "detect.out";
        const int status = std::system((std::string(WAYLOAD_CLI) + " --port " +
                                        Quoted(folder / "no-port") + " detect >" + Quoted(out))
                                           .c_str());
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(test::ReadFile(out), "2\tTKBMax\t" + expected.root.string() + "\n");
    }
    BlkidLabelProbe probe;
    MountedDriveLister lister(kSystemMountInfo, kSystemByLabelFolder, probe);
    std::vector<DriveInfo> drives;
    lister.ListDrives(drives);
    for (const DriveInfo& drive : drives) {
        EXPECT_NE(drive.root, expected.root) << "still mounted after the test";
    }
}

}  // namespace
}  // namespace wl

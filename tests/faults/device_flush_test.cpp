// What a drive holds when it is pulled out the moment wayload-cli has said it is done: a real ext4
// file system on a loop device, its image file copied the instant the command exits (before any
// unmount or sync), the copy's journal replayed as the next mount would, checked with fsck, and
// read back without mounting. Root only.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/faults/fault_fixtures.h"
#include "tests/faults/folder_tree.h"
#include "tests/faults/program_runner.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {
namespace {

namespace fs = std::filesystem;

constexpr int kTries = 3;
constexpr uintmax_t kImageSize = 32 * 1024 * 1024;

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Runs a shell command; its exit code and what it printed (stdout and stderr together).
struct CommandResult {
    int exitCode = -1;
    std::string output;
};

CommandResult Shell(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HaveTool(const std::string& name) {
    return Shell("command -v " + name).exitCode == 0;
}

// A loop device over an image file, detached when it goes.
class LoopDevice {
  public:
    // Another test attaching a loop device at the same moment can take the free one first.
    explicit LoopDevice(const fs::path& image) {
        for (int attempt = 0; attempt < 3 && device_.empty(); ++attempt) {
            const CommandResult attached = Shell("losetup --find --show " + Quoted(image));
            if (attached.exitCode == 0 && attached.output.starts_with("/dev/")) {
                device_ = attached.output.substr(0, attached.output.find('\n'));
            }
        }
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    ~LoopDevice() {
        if (!device_.empty()) {
            Shell("losetup -d " + Quoted(device_));
        }
    }
    const std::string& device() const { return device_; }

  private:
    std::string device_;
};

// A file system mounted for the test, unmounted when it goes.
class Mount {
  public:
    Mount(const std::string& device, const fs::path& point) : point_(point) {
        fs::create_directories(point_);
        mounted_ = Shell("mount " + Quoted(device) + " " + Quoted(point_)).exitCode == 0;
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    ~Mount() {
        if (mounted_) {
            Shell("umount " + Quoted(point_));
        }
    }
    bool mounted() const { return mounted_; }

  private:
    fs::path point_;
    bool mounted_ = false;
};

// What the layout wrote is on the device before the command starts, as on a drive that has
// been in use for a while.
void FlushFileSystem(const fs::path& mountPoint) {
    const int fd = ::open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// One command against the mounted drive: what to lay out, what to run, what to read back.
struct FlushCase {
    const char* name;
    // Lays out the drive and the PC's files; answers wayload-cli's arguments.
    std::function<std::vector<std::string>(const fs::path& drive, const fs::path& pc)> prepare;
    // The folder of the file system read back, and what it must hold.
    std::string readBack;
    std::function<Tree()> expected;
};

const FlushCase kCases[] = {
    {"Upload",
     [](const fs::path& drive, const fs::path& pc) -> std::vector<std::string> {
         WriteTree(drive, Merged({Below("TKBRoute/RA", OldRouteTree()),
                                  Below("TKBanalyser/D1", DataTree())}));
         test::WriteFile(pc / "routes.rdi",
                         PackedContainer(pc / "packing", {{u"RA", 1, NewRouteTree()},
                                                          {u"RB", 1, AddedRouteTree()}}));
         return {"--analyzer", drive.string(), "--yes", "upload", (pc / "routes.rdi").string()};
     },
     "/TKBRoute",
     [] {
         return Merged({Below("RA", NewRouteTree()), Below("RB", AddedRouteTree())});
     }},
    {"Extract",
     [](const fs::path& drive, const fs::path& pc) -> std::vector<std::string> {
         test::WriteFile(pc / "IN.rdx", PackedContainer(pc / "packing", {{u"R1", 1, RouteTree()},
                                                                         {u"D1", 1, DataTree()}}));
         return {"extract", (pc / "IN.rdx").string(), (drive / "dest").string()};
     },
     "/dest",
     [] {
         return Merged({Below("R1", RouteTree()), Below("D1", DataTree())});
     }},
};

void PrintTo(const FlushCase& flushCase, std::ostream* out) {
    *out << flushCase.name;
}

class DeviceFlush : public testing::TestWithParam<FlushCase> {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "loop-mounting an ext4 image needs root";
        }
        for (const char* tool : {"mkfs.ext4", "fsck.ext4", "debugfs", "losetup", "mount"}) {
            if (!HaveTool(tool)) {
                GTEST_SKIP() << tool << " is not available (Debian: e2fsprogs, mount)";
            }
        }
    }
};

// One try; what was wrong with the copy, empty when nothing was. `cannotMount` is set when this
// machine cannot make or mount an image at all.
std::vector<std::string> TryOnce(const FlushCase& flushCase, bool& cannotMount) {
    const test::TempFolder folder;
    const fs::path image = folder / "drive.img";
    const fs::path copy = folder / "pulled-out.img";
    const fs::path pc = folder / "pc";
    const fs::path mountPoint = folder / "TKB_FLUSH";
    fs::create_directories(pc);
    test::WriteFile(image, "");
    fs::resize_file(image, kImageSize);
    std::vector<std::string> problems;
    const CommandResult made = Shell("mkfs.ext4 -q -F -L TKB_FLUSH " + Quoted(image));
    if (made.exitCode != 0) {
        cannotMount = true;
        return {"mkfs.ext4 failed: " + made.output};
    }
    const LoopDevice loop(image);
    if (loop.device().empty()) {
        cannotMount = true;
        return {"no loop device"};
    }
    {
        const Mount mount(loop.device(), mountPoint);
        if (!mount.mounted()) {
            cannotMount = true;
            return {"mounting is not allowed here"};
        }
        const std::vector<std::string> arguments = flushCase.prepare(mountPoint, pc);
        FlushFileSystem(mountPoint);
        const RunResult run = RunProgram(WAYLOAD_CLI, pc, folder / "scratch", arguments, {});
        // The operator pulls the drive out now.
        fs::copy_file(image, copy);
        if (!run.succeeded) {
            problems.push_back("wayload-cli: " + run.ending + ": " + run.errorText);
        }
    }
    // The next mount would replay the journal; the check and the read-back see that state.
    Shell("fsck.ext4 -E journal_only -y " + Quoted(copy));
    const CommandResult checked = Shell("fsck.ext4 -fn " + Quoted(copy));
    if (checked.exitCode != 0) {
        problems.push_back("fsck.ext4 -fn finds the file system damaged (exit " +
                           std::to_string(checked.exitCode) + "): " + checked.output);
    }
    const fs::path readBack = folder / "read-back";
    fs::create_directories(readBack);
    Shell("debugfs -R " + Quoted("rdump " + flushCase.readBack + " " + readBack.string()) + " " +
          Quoted(copy));
    const Tree expected = flushCase.expected();
    const Tree actual = ReadTree(readBack / fs::path(flushCase.readBack).filename());
    if (actual != expected) {
        problems.push_back(flushCase.readBack + " on the device: " +
                           (actual.empty() ? "not there at all" : Difference(expected, actual)));
    }
    return problems;
}

TEST_P(DeviceFlush, WhatTheCommandReportedDoneIsOnTheDeviceWhenItExits) {
    std::vector<std::string> failures;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        bool cannotMount = false;
        const std::vector<std::string> problems = TryOnce(GetParam(), cannotMount);
        if (cannotMount) {
            GTEST_SKIP() << problems.front();
        }
        for (const std::string& problem : problems) {
            failures.push_back("try " + std::to_string(attempt) + " of " + std::to_string(kTries) +
                               ": " + problem);
        }
    }
    std::string report;
    for (const std::string& failure : failures) {
        report += failure + "\n";
    }
    EXPECT_TRUE(failures.empty()) << report;
}

INSTANTIATE_TEST_SUITE_P(Commands, DeviceFlush, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FlushCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace wl::faults

// The fault shim itself: it counts exactly the calls made, fails the chosen one without making it
// (a close is still made), names it in its log, leaves the standard streams alone, and writes the
// log also when the program ends through exit().

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "tests/faults/fault_shim.h"
#include "tests/faults/program_runner.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class FaultShimTest : public testing::Test {
  protected:
    RunResult RunProbe(const Fault& fault) {
        const fs::path fixture = folder / ("fixture" + std::to_string(fault.at));
        const fs::path scratch = folder / ("scratch" + std::to_string(fault.at));
        fs::create_directories(fixture);
        return RunProgram(WAYLOAD_FAULT_SHIM_PROBE, fixture, scratch, {}, fault);
    }

    test::TempFolder folder;
};

TEST_F(FaultShimTest, CountsEveryCallButThoseOnTheStandardStreams) {
    const RunResult counted = RunProbe({0, ENOSPC});
    EXPECT_TRUE(counted.succeeded) << counted.ending;
    EXPECT_EQ(counted.otherText,
              "open ok\nwrite ok\nfsync ok\nclose ok\ndescriptor closed\nrename ok\nunlink ok\n");
    EXPECT_EQ(counted.calls, 6);
    EXPECT_EQ(counted.injectedCall, "");
}

TEST_F(FaultShimTest, FailsExactlyTheChosenCallAndNamesIt) {
    struct Case {
        long at;
        int error;
        std::string said;      // the probe's line for the failed call
        std::string injected;  // the start of the log's description
    };
    const Case cases[] = {
        {1, ENOSPC, "open failed: No space left on device", "call 1: open "},
        {2, EIO, "write failed: Input/output error", "call 2: write "},
        {3, ENOSPC, "fsync failed: No space left on device", "call 3: fsync "},
        {4, EIO, "close failed: Input/output error\ndescriptor closed", "call 4: close "},
        {5, ENOSPC, "rename failed: No space left on device", "call 5: rename "},
        {6, EIO, "unlink failed: Input/output error", "call 6: unlink "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.injected);
        const RunResult result = RunProbe({c.at, c.error});
        EXPECT_TRUE(Contains(result.otherText, c.said)) << result.otherText;
        EXPECT_TRUE(result.injectedCall.starts_with(c.injected)) << result.injectedCall;
        EXPECT_TRUE(result.injectedCall.ends_with(c.error == EIO ? " EIO" : " ENOSPC"))
            << result.injectedCall;
        // The exit came through exit(): the log was written again with the total.
        EXPECT_EQ(result.calls, 6);
    }
    // Descriptors are named by the file they stand for, renames by both names.
    EXPECT_TRUE(Contains(RunProbe({2, ENOSPC}).injectedCall, "probe.txt"));
    EXPECT_TRUE(Contains(RunProbe({5, ENOSPC}).injectedCall, "probe.txt -> renamed.txt"));
}

TEST_F(FaultShimTest, AFailedCallIsNotMade) {
    // The rename fails: the file keeps its name, and the removal of the new name finds nothing.
    const RunResult result = RunProbe({5, ENOSPC});
    EXPECT_TRUE(Contains(result.otherText, "unlink failed: No such file or directory"))
        << result.otherText;
    EXPECT_TRUE(fs::exists(folder / "fixture5" / "probe.txt"));
}

TEST_F(FaultShimTest, InProcessItCountsOnlyWhileArmed) {
    const fs::path file = folder / "in-process.txt";
    const int before = ::open(file.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(before, 0);
    ASSERT_EQ(::close(before), 0);

    wayload_fault_arm(2, EIO);
    const int fd = ::open(file.c_str(), O_WRONLY);
    const ssize_t written = ::write(fd, "x", 1);
    const int writeError = errno;
    EXPECT_EQ(::write(STDOUT_FILENO, "", 0), 0);
    EXPECT_EQ(::close(fd), 0);
    EXPECT_EQ(wayload_fault_disarm(), 3);

    EXPECT_EQ(written, -1);
    EXPECT_EQ(writeError, EIO);
    EXPECT_EQ(fs::file_size(file), 0u);
    char described[4096];
    ASSERT_EQ(wayload_fault_injected_call(described, sizeof described), 1);
    EXPECT_EQ(std::string(described), "call 2: write " + file.string() + " EIO");

    // Disarmed, nothing is counted or failed.
    EXPECT_EQ(::unlink(file.c_str()), 0);
    EXPECT_EQ(wayload_fault_disarm(), 3);
}

}  // namespace
}  // namespace wl::faults

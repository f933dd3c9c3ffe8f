#pragma once
// The fixture of every test that runs the window program: the X display the test program
// started for itself, a window manager chosen by the test's parameter, a laid-out demo analyzer,
// the program, and the operator's steps. Missing tools skip the test with their package's name;
// everything started is ended when the test ends, whichever way.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "tests/desktop/desktop_driver.h"
#include "tests/desktop/operator_steps.h"
#include "tests/desktop/wayload_program.h"
#include "tests/desktop/x_display.h"
#include "tests/support/temp_folder.h"

namespace wl::desktop {

// The display the test program runs on, set once by main: its name, or why there is none.
struct TestDisplay {
    std::string name;
    std::string unavailable;
};
TestDisplay& TheTestDisplay();

// A name for a test's screenshots: the test's name with its parameter and the step.
std::string ScreenshotName(const std::string& step);

// A download long enough to watch is made of files of 2 to 4 MB of incompressible bytes, which
// pack at some 40 MB a second here: the strip stays up for about three seconds with the 30 files
// its pictures are sampled over, and about two with the 20 that leave time for a click.
inline constexpr int kWatchedDownloadFiles = 30;
inline constexpr int kClickedDownloadFiles = 20;
inline constexpr size_t kLongDownloadSmallest = 2u << 20;
inline constexpr size_t kLongDownloadLargest = 4u << 20;
inline const std::string kLongDownloadFolder = "Line 4 vibration survey";

class ProgramOnDesktop : public testing::TestWithParam<WindowManager> {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program on the folder laid out so far and waits for its main window.
    void StartProgram(const ProgramSetup& setup = {});
    Operator& op() { return *operator_; }

    // Lays out a measured-data folder of that many files, starts the program and takes a
    // download of every folder through the route selection and the save dialog; the packing is
    // running when this returns true.
    bool StartLongDownload(const std::filesystem::path& exportFile, int files);
    // Waits for the closing message of that download, closes it and checks the export file.
    void FinishDownload(const std::filesystem::path& exportFile);

    test::TempFolder folder;
    DemoAnalyzerFolder analyzer{folder / "data"};
    Desktop desktop;

  private:
    std::optional<RunningWindowManager> manager_;
    std::optional<WayloadProgram> program_;
    std::optional<Operator> operator_;
};

// The test parameter's name in test names: "none", "twm", "openbox".
std::string ManagerParamName(const testing::TestParamInfo<WindowManager>& info);
inline void PrintTo(WindowManager manager, std::ostream* out) {
    *out << WindowManagerName(manager);
}

}  // namespace wl::desktop

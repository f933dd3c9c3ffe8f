#include "tests/desktop/desktop_fixture.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {
namespace {

// The end of the program's log, for the failure report.
std::string LogTail(const std::filesystem::path& log) {
    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    constexpr size_t kTail = 2000;
    return all.size() > kTail ? all.substr(all.size() - kTail) : all;
}

// A window manager that has only just started may drop the map requests it receives while it
// settles, so a window shown then never appears. It is ready once a window shown now is mapped.
bool WaitUntilManaging(const Desktop& desktop) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        QWidget probe;
        probe.setWindowTitle("Window manager probe");
        probe.setGeometry(1200, 40, 40, 40);
        probe.show();
        for (int wait = 0; wait < 20; ++wait) {
            Pause(milliseconds(25));
            if (desktop.IsShown(probe.winId())) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TestDisplay& TheTestDisplay() {
    static TestDisplay display;
    return display;
}

std::string ScreenshotName(const std::string& step) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    // "Name/openbox" becomes "Name_openbox": the parameter keeps the pictures of each run apart.
    std::string name = test != nullptr ? std::string(test->name()) + "_" + step : step;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

std::string ManagerParamName(const testing::TestParamInfo<WindowManager>& info) {
    return WindowManagerName(info.param);
}

void ProgramOnDesktop::SetUp() {
    if (!TheTestDisplay().unavailable.empty()) {
        GTEST_SKIP() << "no X display for the test: " << TheTestDisplay().unavailable;
    }
    if (const std::string missing = MissingDriverTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    if (const std::string missing = MissingWindowManager(GetParam()); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    manager_.emplace(GetParam(), TheTestDisplay().name, folder / "window-manager");
    ASSERT_EQ(manager_->failure(), "");
    if (GetParam() != WindowManager::kNone) {
        ASSERT_TRUE(WaitUntilManaging(desktop))
            << WindowManagerName(GetParam()) << " maps no window shown on the display";
    }
}

void ProgramOnDesktop::TearDown() {
    if (HasFailure() && !TheTestDisplay().name.empty()) {
        SaveScreenshot(GrabScreen(), ScreenshotName("at_failure"));
        if (program_) {
            std::cout << "wayload's output:\n" << LogTail(program_->log()) << "\n";
        }
    }
    operator_.reset();
    program_.reset();
    manager_.reset();
}

void ProgramOnDesktop::StartProgram(const ProgramSetup& setup) {
    program_.emplace(folder / "program", analyzer, TheTestDisplay().name, setup);
    operator_.emplace(desktop, program_->pid());
    std::string why;
    ASSERT_TRUE(operator_->WaitForMainWindow(why, QString::fromStdString(setup.analyzerFound)))
        << why;
}

bool ProgramOnDesktop::StartLongDownload(const std::filesystem::path& exportFile, int files) {
    analyzer.AddRoute("North hall fans", "ROUTE North hall fans\nPOINTS 3\n");
    analyzer.AddMeasuredData(kLongDownloadFolder, files, kLongDownloadSmallest,
                             kLongDownloadLargest);
    StartProgram();
    if (HasFatalFailure()) {
        return false;
    }
    desktop.Click(op().DownloadButton().center());
    const auto selection = op().WaitForWindow(kRouteSelectionName);
    if (!selection) {
        ADD_FAILURE() << "the download button brought no route selection";
        return false;
    }
    // The measured data is not ticked by itself; the header's check box ticks every row.
    op().TickAllRoutes(*selection);
    SaveScreenshot(GrabScreen().copy(selection->rect), ScreenshotName("route_selection"));
    if (!op().PressButton(*selection, "OK")) {
        ADD_FAILURE() << "the route selection shows no OK button";
        return false;
    }
    const auto saveDialog = op().WaitForWindow(kSaveDialogName);
    if (!saveDialog) {
        ADD_FAILURE() << "OK in the route selection brought no save dialog";
        return false;
    }
    if (!op().SubmitFileDialog(*saveDialog, exportFile)) {
        ADD_FAILURE() << "the save dialog did not take " << exportFile;
        return false;
    }
    return true;
}

void ProgramOnDesktop::FinishDownload(const std::filesystem::path& exportFile) {
    const auto closing = op().WaitForWindow(kMessageBoxName, {}, kTransferLimit);
    ASSERT_TRUE(closing) << "no closing message came after the download";
    QImage screen;
    EXPECT_TRUE(op().WaitForText(
        *closing, {QString::fromStdString("Routes saved into '" + exportFile.string() + "'")},
        milliseconds(3000), &screen))
        << "the closing message does not say where the routes were saved";
    SaveScreenshot(screen.copy(closing->rect), ScreenshotName("closing_message"));
    EXPECT_TRUE(op().PressButton(*closing, "OK"));
    EXPECT_TRUE(desktop.WaitUntilGone(closing->id, milliseconds(5000)));
    EXPECT_TRUE(ExportFileIsComplete(exportFile));
    EXPECT_NE(ListedProjects(exportFile).find(kLongDownloadFolder), std::string::npos)
        << ListedProjects(exportFile);
}

}  // namespace wl::desktop

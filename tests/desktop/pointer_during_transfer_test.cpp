// The real pointer while a transfer runs: the overwrite question is answered with a click, other
// programs on the desktop keep receiving clicks, and clicks on the main window's buttons start no
// second transfer while the progress strip is up.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "tests/desktop/desktop_fixture.h"
#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {
namespace {

// Another program's window on the same desktop: it counts the presses it receives.
class ClickTarget : public QWidget {
  public:
    ClickTarget() {
        setWindowTitle("Click target");
        setGeometry(60, 760, 220, 120);
    }
    int presses() const { return presses_; }

  protected:
    void mousePressEvent(QMouseEvent*) override { ++presses_; }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkCyan); }

  private:
    int presses_ = 0;
};

// A point of `button` that `covered` does not hide, so that a click there reaches the button
// itself and not the strip lying over its middle.
std::optional<QPoint> UncoveredPoint(const QRect& button, const QRect& covered) {
    for (const int y : {button.top() + 6, button.bottom() - 6, button.center().y()}) {
        const QPoint point(button.center().x(), y);
        if (!covered.contains(point)) {
            return point;
        }
    }
    return std::nullopt;
}

using PointerDuringTransfer = ProgramOnDesktop;

TEST_P(PointerDuringTransfer, OverwriteQuestionIsAnsweredWithAClickOnYes) {
    analyzer.AddRoute("Cooling pumps", "ROUTE Cooling pumps\nPOINTS 2\n");
    test::WriteFile(folder / "new/Cooling pumps/route.dat", "ROUTE Cooling pumps\nPOINTS 9\n");
    const std::filesystem::path routeFile = folder / "week.rdi";
    ASSERT_TRUE(PackRouteFile(routeFile, {folder / "new/Cooling pumps"}));
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    desktop.Click(op().UploadButton().center());
    const auto open = op().WaitForWindow(kOpenDialogName);
    ASSERT_TRUE(open) << "the upload button brought no open dialog";
    ASSERT_TRUE(op().SubmitFileDialog(*open, routeFile));

    const auto question = op().WaitForWindow(kMessageBoxName);
    ASSERT_TRUE(question) << "no overwrite question came";
    QImage screen;
    EXPECT_TRUE(op().WaitForText(*question,
                                 {"Overwrite following route 'Cooling pumps' in instrument?"},
                                 milliseconds(3000), &screen));
    SaveScreenshot(screen, ScreenshotName("question"));
    ASSERT_TRUE(op().PressButton(*question, "Yes")) << "the question shows no Yes button";
    ASSERT_TRUE(desktop.WaitUntilGone(question->id, milliseconds(3000)))
        << "the question stayed up after the pointer clicked its Yes button";

    const auto closing = op().WaitForWindow(kMessageBoxName, {question->id});
    ASSERT_TRUE(closing) << "no closing message came after Yes";
    EXPECT_TRUE(op().WaitForText(
        *closing, {"Following routes were uploaded into instrument :", "Cooling pumps"},
        milliseconds(3000), &screen));
    SaveScreenshot(screen.copy(closing->rect), ScreenshotName("closing_message"));
    EXPECT_TRUE(op().PressButton(*closing, "OK"));
    EXPECT_TRUE(desktop.WaitUntilGone(closing->id, milliseconds(5000)));
    EXPECT_EQ(test::ReadFile(analyzer.RouteFolder("Cooling pumps") / "route.dat"),
              "ROUTE Cooling pumps\nPOINTS 9\n");
}

TEST_P(PointerDuringTransfer, OtherProgramsKeepReceivingClicks) {
    ClickTarget target;
    target.show();
    ASSERT_TRUE(desktop.WaitForWindow("^Click target$", kWindowLimit));
    Pause(milliseconds(300));

    const std::filesystem::path exportFile = folder / "survey.rdx";
    ASSERT_TRUE(StartLongDownload(exportFile, kClickedDownloadFiles));
    const auto strip = op().WaitForStrip(kWindowLimit);
    ASSERT_TRUE(strip) << "no window 600 px wide came up while the download packed";

    desktop.Click(target.mapToGlobal(target.rect().center()));
    const bool clickedDuringTransfer = desktop.IsShown(strip->id);
    for (int wait = 0; wait < 30 && target.presses() == 0; ++wait) {
        Pause(milliseconds(50));
    }
    SaveScreenshot(GrabScreen(), ScreenshotName("after_click"));
    ASSERT_TRUE(clickedDuringTransfer) << "the download ended before the click; lay out more data";
    EXPECT_EQ(target.presses(), 1)
        << "another program's window did not receive the click made while the strip was up";

    FinishDownload(exportFile);
}

TEST_P(PointerDuringTransfer, MainWindowButtonsStartNothingWhileTheStripIsUp) {
    const std::filesystem::path exportFile = folder / "survey.rdx";
    ASSERT_TRUE(StartLongDownload(exportFile, kClickedDownloadFiles));
    const auto strip = op().WaitForStrip(kWindowLimit);
    ASSERT_TRUE(strip) << "no window 600 px wide came up while the download packed";

    for (const QRect& button : {op().UploadButton(), op().DownloadButton()}) {
        const auto point = UncoveredPoint(button, strip->rect);
        ASSERT_TRUE(point) << "the strip hides the whole button";
        desktop.Click(*point);
    }
    ASSERT_TRUE(desktop.IsShown(strip->id))
        << "the download ended before the clicks; lay out more data";
    Pause(milliseconds(500));
    const std::vector<std::string> dialogs = {kOpenDialogName, kRouteSelectionName,
                                              kSaveDialogName};
    for (const std::string& dialog : dialogs) {
        EXPECT_TRUE(desktop.FindWindows(dialog).empty())
            << dialog << " came up during the download";
    }

    FinishDownload(exportFile);
    // A click the program kept for later must not start a transfer once this one is done.
    Pause(milliseconds(1000));
    for (const std::string& dialog : dialogs) {
        EXPECT_TRUE(desktop.FindWindows(dialog).empty()) << dialog << " came up after the download";
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, PointerDuringTransfer,
                         testing::Values(WindowManager::kNone, WindowManager::kTwm,
                                         WindowManager::kOpenbox),
                         ManagerParamName);

}  // namespace
}  // namespace wl::desktop

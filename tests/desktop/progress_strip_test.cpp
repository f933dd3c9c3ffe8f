// The progress strip on a real X server: while a long download packs, the strip's grey bar is
// painted and grows, and the main window beside it keeps showing its pictures, with a window
// manager and without one.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/desktop/desktop_fixture.h"
#include "tests/desktop/strip_sampler.h"

namespace wl::desktop {
namespace {

constexpr milliseconds kSampleInterval(100);
// Fewer samples than this say the download was too short to judge, not how it was drawn.
constexpr size_t kFewestSamples = 5;
// A painted main window is all light grey face and pictures; a blank one is all white.
constexpr double kLeastNonWhiteShare = 0.5;
constexpr int kLeastColouredPixels = 50;

using ProgressStripOnScreen = ProgramOnDesktop;

TEST_P(ProgressStripOnScreen, BarIsPaintedAndGrowsWhileTheMainWindowKeepsItsPictures) {
    const std::filesystem::path exportFile = folder / "survey.rdx";
    ASSERT_TRUE(StartLongDownload(exportFile, kWatchedDownloadFiles));
    const auto strip = op().WaitForStrip(kWindowLimit);
    ASSERT_TRUE(strip) << "no window 600 px wide came up while the download packed";

    const std::vector<StripSample> samples = SampleWhileStripShown(
        desktop, *strip, op().mainWindow().rect, kSampleInterval, kTransferLimit);
    SaveSomeSamples(samples, ScreenshotName("strip"));
    ASSERT_GE(samples.size(), kFewestSamples)
        << "the strip was up for too short a time to watch; lay out more data";

    const std::string widths = BarWidths(samples);
    std::set<int> distinctBars;
    for (const StripSample& sample : samples) {
        if (sample.barWidth > 0) {
            distinctBars.insert(sample.barWidth);
        }
    }
    EXPECT_FALSE(distinctBars.empty())
        << "the grey bar never appeared in the strip; bar widths: " << widths;
    EXPECT_GE(distinctBars.size(), 2u) << "the bar did not grow; bar widths: " << widths;
    EXPECT_TRUE(std::is_sorted(
        samples.begin(), samples.end(),
        [](const StripSample& a, const StripSample& b) { return a.barWidth < b.barWidth; }))
        << "the bar shrank; bar widths: " << widths;

    int blankSamples = 0;
    int samplesWithoutPictures = 0;
    for (const StripSample& sample : samples) {
        blankSamples += sample.mainWindowNonWhite < kLeastNonWhiteShare ? 1 : 0;
        samplesWithoutPictures += sample.mainWindowColoured < kLeastColouredPixels ? 1 : 0;
    }
    EXPECT_EQ(blankSamples, 0) << "the main window was (nearly) white in " << blankSamples << " of "
                               << samples.size() << " samples";
    EXPECT_EQ(samplesWithoutPictures, 0)
        << "the main window's pictures were missing in " << samplesWithoutPictures << " of "
        << samples.size() << " samples";

    FinishDownload(exportFile);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ProgressStripOnScreen,
                         testing::Values(WindowManager::kNone, WindowManager::kTwm,
                                         WindowManager::kOpenbox),
                         ManagerParamName);

}  // namespace
}  // namespace wl::desktop

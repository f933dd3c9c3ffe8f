#include "app/demo_instruments.h"

#include <gtest/gtest.h>

#include "sim/demo_analyzer.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

TEST(DemoInstruments, TheAnalyzerIsFoundAsTkbDemoAndKeepsWhatTheUserChanged) {
    test::TempFolder folder;
    {
        DemoInstruments demo(DemoInstrument::kAnalyzer, folder / "demo");
        DetectedInstrument found;
        ASSERT_TRUE(DetectInstrument(demo.serial(), demo.drives(), found));
        EXPECT_EQ(found.kind, kInstrumentAnalyzerTKB);
        EXPECT_EQ(found.drivePath, folder / "demo/TKB_DEMO/");
        EXPECT_TRUE(std::filesystem::is_regular_file(found.drivePath /
                                                     "TKBRoute/North hall fans/route.dat"));
        EXPECT_TRUE(std::filesystem::is_directory(found.drivePath / "TKBanalyser"));
    }
    // A route the user deleted in the demo stays deleted at the next start.
    std::filesystem::remove_all(folder / "demo/TKB_DEMO/TKBRoute/Cooling pumps");
    DemoInstruments again(DemoInstrument::kAnalyzer, folder / "demo");
    EXPECT_FALSE(std::filesystem::exists(again.analyzerRoot() / "TKBRoute/Cooling pumps"));
    EXPECT_TRUE(std::filesystem::exists(again.analyzerRoot() / "TKBRoute/North hall fans"));
}

TEST(DemoInstruments, TheSerialInstrumentAnswersInProcess) {
    test::TempFolder folder;
    DemoInstruments demo(DemoInstrument::kSerial, folder / "demo");
    DetectedInstrument found;
    ASSERT_TRUE(DetectInstrument(demo.serial(), demo.drives(), found));
    EXPECT_EQ(found.kind, kInstrumentSerial);
    EXPECT_FALSE(std::filesystem::exists(folder / "demo"));
}

TEST(DemoInstruments, WithoutADataFolderNoAnalyzerIsFound) {
    DemoInstruments demo(DemoInstrument::kAnalyzer, {});
    DetectedInstrument found;
    EXPECT_FALSE(DetectInstrument(demo.serial(), demo.drives(), found));
}

}  // namespace
}  // namespace wl

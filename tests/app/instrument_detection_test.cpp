#include "app/instrument_detection.h"

#include <gtest/gtest.h>

#include "tests/app/fake_mounts.h"

namespace wl {
namespace {

struct LabelCase {
    const char* label;
    int32_t kind;
    const char* drivePath;  // empty: unchanged
};

TEST(DetectInstrument, KindAndFolderForEachLabel) {
    const LabelCase cases[] = {
        {"TKB_0417", kInstrumentAnalyzerTKB, "/media/u/E/"},
        {"TKA_X", kInstrumentAnalyzerTKA, "/media/u/E/TKA"},
        {"TKC_", kInstrumentAnalyzerTKC, "/media/u/E/"},
        {"TKC_long label", kInstrumentAnalyzerTKC, "/media/u/E/"},
        {"tkb_0417", kInstrumentNone, ""},
        {"TKB", kInstrumentNone, ""},
        {"TKB0417", kInstrumentNone, ""},
        {"Tkb_0417", kInstrumentNone, ""},
        {"TKD_1", kInstrumentNone, ""},
        {" TKB_1", kInstrumentNone, ""},
        {"", kInstrumentNone, ""},
    };
    for (const LabelCase& c : cases) {
        test::FakeSerialProbe serial;
        test::FakeDriveLister drives;
        drives.drives = {{"/", ""}, {"/media/u/E/", c.label}};
        DetectedInstrument state;
        state.drivePath = "/old/";
        EXPECT_EQ(DetectInstrument(serial, drives, state), c.kind != kInstrumentNone) << c.label;
        EXPECT_EQ(state.kind, c.kind) << c.label;
        EXPECT_EQ(state.drivePath, *c.drivePath ? c.drivePath : "/old/") << c.label;
    }
}

TEST(DetectInstrument, TheSerialInstrumentIsAskedFirstAndHidesAnalyzers) {
    test::FakeSerialProbe serial;
    serial.connected = true;
    test::FakeDriveLister drives;
    drives.drives = {{"/media/u/E/", "TKB_0417"}};
    DetectedInstrument state;
    state.drivePath = "/old/";
    EXPECT_TRUE(DetectInstrument(serial, drives, state));
    EXPECT_EQ(state.kind, kInstrumentSerial);
    EXPECT_EQ(state.drivePath, "/old/");
    EXPECT_EQ(serial.calls, 1);
    EXPECT_EQ(drives.calls, 0);
}

TEST(DetectInstrument, TheFirstDriveInListOrderWins) {
    struct OrderCase {
        std::vector<DriveInfo> drives;
        int32_t kind;
        const char* drivePath;
    };
    const OrderCase cases[] = {
        {{{"/media/u/E/", "TKC_1"}, {"/media/u/F/", "TKB_2"}},
         kInstrumentAnalyzerTKC,
         "/media/u/E/"},
        {{{"/media/u/E/", "stick"}, {"/media/u/F/", "TKB_2"}, {"/media/u/G/", "TKA_3"}},
         kInstrumentAnalyzerTKB,
         "/media/u/F/"},
        {{{"/media/u/A/", "TKA_1"}, {"/media/u/B/", "TKC_2"}},
         kInstrumentAnalyzerTKA,
         "/media/u/A/TKA"},
    };
    for (const OrderCase& c : cases) {
        test::FakeSerialProbe serial;
        test::FakeDriveLister drives;
        drives.drives = c.drives;
        DetectedInstrument state;
        EXPECT_TRUE(DetectInstrument(serial, drives, state));
        EXPECT_EQ(state.kind, c.kind);
        EXPECT_EQ(state.drivePath, c.drivePath);
    }
}

TEST(DetectInstrument, AfterUnpluggingKindIsNoneAndTheFolderStays) {
    test::FakeSerialProbe serial;
    test::FakeDriveLister drives;
    drives.drives = {{"/media/u/E/", "TKB_0417"}};
    DetectedInstrument state;
    ASSERT_TRUE(DetectInstrument(serial, drives, state));
    drives.drives = {{"/", ""}};
    EXPECT_FALSE(DetectInstrument(serial, drives, state));
    EXPECT_EQ(state.kind, kInstrumentNone);
    EXPECT_EQ(state.drivePath, "/media/u/E/");
}

TEST(DetectInstrument, NoDrivesIsNoInstrument) {
    test::FakeSerialProbe serial;
    test::FakeDriveLister drives;
    DetectedInstrument state;
    state.kind = kInstrumentAnalyzerTKC;
    EXPECT_FALSE(DetectInstrument(serial, drives, state));
    EXPECT_EQ(state.kind, kInstrumentNone);
    EXPECT_TRUE(state.drivePath.empty());
}

}  // namespace
}  // namespace wl

#include "instrument/t7300_instrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/info_wnd.h"
#include "tests/sim/sim_bench.h"
#include "tests/support/recording_progress.h"

namespace wl {
namespace {

using test::AsVector;
using test::BytesOf;
using test::PatternBytes;
using test::SimBench;
using test::UpperHex;
using test::Widened;
using Words = std::vector<std::string>;

// The ";" and "COM;" waits, the "STP;" wait and the unsent-command pause, for each row.
constexpr uint32_t kConnectBoundMs = 6 * (5000 + 1000 + 2000) + 1000;

SimulatedInstrumentConfig Model(std::string description, uint32_t baud, std::string version) {
    SimulatedInstrumentConfig config;
    config.usbDescription = std::move(description);
    config.baud = baud;
    config.versionText = std::move(version);
    return config;
}

bool Upload(SimBench& bench, const std::string& block) {
    return bench.pc.UploadRoutes(BytesOf(block), static_cast<uint32_t>(block.size()), nullptr, 0,
                                 100);
}

bool Heard(const SimBench& bench, const std::string& word) {
    const Words& words = bench.instrument.receivedWords();
    return std::find(words.begin(), words.end(), word) != words.end();
}

// --- Hand-shake ----------------------------------------------------------------------------

struct HandshakeCase {
    const char* name;
    SimulatedInstrumentConfig config;
    int32_t modelCode;
    // 10 for every row that opens, then 20 and 30 at the row that answers.
    std::vector<double> progress;
};

class InstrumentHandshakeTest : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(InstrumentHandshakeTest, ConnectsAtTheFirstRowThatAnswers) {
    SimBench bench(GetParam().config);
    test::RecordingProgress progress;
    ASSERT_TRUE(bench.pc.Connect(&progress));
    EXPECT_EQ(bench.pc.ModelCode(), GetParam().modelCode);
    EXPECT_EQ(bench.pc.VersionText(), Widened(GetParam().config.versionText + ";"));
    EXPECT_EQ(progress.positions, GetParam().progress);
    EXPECT_TRUE(bench.ftdi.HasHandle());
    EXPECT_EQ(bench.driver.lineBaud(), GetParam().config.baud);
    EXPECT_TRUE(bench.instrument.inCommunicationMode());
    EXPECT_EQ(bench.instrument.receivedWords(), (Words{";", "COM;", "VER;"}));

    EXPECT_TRUE(bench.pc.Disconnect());
    EXPECT_FALSE(bench.instrument.inCommunicationMode());
    EXPECT_FALSE(bench.ftdi.HasHandle());
    EXPECT_EQ(bench.pc.ModelCode(), GetParam().modelCode) << "kept after Disconnect";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstrumentHandshakeTest,
    ::testing::Values(
        HandshakeCase{"Iii", Model("T7300-III", 1500000, "V1.00"), 1, {10, 20, 30}},
        HandshakeCase{"IiiWithMl", Model("T7300-III", 1500000, "ML V1.00"), 5, {10, 20, 30}},
        HandshakeCase{"Iv", Model("T7300-IV", 1500000, "V2.10"), 1, {10, 20, 30}},
        HandshakeCase{"IvWithMl", Model("T7300-IV", 1500000, "V2.10 ML"), 5, {10, 20, 30}},
        HandshakeCase{"IvWithLowerMl", Model("T7300-IV", 1500000, "V2.10 ml"), 1, {10, 20, 30}},
        HandshakeCase{"Ex250k", Model("T7300-EX", 250000, "V1.00"), 2, {10, 20, 30}},
        HandshakeCase{"Ex500k", Model("T7300-EX", 500000, "V1.00"), 3, {10, 10, 20, 30}},
        HandshakeCase{
            "Ex750kWithMl", Model("T7300-EX", 750000, "V1.00 ML"), 4, {10, 10, 10, 20, 30}},
        HandshakeCase{"Gresa", Model("T7310", 1500000, "G3.01"), 5, {10, 20, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailedHandshakeCase {
    const char* name;
    SimulatedInstrumentConfig config;
    Words heard;
    // The code of the last row that opened.
    int32_t modelCode;
};

SimulatedFaults NoAnswer() {
    SimulatedFaults faults;
    faults.noAnswer = true;
    return faults;
}

SimulatedFaults Garbage() {
    SimulatedFaults faults;
    faults.garbage = true;
    return faults;
}

SimulatedFaults CutReplyShort() {
    SimulatedFaults faults;
    faults.cutReplyShort = true;
    return faults;
}

SimulatedFaults SilenceAfter(size_t bytes) {
    SimulatedFaults faults;
    faults.silenceAfterBytes = bytes;
    return faults;
}

SimulatedInstrumentConfig WithFaults(SimulatedFaults faults) {
    SimulatedInstrumentConfig config;
    config.faults = faults;
    return config;
}

class FailedHandshakeTest : public ::testing::TestWithParam<FailedHandshakeCase> {};

TEST_P(FailedHandshakeTest, GivesUpInBoundedTimeWithTheConverterClosed) {
    SimBench bench(GetParam().config);
    const uint32_t start = bench.clock.TickCount();
    EXPECT_FALSE(bench.pc.Connect(nullptr));
    EXPECT_LT(bench.clock.TickCount() - start, kConnectBoundMs);
    EXPECT_FALSE(bench.ftdi.HasHandle());
    EXPECT_FALSE(bench.driver.isOpen());
    EXPECT_EQ(bench.instrument.receivedWords(), GetParam().heard);
    EXPECT_FALSE(bench.instrument.inCommunicationMode());
    EXPECT_EQ(bench.pc.ModelCode(), GetParam().modelCode);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedHandshakeTest,
    ::testing::Values(
        FailedHandshakeCase{"NoAnswer", WithFaults(NoAnswer()), {";", "STP;"}, 1},
        FailedHandshakeCase{"Garbage", WithFaults(Garbage()), {";", "COM;", "STP;"}, 1},
        FailedHandshakeCase{"CutReplyShort", WithFaults(CutReplyShort()), {";", "COM;", "STP;"}, 1},
        FailedHandshakeCase{"UnknownDescription", Model("T9999", 1500000, "V1"), {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailedHandshake, NoAnswerWaitsOutTheProbeBeforeGivingUp) {
    SimBench bench(WithFaults(NoAnswer()));
    const uint32_t start = bench.clock.TickCount();
    EXPECT_FALSE(bench.pc.Connect(nullptr));
    EXPECT_GE(bench.clock.TickCount() - start, 5000u + 1000u);
}

// --- Download ------------------------------------------------------------------------------

struct DownloadCase {
    const char* name;
    size_t routeLength;
    size_t dataLength;
};

class InstrumentDownloadTest : public ::testing::TestWithParam<DownloadCase> {};

TEST_P(InstrumentDownloadTest, FetchesBothBlocksByteForByte) {
    SimulatedInstrumentConfig config;
    config.routeBlock = PatternBytes(GetParam().routeLength, 1);
    config.dataBlock = PatternBytes(GetParam().dataLength, 2);
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));

    test::RecordingProgress progress;
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    ASSERT_TRUE(bench.pc.DownloadData(route, data, &progress, 30, 70));
    EXPECT_EQ(route, AsVector(config.routeBlock));
    EXPECT_EQ(data, AsVector(config.dataBlock));

    // The route block moves the bar from 32 to 50, the data block from 52 to 70.
    for (const double value : progress.positions) {
        EXPECT_GE(value, 30);
        EXPECT_LE(value, 70);
    }
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    if (GetParam().routeLength > 0) {
        EXPECT_NE(std::find(progress.positions.begin(), progress.positions.end(), 50.0),
                  progress.positions.end());
    }
    if (GetParam().dataLength > 0) {
        ASSERT_FALSE(progress.positions.empty());
        EXPECT_EQ(progress.positions.back(), 70);
    }
    if (GetParam().routeLength == 0 && GetParam().dataLength == 0) {
        EXPECT_TRUE(progress.positions.empty()) << "header exchanges report nothing";
    }

    EXPECT_TRUE(bench.pc.Disconnect());
    // An empty block is announced as length 0 and not asked for.
    Words session{";", "COM;", "VER;", "TXR;"};
    if (GetParam().routeLength > 0) {
        session.push_back("ACK;");
    }
    session.push_back("TXD;");
    if (GetParam().dataLength > 0) {
        session.push_back("ACK;");
    }
    session.push_back("STP;");
    EXPECT_EQ(bench.instrument.receivedWords(), session);
    EXPECT_EQ(bench.instrument.PendingOutput(), 0u);
    EXPECT_TRUE(bench.instrument.log().empty());
}

INSTANTIATE_TEST_SUITE_P(Blocks, InstrumentDownloadTest,
                         ::testing::Values(DownloadCase{"BothEmpty", 0, 0},
                                           DownloadCase{"OneByteEach", 1, 1},
                                           DownloadCase{"EmptyRoutes", 0, 5000},
                                           DownloadCase{"EmptyData", 5000, 0},
                                           DownloadCase{"ManyReads", 5000, 70000},
                                           DownloadCase{"LargeRoutes", 70000, 5000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BrokenDownloadCase {
    const char* name;
    size_t routeLength;
    SimulatedFaults faults;
};

class BrokenDownloadTest : public ::testing::TestWithParam<BrokenDownloadCase> {};

TEST_P(BrokenDownloadTest, FailsWithBothOutputsEmpty) {
    SimulatedInstrumentConfig config;
    config.routeBlock = PatternBytes(GetParam().routeLength, 1);
    config.dataBlock = PatternBytes(100, 2);
    config.faults = GetParam().faults;
    SimBench bench(config);
    if (!bench.pc.Connect(nullptr)) {
        // A fault that spoils every reply also spoils the hand-shake: communication mode is
        // entered behind its back, so that the download itself meets the fault.
        ASSERT_TRUE(bench.Open());
        static constexpr uint8_t kCom[] = {'C', 'O', 'M', ';'};
        bench.instrument.Receive(kCom);
        bench.instrument.DiscardOutput();
    }
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    EXPECT_FALSE(bench.pc.DownloadData(route, data, nullptr, 30, 70));
    EXPECT_TRUE(route.empty());
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(Heard(bench, "TXD;")) << "the data block is not asked for after a broken route";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenDownloadTest,
    ::testing::Values(BrokenDownloadCase{"CutReplyShort", 3000, CutReplyShort()},
                      BrokenDownloadCase{"CutReplyShortOneByte", 1, CutReplyShort()},
                      BrokenDownloadCase{"SilenceAtOnce", 3000, SilenceAfter(0)},
                      BrokenDownloadCase{"SilenceHalfway", 3000, SilenceAfter(1500)},
                      BrokenDownloadCase{"SilenceBeforeLastByte", 3000, SilenceAfter(2999)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrokenDownload, SilenceEndsTheBlockAfterTwoSecondsWithoutBytes) {
    SimulatedInstrumentConfig config;
    config.routeBlock = PatternBytes(3000, 1);
    config.faults.silenceAfterBytes = 1500;
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    const uint32_t start = bench.clock.TickCount();
    EXPECT_FALSE(bench.pc.DownloadData(route, data, nullptr, 30, 70));
    EXPECT_GE(bench.clock.TickCount() - start, 2000u);
    EXPECT_LT(bench.clock.TickCount() - start, 2000u + 1000u);
}

// --- Upload --------------------------------------------------------------------------------

TEST(InstrumentUpload, SendsTheBlockInAcknowledgedPieces) {
    SimulatedInstrumentConfig config;
    config.pieceSize = 0x1000;
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    const std::string block = PatternBytes(10000, 3);
    ASSERT_TRUE(Upload(bench, block));
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), block);
    EXPECT_TRUE(bench.instrument.uploadComplete());
    // 4096, 4096 and 1808 bytes.
    EXPECT_EQ(bench.instrument.acknowledgedPieces(), 3u);
    EXPECT_TRUE(bench.instrument.routesErased());
    EXPECT_TRUE(bench.instrument.dataErased());
    EXPECT_TRUE(bench.pc.Disconnect());
    EXPECT_EQ(bench.instrument.receivedWords(),
              (Words{";", "COM;", "VER;", "CLR;", "CLD;", "RXR:" + UpperHex(10000) + ";", "STP;"}));
    EXPECT_EQ(UpperHex(10000), "2710");
    EXPECT_TRUE(bench.instrument.log().empty());
}

struct BusyCase {
    const char* name;
    uint32_t clrBusyMs;
    uint32_t cldBusyMs;
    bool uploaded;
    bool dataEraseAsked;
    bool dataErased;
};

class BusyEraseTest : public ::testing::TestWithParam<BusyCase> {};

TEST_P(BusyEraseTest, WaitsOutTheBusyInstrumentForSoLong) {
    SimulatedInstrumentConfig config;
    config.clrBusyMs = GetParam().clrBusyMs;
    config.cldBusyMs = GetParam().cldBusyMs;
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    const std::string block = PatternBytes(300, 4);
    EXPECT_EQ(Upload(bench, block), GetParam().uploaded);
    EXPECT_EQ(bench.instrument.dataErased(), GetParam().dataErased);
    EXPECT_EQ(Heard(bench, "CLD;"), GetParam().dataEraseAsked);
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), GetParam().uploaded ? block : "");
}

INSTANTIATE_TEST_SUITE_P(
    Busy, BusyEraseTest,
    ::testing::Values(BusyCase{"RoutesIn40s", 40000, 0, true, true, true},
                      BusyCase{"RoutesIn60sIsTooSlow", 60000, 0, false, false, false},
                      BusyCase{"BothBusy", 40000, 70000, true, true, true},
                      BusyCase{"DataIn90sIsTooSlow", 0, 90000, false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct MissingAckCase {
    const char* name;
    size_t missingAck;
    size_t acknowledged;
    size_t arrived;
};

class UnacknowledgedPieceTest : public ::testing::TestWithParam<MissingAckCase> {};

TEST_P(UnacknowledgedPieceTest, FailsTheUploadAndSendsNoMore) {
    SimulatedInstrumentConfig config;
    config.pieceSize = 0x1000;
    config.faults.missingAck = GetParam().missingAck;
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    const std::string block = PatternBytes(10000, 5);
    EXPECT_FALSE(Upload(bench, block));
    EXPECT_EQ(bench.instrument.acknowledgedPieces(), GetParam().acknowledged);
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), block.substr(0, GetParam().arrived));
    // The instrument has every byte only when the last piece went unacknowledged.
    EXPECT_EQ(bench.instrument.uploadComplete(), GetParam().arrived == block.size());
}

INSTANTIATE_TEST_SUITE_P(Pieces, UnacknowledgedPieceTest,
                         ::testing::Values(MissingAckCase{"First", 1, 0, 0x1000},
                                           MissingAckCase{"Second", 2, 1, 0x2000},
                                           MissingAckCase{"Last", 3, 2, 10000}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Unplugging ----------------------------------------------------------------------------

TEST(InstrumentUnplug, MidDownloadFailsAndAReplugIsProbedAfresh) {
    SimulatedInstrumentConfig config;
    config.routeBlock = PatternBytes(5000, 1);
    config.dataBlock = PatternBytes(7000, 2);
    SimBench bench(config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));

    test::RecordingProgress progress;
    // The first raw bytes of the route block have arrived when the converter is pulled out.
    progress.onReport = [&bench] { bench.driver.Unplug(); };
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    EXPECT_FALSE(bench.pc.DownloadData(route, data, &progress, 30, 70));
    EXPECT_EQ(progress.positions.size(), 1u);
    EXPECT_TRUE(route.empty());
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(bench.ftdi.HasHandle());
    EXPECT_FALSE(bench.pc.IsConnected());

    bench.driver.Replug();
    EXPECT_FALSE(bench.pc.IsConnected()) << "within 1000 ms the last answer stands";
    bench.clock.Advance(1000);
    EXPECT_TRUE(bench.pc.IsConnected());
    EXPECT_TRUE(bench.driver.isOpen());

    ASSERT_TRUE(bench.pc.Connect(nullptr));
    EXPECT_EQ(bench.pc.ModelCode(), 1);
    ASSERT_TRUE(bench.pc.DownloadData(route, data, nullptr, 30, 70));
    EXPECT_EQ(route, AsVector(config.routeBlock));
    EXPECT_EQ(data, AsVector(config.dataBlock));
}

}  // namespace
}  // namespace wl

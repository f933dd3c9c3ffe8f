#include "sim/simulated_instrument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/sim_bench.h"

namespace wl {
namespace {

using test::PatternBytes;
using test::SimBench;
using Words = std::vector<std::string>;

SimulatedInstrumentConfig Model(std::string description, uint32_t baud, std::string version) {
    SimulatedInstrumentConfig config;
    config.usbDescription = std::move(description);
    config.baud = baud;
    config.versionText = std::move(version);
    return config;
}

void EnterCommunicationMode(SimBench& bench) {
    static constexpr uint8_t kCom[] = {'C', 'O', 'M', ';'};
    bench.instrument.Receive(kCom);
    bench.instrument.DiscardOutput();
}

// --- Hand-shake over the model rows -------------------------------------------------------

struct HandshakeCase {
    const char* name;
    SimulatedInstrumentConfig config;
    int expectedCode;
    // Rows tried at a wrong speed: their probe and "STP;" arrive as noise.
    size_t noisyRows = 0;
};

class HandshakeTest : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeTest, ConnectsAtItsOwnRowWithTheHandshakeWords) {
    SimBench bench(GetParam().config);
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    EXPECT_EQ(bench.pc.ModelCode(), GetParam().expectedCode);
    EXPECT_EQ(bench.pc.VersionText(), test::Widened(GetParam().config.versionText + ";"));
    EXPECT_TRUE(bench.instrument.inCommunicationMode());
    EXPECT_EQ(bench.instrument.receivedWords(), (Words{";", "COM;", "VER;"}));
    EXPECT_EQ(bench.instrument.log().size(), 2 * GetParam().noisyRows);
}

INSTANTIATE_TEST_SUITE_P(
    Models, HandshakeTest,
    ::testing::Values(HandshakeCase{"Iv", Model("T7300-IV", 1500000, "V2.10"), 1},
                      HandshakeCase{"IvWithMl", Model("T7300-IV", 1500000, "V2.10 ML"), 5},
                      HandshakeCase{"Ex250k", Model("T7300-EX", 250000, "V1.00"), 2},
                      HandshakeCase{"Ex750kWithMl", Model("T7300-EX", 750000, "V1.00 ML"), 4, 2},
                      HandshakeCase{"Gresa", Model("T7310", 1500000, "G3.01"), 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HandshakeAtWrongSpeed, FailsAtTheFirstExRowAndSucceedsAtItsOwn) {
    SimBench bench(Model("T7300-EX", 500000, "V1.00"));
    ASSERT_TRUE(bench.pc.Connect(nullptr));
    EXPECT_EQ(bench.pc.ModelCode(), 3);
    // At 250 000 baud the probe and the "STP;" after it arrived as noise, unanswered.
    EXPECT_EQ(bench.instrument.receivedWords(), (Words{";", "COM;", "VER;"}));
    EXPECT_EQ(bench.instrument.log(),
              (Words{"1 unreadable bytes: line noise", "4 unreadable bytes: line noise"}));
}

TEST(HandshakeWithoutInstrument, FindsNoRowForAnUnknownDescription) {
    SimBench bench(Model("T9999", 1500000, "V1"));
    EXPECT_FALSE(bench.pc.Connect(nullptr));
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
}

// --- Single words --------------------------------------------------------------------------

struct WordCase {
    const char* name;
    bool communicating;
    const char* command;
    const char* reply;
};

class WordTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(WordTest, AnswersExactly) {
    SimulatedInstrumentConfig config;
    config.versionText = "V2.10 ML";
    SimBench bench(config);
    ASSERT_TRUE(GetParam().communicating ? bench.OpenCommunicating() : bench.Open());
    const test::PcReply reply = bench.words.Transact(GetParam().command, 128, true, 1000);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, GetParam().reply);
    EXPECT_TRUE(bench.instrument.log().empty());
}

INSTANTIATE_TEST_SUITE_P(Words, WordTest,
                         ::testing::Values(WordCase{"Probe", false, ";", "OK;"},
                                           WordCase{"ProbeWhileCommunicating", true, ";", "OK;"},
                                           WordCase{"Com", false, "COM;", "ACK;"},
                                           WordCase{"Version", true, "VER;", "V2.10 ML;"},
                                           WordCase{"Stop", true, "STP;", "ACK;"},
                                           WordCase{"StopOutsideCommunication", false, "STP;",
                                                    "ACK;"},
                                           WordCase{"EraseRoutes", true, "CLR;", "ACK;"},
                                           WordCase{"EraseData", true, "CLD;", "ACK;"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommunicationMode, IsEnteredByComAndLeftByStp) {
    SimBench bench;
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_TRUE(bench.instrument.inCommunicationMode());
    bench.words.Word("STP;");
    EXPECT_FALSE(bench.instrument.inCommunicationMode());
    EXPECT_EQ(bench.words.Word("VER;").bytes, "");
    EXPECT_EQ(bench.instrument.log(), (Words{"\"VER;\" outside communication mode"}));
}

// --- Blocks handed out ---------------------------------------------------------------------

struct DownloadCase {
    const char* name;
    size_t routeLength;
    size_t dataLength;
};

class DownloadTest : public ::testing::TestWithParam<DownloadCase> {};

TEST_P(DownloadTest, HandsOutBothBlocksByteForByteAfterAck) {
    SimulatedInstrumentConfig config;
    config.routeBlock = PatternBytes(GetParam().routeLength, 1);
    config.dataBlock = PatternBytes(GetParam().dataLength, 2);
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());

    EXPECT_EQ(bench.words.Word("TXR;").bytes,
              "BLK:" + test::UpperHex(GetParam().routeLength) + ";");
    EXPECT_EQ(bench.instrument.PendingOutput(), 0u) << "no byte of the block before the ACK";

    SimBench again(config);
    ASSERT_TRUE(again.OpenCommunicating());
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    ASSERT_TRUE(again.pc.DownloadData(route, data, nullptr, 30, 70));
    EXPECT_EQ(route, test::AsVector(config.routeBlock));
    EXPECT_EQ(data, test::AsVector(config.dataBlock));
    EXPECT_EQ(again.instrument.PendingOutput(), 0u) << "nothing after the block";
    EXPECT_TRUE(again.instrument.log().empty());
}

INSTANTIATE_TEST_SUITE_P(Blocks, DownloadTest,
                         ::testing::Values(DownloadCase{"BothEmpty", 0, 0},
                                           DownloadCase{"EmptyRoutes", 0, 300},
                                           DownloadCase{"EmptyData", 300, 0},
                                           DownloadCase{"OneByte", 1, 1},
                                           DownloadCase{"ManyReads", 5000, 70000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Download, AckWithoutOfferedBlockIsAComplaint) {
    SimBench bench;
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("TXR;").bytes, "BLK:0;");
    EXPECT_EQ(bench.words.Word("ACK;").bytes, "");
    EXPECT_EQ(bench.instrument.log(), (Words{"\"ACK;\" with no block offered"}));
}

TEST(Download, AnotherCommandWithdrawsTheOfferedBlock) {
    SimulatedInstrumentConfig config;
    config.routeBlock = "ROUTES";
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("TXR;").bytes, "BLK:6;");
    EXPECT_EQ(bench.words.Word("VER;").bytes, "V2.10;");
    EXPECT_EQ(bench.words.Word("ACK;").bytes, "");
    EXPECT_EQ(bench.instrument.log(), (Words{"\"ACK;\" with no block offered"}));
}

// --- Blocks taken in -----------------------------------------------------------------------

struct UploadCase {
    const char* name;
    size_t length;
    uint32_t pieceSize;
    size_t pieces;
};

class UploadTest : public ::testing::TestWithParam<UploadCase> {};

TEST_P(UploadTest, AcknowledgesEveryPieceAndKeepsTheBlock) {
    SimulatedInstrumentConfig config;
    config.pieceSize = GetParam().pieceSize;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    const std::string block = PatternBytes(GetParam().length, 3);
    ASSERT_TRUE(bench.pc.UploadRoutes(test::BytesOf(block), static_cast<uint32_t>(block.size()),
                                      nullptr, 0, 100));
    EXPECT_EQ(bench.instrument.acknowledgedPieces(), GetParam().pieces);
    EXPECT_TRUE(bench.instrument.uploadComplete());
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), block);
    EXPECT_EQ(bench.instrument.receivedWords(),
              (Words{"COM;", "CLR;", "CLD;", "RXR:" + test::UpperHex(block.size()) + ";"}));
    EXPECT_TRUE(bench.instrument.log().empty());
}

INSTANTIATE_TEST_SUITE_P(Blocks, UploadTest,
                         ::testing::Values(UploadCase{"Header1A2B", 0x1A2B, 0x1000, 2},
                                           UploadCase{"ThreePieces", 10000, 0x1000, 3},
                                           UploadCase{"SmallPieces", 1000, 0x100, 4},
                                           UploadCase{"PieceLargerThanBlock", 10, 0x1000, 1},
                                           UploadCase{"EmptyBlock", 0, 0x1000, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Upload, AnnouncesThePieceSize) {
    SimBench bench;
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("RXR:1A2B;").bytes, "BLK:1000;");
}

TEST(Upload, EmptyPiecesAreAcknowledgedOnATimerUntilThePcGivesUp) {
    SimulatedInstrumentConfig config;
    config.pieceSize = 0;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    // The erasing and header exchanges alone, timed on a twin, leave the time of the pieces.
    SimBench twin(config);
    ASSERT_TRUE(twin.OpenCommunicating());
    const uint32_t twinStart = twin.clock.TickCount();
    ASSERT_TRUE(twin.pc.UploadRoutes(nullptr, 0, nullptr, 0, 100));
    const uint32_t exchanges = twin.clock.TickCount() - twinStart;
    const std::string block = "ABCDEFGHIJ";
    const uint32_t start = bench.clock.TickCount();
    EXPECT_TRUE(bench.pc.UploadRoutes(test::BytesOf(block), static_cast<uint32_t>(block.size()),
                                      nullptr, 0, 100));
    // 10 000 ms of empty pieces, one acknowledgement per 100 ms, each one awaited.
    const uint32_t pieces = bench.clock.TickCount() - start - exchanges;
    EXPECT_GE(pieces, 10000u);
    EXPECT_LT(pieces, 10500u);
    EXPECT_GE(bench.instrument.acknowledgedPieces(), 99u);
    EXPECT_LE(bench.instrument.acknowledgedPieces(), 101u);
    EXPECT_TRUE(bench.instrument.receivedRouteBlock().empty());
    // The next command ends the empty pieces: no acknowledgement arrives after it.
    EXPECT_EQ(bench.words.Word("STP;").bytes, "ACK;");
    EXPECT_EQ(bench.instrument.MillisecondsUntilNextOutput(), std::nullopt);
}

TEST(Upload, StalledUploadIsAbandonedSoTheNextCommandIsHeard) {
    SimulatedInstrumentConfig config;
    config.pieceSize = 4;
    config.faults.missingAck = 2;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    const std::string block = "ABCDEFGHIJ";
    EXPECT_FALSE(bench.pc.UploadRoutes(test::BytesOf(block), static_cast<uint32_t>(block.size()),
                                       nullptr, 0, 100));
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), "ABCDEFGH");
    EXPECT_EQ(bench.words.Word("STP;").bytes, "ACK;");
    EXPECT_EQ(bench.instrument.log(), (Words{"upload abandoned after 8 of 10 bytes"}));
}

// --- Erasing -------------------------------------------------------------------------------

struct EraseCase {
    const char* name;
    const char* command;
    uint32_t busyMs;
    uint32_t pcWaitMs;
    bool acknowledged;
};

class EraseTest : public ::testing::TestWithParam<EraseCase> {};

TEST_P(EraseTest, IsBusyForTheConfiguredTimeThenAcknowledges) {
    SimulatedInstrumentConfig config;
    (std::string_view(GetParam().command) == "CLR;" ? config.clrBusyMs : config.cldBusyMs) =
        GetParam().busyMs;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Transact(GetParam().command, 4, true, 1000).bytes, "BSY;");
    const uint32_t busySince = bench.clock.TickCount();
    EXPECT_EQ(bench.words.WaitForAck(GetParam().pcWaitMs), GetParam().acknowledged);
    const uint32_t waited = bench.clock.TickCount() - busySince;
    if (GetParam().acknowledged) {
        EXPECT_GE(waited, GetParam().busyMs);
        EXPECT_LE(waited, GetParam().busyMs + 2);
    } else {
        EXPECT_GE(waited, GetParam().pcWaitMs);
    }
    const bool erased = std::string_view(GetParam().command) == "CLR;"
                            ? bench.instrument.routesErased()
                            : bench.instrument.dataErased();
    EXPECT_EQ(erased, GetParam().acknowledged);
}

INSTANTIATE_TEST_SUITE_P(Busy, EraseTest,
                         ::testing::Values(EraseCase{"RoutesIn40s", "CLR;", 40000, 50000, true},
                                           EraseCase{"RoutesTooSlow", "CLR;", 60000, 50000, false},
                                           EraseCase{"DataIn60s", "CLD;", 60000, 80000, true},
                                           EraseCase{"DataTooSlow", "CLD;", 90000, 80000, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Erase, BusyThenBothErasedBeforeAnUpload) {
    SimulatedInstrumentConfig config;
    config.clrBusyMs = 3000;
    config.cldBusyMs = 5000;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    const std::string block = "ROUTES";
    EXPECT_TRUE(bench.pc.UploadRoutes(test::BytesOf(block), static_cast<uint32_t>(block.size()),
                                      nullptr, 0, 100));
    EXPECT_TRUE(bench.instrument.routesErased());
    EXPECT_TRUE(bench.instrument.dataErased());
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), "ROUTES");
    EXPECT_TRUE(bench.instrument.log().empty());
}

TEST(Erase, CommandWhileErasingIsNotAnswered) {
    SimulatedInstrumentConfig config;
    config.clrBusyMs = 5000;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("CLR;").bytes, "BSY;");
    EXPECT_EQ(bench.words.Word("VER;").bytes, "");
    EXPECT_EQ(bench.instrument.log(), (Words{"\"VER;\" while erasing"}));
}

// --- Strictness ----------------------------------------------------------------------------

struct StrictCase {
    const char* name;
    bool communicating;
    std::string command;
    std::string complaint;
};

class StrictTest : public ::testing::TestWithParam<StrictCase> {};

TEST_P(StrictTest, AnswersNothingAndLogs) {
    SimBench bench;
    ASSERT_TRUE(GetParam().communicating ? bench.OpenCommunicating() : bench.Open());
    const test::PcReply reply = bench.words.Word(GetParam().command);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, "");
    EXPECT_EQ(bench.instrument.log(), (Words{GetParam().complaint}));
    // And it still listens.
    EXPECT_EQ(bench.words.Word(";").bytes, "OK;");
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, StrictTest,
    ::testing::Values(
        StrictCase{"UnknownWord", true, "FOO;", "unknown word \"FOO;\""},
        StrictCase{"LowerCase", true, "ver;", "unknown word \"ver;\""},
        StrictCase{"VersionOutside", false, "VER;", "\"VER;\" outside communication mode"},
        StrictCase{"EraseOutside", false, "CLR;", "\"CLR;\" outside communication mode"},
        StrictCase{"DownloadOutside", false, "TXD;", "\"TXD;\" outside communication mode"},
        StrictCase{"UploadOutside", false, "RXR:10;", "\"RXR:10;\" outside communication mode"},
        StrictCase{"UploadNoLength", true, "RXR:;", "\"RXR:;\": malformed length"},
        StrictCase{"UploadLowerHex", true, "RXR:1a2b;", "\"RXR:1a2b;\": malformed length"},
        StrictCase{"UploadLeadingZero", true, "RXR:01A;", "\"RXR:01A;\": malformed length"},
        StrictCase{"UploadTooLong", true, "RXR:123456789;", "\"RXR:123456789;\": malformed length"},
        StrictCase{"UploadSpace", true, "RXR: 10;", "\"RXR: 10;\": malformed length"},
        StrictCase{"Overlong", true, std::string(70, 'A') + ";",
                   "word longer than 64 bytes: \"AAAAAAAAAAAAAAAA...\""},
        StrictCase{"Noise", true, "\x01\x02;", "2 unreadable bytes: line noise"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Faults --------------------------------------------------------------------------------

TEST(Fault, NoAnswerHearsButNeverSpeaks) {
    SimulatedInstrumentConfig config;
    config.faults.noAnswer = true;
    SimBench bench(config);
    EXPECT_FALSE(bench.pc.Connect(nullptr));
    EXPECT_EQ(bench.instrument.receivedWords(), (Words{";", "STP;"}));
}

struct ReplyFaultCase {
    const char* name;
    SimulatedFaults faults;
    const char* command;
    const char* reply;
};

class ReplyFaultTest : public ::testing::TestWithParam<ReplyFaultCase> {};

TEST_P(ReplyFaultTest, SpoilsTheReply) {
    SimulatedInstrumentConfig config;
    config.versionText = "V2.10 ML";
    config.routeBlock = "ROUTES";
    config.faults = GetParam().faults;
    SimBench bench(config);
    ASSERT_TRUE(bench.Open());
    // Into communication mode behind the fault's back, so the command under test is reached.
    EnterCommunicationMode(bench);
    EXPECT_EQ(bench.words.Transact(GetParam().command, 128, true, 1000).bytes, GetParam().reply);
}

SimulatedFaults Garbage() {
    SimulatedFaults faults;
    faults.garbage = true;
    return faults;
}

SimulatedFaults CutShort() {
    SimulatedFaults faults;
    faults.cutReplyShort = true;
    return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyFaultTest,
    ::testing::Values(ReplyFaultCase{"GarbageProbe", Garbage(), ";", "??;"},
                      ReplyFaultCase{"GarbageAck", Garbage(), "STP;", "???;"},
                      ReplyFaultCase{"GarbageVersion", Garbage(), "VER;", "????????;"},
                      ReplyFaultCase{"GarbageHeader", Garbage(), "TXR;", "?????;"},
                      ReplyFaultCase{"CutAck", CutShort(), "STP;", "ACK"},
                      ReplyFaultCase{"CutVersion", CutShort(), "VER;", "V2.10 ML"},
                      ReplyFaultCase{"CutHeader", CutShort(), "TXR;", "BLK:6"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Fault, GarbageFailsTheHandshakeAtEveryRow) {
    SimulatedInstrumentConfig config;
    config.faults.garbage = true;
    SimBench bench(config);
    EXPECT_FALSE(bench.pc.Connect(nullptr));
    EXPECT_EQ(bench.instrument.receivedWords(), (Words{";", "COM;", "STP;"}));
}

TEST(Fault, CutShortLosesTheLastByteOfABlock) {
    SimulatedInstrumentConfig config;
    config.dataBlock = PatternBytes(100);
    config.faults.cutReplyShort = true;
    SimBench bench(config);
    ASSERT_TRUE(bench.Open());
    EnterCommunicationMode(bench);
    EXPECT_EQ(bench.words.Word("TXD;").bytes, "BLK:64");
    EXPECT_EQ(bench.words.Transact("ACK;", 100, false, 2000).bytes, PatternBytes(99));
}

struct SilenceCase {
    const char* name;
    size_t length;
    size_t silenceAfter;
    size_t arrives;
};

class SilenceTest : public ::testing::TestWithParam<SilenceCase> {};

TEST_P(SilenceTest, StopsTheBlockAfterSoManyBytes) {
    SimulatedInstrumentConfig config;
    config.dataBlock = PatternBytes(GetParam().length);
    config.faults.silenceAfterBytes = GetParam().silenceAfter;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("TXD;").bytes, "BLK:" + test::UpperHex(GetParam().length) + ";");
    const test::PcReply block =
        bench.words.Transact("ACK;", static_cast<uint32_t>(GetParam().length), false, 2000);
    EXPECT_EQ(block.bytes, PatternBytes(GetParam().arrives));
    SimBench whole(config);
    ASSERT_TRUE(whole.OpenCommunicating());
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    EXPECT_EQ(whole.pc.DownloadData(route, data, nullptr, 30, 70),
              GetParam().arrives == GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Blocks, SilenceTest,
                         ::testing::Values(SilenceCase{"Nothing", 100, 0, 0},
                                           SilenceCase{"Half", 100, 50, 50},
                                           SilenceCase{"AllButOne", 3000, 2999, 2999},
                                           SilenceCase{"Whole", 100, 100, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MissingAckCase {
    const char* name;
    size_t length;
    uint32_t pieceSize;
    size_t missingAck;
    size_t acknowledged;
    // The PC sends nothing after the piece that went unacknowledged.
    size_t arrived;
};

class MissingAckTest : public ::testing::TestWithParam<MissingAckCase> {};

TEST_P(MissingAckTest, FailsTheUploadAtThatPiece) {
    SimulatedInstrumentConfig config;
    config.pieceSize = GetParam().pieceSize;
    config.faults.missingAck = GetParam().missingAck;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    const std::string block = PatternBytes(GetParam().length);
    EXPECT_FALSE(bench.pc.UploadRoutes(test::BytesOf(block), static_cast<uint32_t>(block.size()),
                                       nullptr, 0, 100));
    EXPECT_EQ(bench.instrument.acknowledgedPieces(), GetParam().acknowledged);
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), block.substr(0, GetParam().arrived));
    EXPECT_FALSE(bench.instrument.uploadComplete());
}

INSTANTIATE_TEST_SUITE_P(Pieces, MissingAckTest,
                         ::testing::Values(MissingAckCase{"First", 10000, 0x1000, 1, 0, 0x1000},
                                           MissingAckCase{"Second", 10000, 0x1000, 2, 1, 0x2000},
                                           MissingAckCase{"EmptyPieces", 10, 0, 3, 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wl

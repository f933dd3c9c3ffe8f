#include "instrument/t7300_instrument.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/instrument/scripted_driver.h"
#include "tests/support/recording_progress.h"

namespace wl {
namespace {

using Calls = std::vector<std::string>;

class InstrumentTest : public ::testing::Test {
  protected:
    // An instrument behind the given description, talking at `baud` (0: any), answering the
    // hand-shake and `answers` (command -> reply) exactly.
    void Attach(std::string description, uint32_t baud, std::string version,
                std::map<std::string, std::string> answers = {}) {
        driver.present = [description](const std::string& d) { return d == description; };
        answers.emplace(";", "OK;");
        answers.emplace("COM;", "ACK;");
        answers.emplace("VER;", version + ";");
        answers.emplace("STP;", "ACK;");
        driver.responder = [baud, answers](const std::string& bytes, uint32_t lineBaud) {
            if (baud != 0 && lineBaud != baud) {
                return std::string();  // at another speed the instrument understands nothing
            }
            const auto it = answers.find(bytes);
            return it == answers.end() ? std::string() : it->second;
        };
    }

    test::VirtualClock clock;
    test::ScriptedDriver driver{clock};
    DiscardingTrace trace;
    CT7300Instrument instrument{driver, clock, trace};
    test::RecordingProgress progress;
};

size_t CountCalls(const Calls& calls, const std::string& prefix) {
    return static_cast<size_t>(std::count_if(
        calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

TEST_F(InstrumentTest, ProbingWithoutConverterTriesEveryRowAtMostOncePerSecond) {
    driver.present = [](const std::string&) { return false; };
    EXPECT_FALSE(instrument.IsConnected());
    EXPECT_EQ(driver.calls,
              (Calls{"OpenEx(T7300-III,2)", "OpenEx(T7300-IV,2)", "OpenEx(T7300-EX,2)",
                     "OpenEx(T7300-EX,2)", "OpenEx(T7300-EX,2)", "OpenEx(T7310,2)"}));
    clock.Advance(999);
    EXPECT_FALSE(instrument.IsConnected());
    EXPECT_EQ(driver.calls.size(), 6u);
    clock.Advance(1);
    EXPECT_FALSE(instrument.IsConnected());
    EXPECT_EQ(driver.calls.size(), 12u);
}

TEST_F(InstrumentTest, AnOpenConverterAnswersWithoutTouchingTheDriver) {
    Attach("T7310", 0, "G1");
    ASSERT_TRUE(instrument.IsConnected());  // opens row 6 and sends nothing
    EXPECT_TRUE(driver.written.empty());
    driver.calls.clear();
    clock.Advance(5000);
    EXPECT_TRUE(instrument.IsConnected());
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(InstrumentTest, HandShakeSetsTheModelCode) {
    struct Case {
        std::string description;
        uint32_t baud;
        std::string version;
        int32_t expectedModel;
    };
    const Case cases[] = {
        {"T7300-III", 1500000, "S 3.1", 1},
        {"T7300-IV", 1500000, "S 4.0 ML", 5},  // code 1 with "ML" is a Gresa
        {"T7300-EX", 250000, "EX ML", 2},      // the "EX" rows never become 5
        {"T7300-EX", 750000, "EX", 4},
        {"T7310", 1500000, "G", 5},
    };
    for (const Case& c : cases) {
        test::VirtualClock caseClock;
        test::ScriptedDriver caseDriver(caseClock);
        CT7300Instrument caseInstrument(caseDriver, caseClock, trace);
        caseDriver.present = [&](const std::string& d) { return d == c.description; };
        caseDriver.responder = [&](const std::string& bytes, uint32_t lineBaud) -> std::string {
            if (lineBaud != c.baud) {
                return "";
            }
            if (bytes == ";")
                return "OK;";
            if (bytes == "COM;")
                return "ACK;";
            if (bytes == "VER;")
                return c.version + ";";
            return "";
        };
        test::RecordingProgress caseProgress;
        EXPECT_TRUE(caseInstrument.Connect(&caseProgress)) << c.description << c.baud;
        EXPECT_EQ(caseInstrument.ModelCode(), c.expectedModel) << c.description << c.baud;
        EXPECT_EQ(caseProgress.positions.back(), 30);
    }
}

TEST_F(InstrumentTest, AnExInstrumentAt500000FailsRowThreeThenSucceedsAtRowFour) {
    Attach("T7300-EX", 500000, "EX 2.0");
    EXPECT_TRUE(instrument.Connect(&progress));
    EXPECT_EQ(instrument.ModelCode(), 3);
    // Row 3 heard nothing to ";" for 5 s, sent "STP;" and closed; row 4 shook hands.
    EXPECT_EQ(driver.written, ";STP;;COM;VER;");
    EXPECT_EQ(CountCalls(driver.calls, "Close"), 1u);
    EXPECT_EQ(progress.positions, (std::vector<double>{10, 10, 20, 30}));
    EXPECT_TRUE(instrument.transport().HasHandle());
}

TEST_F(InstrumentTest, FailedHandShakeLeavesTheConverterClosed) {
    Attach("T7300-IV", 1500000, "x", {{"COM;", "NAK;"}});
    driver.responder = [](const std::string& bytes, uint32_t) -> std::string {
        return bytes == ";" ? "OK;" : bytes == "COM;" ? "NAK;" : "";
    };
    EXPECT_FALSE(instrument.Connect(nullptr));
    EXPECT_FALSE(instrument.transport().HasHandle());
    EXPECT_EQ(instrument.ModelCode(), 1);  // the last row that opened
}

TEST_F(InstrumentTest, DownloadFetchesBothBlocksWithProgress) {
    const std::string data = "0123456789";
    Attach("T7300-III", 1500000, "S", {{"TXR;", "BLK:0;"}, {"TXD;", "BLK:A;"}});
    ASSERT_TRUE(instrument.Connect(nullptr));
    // The data follows the PC's "ACK;" to the data header.
    auto answer = driver.responder;
    driver.responder = [answer, data, this](const std::string& bytes, uint32_t baud) {
        if (bytes == "ACK;" && driver.written.find("TXD;") != std::string::npos) {
            return data;
        }
        return answer(bytes, baud);
    };
    std::vector<uint8_t> route;
    std::vector<uint8_t> measured;
    EXPECT_TRUE(instrument.DownloadData(route, measured, &progress, 30, 70));
    EXPECT_TRUE(route.empty());  // an empty route block, and the data exchange still follows
    EXPECT_EQ(std::string(measured.begin(), measured.end()), data);
    EXPECT_EQ(progress.positions, std::vector<double>{70});  // one read brought all ten bytes
}

TEST_F(InstrumentTest, BlockHeadersMustBeWhole) {
    struct Case {
        std::string reply;
        bool ok;
    };
    const Case cases[] = {
        {"BLK;", false},  // fewer than 5 bytes, even though it begins with BLK
        {"BLX:4;", false},
        {"BLK:;", false},              // no number
        {"BLK:FFFFFFFFFFFF;", false},  // more than any block we accept
        {"BLK:0;", true},
    };
    for (const Case& c : cases) {
        Attach("T7300-III", 1500000, "S", {{"TXR;", c.reply}, {"TXD;", "BLK:0;"}});
        instrument.Disconnect();
        ASSERT_TRUE(instrument.Connect(nullptr));
        std::vector<uint8_t> route;
        std::vector<uint8_t> measured;
        EXPECT_EQ(instrument.DownloadData(route, measured, nullptr, 30, 70), c.ok) << c.reply;
    }
}

TEST_F(InstrumentTest, UploadSendsAnnouncedPiecesEachAcknowledged) {
    std::map<std::string, std::string> answers = {
        {"CLR;", "ACK;"}, {"CLD;", "ACK;"}, {"RXR:2710;", "BLK:1000;"}};
    Attach("T7300-III", 1500000, "S", answers);
    ASSERT_TRUE(instrument.Connect(nullptr));
    auto answer = driver.responder;
    driver.responder = [answer](const std::string& bytes, uint32_t baud) {
        // Every piece the instrument takes is acknowledged after its last write.
        if (bytes.size() == 128 || bytes.size() == 1808) {
            return std::string("ACK;");
        }
        return answer(bytes, baud);
    };
    driver.calls.clear();
    const std::string block(10000, 'r');
    EXPECT_TRUE(instrument.UploadRoutes(reinterpret_cast<const uint8_t*>(block.data()), 10000,
                                        nullptr, 0, 100));
    Calls writes;
    for (const auto& call : driver.calls) {
        if (call.rfind("Write(", 0) == 0) {
            writes.push_back(call);
        }
    }
    // Three commands, then 4096 + 4096 + 1808 in writes of at most 3968.
    EXPECT_EQ(writes, (Calls{"Write(4)", "Write(4)", "Write(9)", "Write(3968)", "Write(128)",
                             "Write(3968)", "Write(128)", "Write(1808)"}));
    EXPECT_NE(driver.written.find("RXR:2710;" + block), std::string::npos);
}

TEST_F(InstrumentTest, UploadHeaderIsUpperCaseHexadecimal) {
    Attach("T7300-III", 1500000, "S", {{"CLR;", "ACK;"}, {"CLD;", "ACK;"}});
    ASSERT_TRUE(instrument.Connect(nullptr));
    const std::string block(6699, 'r');
    EXPECT_FALSE(instrument.UploadRoutes(reinterpret_cast<const uint8_t*>(block.data()), 6699,
                                         nullptr, 0, 100));  // no "BLK:" reply
    EXPECT_NE(driver.written.find("CLD;RXR:1A2B;"), std::string::npos);
}

TEST_F(InstrumentTest, PieceSizeZeroSendsNothingAndEndsOnAcknowledgementsOrTheirLack) {
    for (bool acknowledging : {false, true}) {
        Attach("T7300-III", 1500000, "S",
               {{"CLR;", "ACK;"}, {"CLD;", "ACK;"}, {"RXR:A;", "BLK:0;"}});
        instrument.Disconnect();
        ASSERT_TRUE(instrument.Connect(nullptr));
        auto answer = driver.responder;
        driver.responder = [answer, acknowledging](const std::string& bytes, uint32_t baud) {
            if (bytes.empty()) {
                return std::string(acknowledging ? "ACK;" : "");
            }
            return answer(bytes, baud);
        };
        const uint32_t start = clock.TickCount();
        EXPECT_EQ(instrument.UploadRoutes(reinterpret_cast<const uint8_t*>("0123456789"), 10,
                                          nullptr, 0, 100),
                  acknowledging);
        if (acknowledging) {
            EXPECT_GE(clock.TickCount() - start, 10000u);  // ends after 10 s without bytes
        }
    }
}

TEST_F(InstrumentTest, BusyEraseWaitsForItsAcknowledgement) {
    for (uint32_t ackAfterMs : {40000u, 60000u}) {
        Attach("T7300-III", 1500000, "S", {{"CLD;", "ACK;"}, {"RXR:1;", "BLK:10;"}});
        instrument.Disconnect();
        ASSERT_TRUE(instrument.Connect(nullptr));
        auto answer = driver.responder;
        driver.responder = [answer, ackAfterMs, this](const std::string& bytes, uint32_t baud) {
            if (bytes == "CLR;") {
                driver.later.push_back({clock.TickCount() + ackAfterMs, "ACK;"});
                return std::string("BSY;");
            }
            if (bytes == "x") {
                return std::string("ACK;");
            }
            return answer(bytes, baud);
        };
        driver.written.clear();
        const bool ok =
            instrument.UploadRoutes(reinterpret_cast<const uint8_t*>("x"), 1, nullptr, 0, 100);
        EXPECT_EQ(ok, ackAfterMs < 50000) << ackAfterMs;
        // Without the acknowledgement nothing more is erased.
        EXPECT_EQ(driver.written.find("CLD;") != std::string::npos, ackAfterMs < 50000);
    }
}

TEST_F(InstrumentTest, DisconnectOnAClosedConverterPausesAndSendsNothing) {
    const uint64_t slept = clock.slept();
    EXPECT_TRUE(instrument.Disconnect());
    EXPECT_EQ(clock.slept() - slept, 2000u);
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(InstrumentTest, AConverterPulledOutMidBlockFailsAndIsProbedAfresh) {
    Attach("T7300-III", 1500000, "S", {{"TXR;", "BLK:1000;"}});
    ASSERT_TRUE(instrument.Connect(nullptr));
    auto answer = driver.responder;
    driver.responder = [answer](const std::string& bytes, uint32_t baud) {
        return bytes == "ACK;" ? std::string(100, 'd') : answer(bytes, baud);
    };
    driver.statuses["Read"] = {ft::kOk, ft::kOk, ft::kIoError};
    std::vector<uint8_t> route;
    std::vector<uint8_t> measured;
    EXPECT_FALSE(instrument.DownloadData(route, measured, nullptr, 30, 70));
    EXPECT_TRUE(route.empty());
    EXPECT_FALSE(instrument.transport().HasHandle());
    driver.calls.clear();
    clock.Advance(1000);
    EXPECT_TRUE(instrument.IsConnected());
    EXPECT_EQ(driver.calls.front(), "OpenEx(T7300-III,2)");
}

}  // namespace
}  // namespace wl

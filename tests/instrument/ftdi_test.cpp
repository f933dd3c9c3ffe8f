#include "instrument/ftdi.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/utf16.h"
#include "tests/instrument/scripted_driver.h"

namespace wl {
namespace {

using Calls = std::vector<std::string>;

class RecordingTrace : public ITraceSink {
  public:
    void Trace(const std::u16string& line, std::span<const uint8_t> bytes) override {
        lines.push_back(Utf16ToUtf8(line));
        this->bytes.push_back(std::string(bytes.begin(), bytes.end()));
    }
    std::vector<std::string> lines;
    std::vector<std::string> bytes;
};

class FtdiTest : public ::testing::Test {
  protected:
    // Opens at 500000 baud and forgets the calls that took.
    void OpenQuietly() {
        ASSERT_TRUE(ftdi.Open("Pellix S", 500000));
        driver.calls.clear();
        driver.times.clear();
        trace.lines.clear();
        trace.bytes.clear();
    }

    test::VirtualClock clock;
    test::ScriptedDriver driver{clock};
    RecordingTrace trace;
    FTDI ftdi{driver, clock, trace};
};

const Calls kOpenCalls = {"OpenEx(Pellix S,2)",  "SetTimeouts(100,100)",
                          "SetLatencyTimer(2)",  "SetDataCharacteristics(8,0,0)",
                          "SetBaudRate(500000)", "Purge(3)"};

TEST_F(FtdiTest, OpenConfiguresTheLine) {
    EXPECT_TRUE(ftdi.Open("Pellix S", 500000));
    EXPECT_EQ(driver.calls, kOpenCalls);
    EXPECT_TRUE(ftdi.HasHandle());
    EXPECT_EQ(ftdi.LastStatus(), ft::kOk);
    EXPECT_EQ(trace.lines, Calls{"Pellix S: FT_OpenEx (baudrate = 500000) OK"});
}

TEST_F(FtdiTest, OpenWithBaudZeroKeepsTheDriversLineSettings) {
    EXPECT_TRUE(ftdi.Open("Gresa", 0));
    EXPECT_EQ(driver.calls,
              (Calls{"OpenEx(Gresa,2)", "SetTimeouts(100,100)", "SetLatencyTimer(2)", "Purge(3)"}));
}

TEST_F(FtdiTest, OpenWithoutDescriptionCallsNothing) {
    EXPECT_FALSE(ftdi.Open(std::nullopt, 500000));
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_FALSE(ftdi.HasHandle());
}

TEST_F(FtdiTest, OpenWhileOpenClosesFirst) {
    OpenQuietly();
    EXPECT_TRUE(ftdi.Open("Pellix S", 250000));
    EXPECT_EQ(driver.calls.front(), "Close");
    EXPECT_EQ(driver.calls[1], "OpenEx(Pellix S,2)");
    EXPECT_EQ(trace.lines.front(), "Pellix S: FT_Close OK");
}

TEST_F(FtdiTest, AFailingStepOfOpenClosesTheDevice) {
    struct Case {
        const char* call;
        size_t callsBeforeClose;  // calls made up to and including the failing one
        const char* line;
    };
    const Case cases[] = {
        {"SetTimeouts", 2, "Pellix S: ERROR FT_SetTimeouts (4)"},
        {"SetLatencyTimer", 3, "Pellix S: ERROR FT_SetLatencyTimer (4)"},
        {"SetDataCharacteristics", 4, "Pellix S: ERROR FT_SetDataCharacteristics (4)"},
        {"SetBaudRate", 5, "Pellix S: ERROR FT_SetBaudRate (4)"},
        {"Purge", 6, "Pellix S: ERROR FT_Purge (4)"},
    };
    for (const Case& c : cases) {
        test::VirtualClock caseClock;
        test::ScriptedDriver caseDriver(caseClock);
        RecordingTrace caseTrace;
        FTDI transport(caseDriver, caseClock, caseTrace);
        caseDriver.statuses[c.call] = {ft::kIoError};
        caseDriver.statuses["Close"] = {ft::kInvalidHandle};
        EXPECT_FALSE(transport.Open("Pellix S", 500000)) << c.call;
        Calls expected(kOpenCalls.begin(), kOpenCalls.begin() + c.callsBeforeClose);
        expected.push_back("Close");
        EXPECT_EQ(caseDriver.calls, expected) << c.call;
        EXPECT_FALSE(transport.HasHandle());
        // The last status is that of the close.
        EXPECT_EQ(transport.LastStatus(), ft::kInvalidHandle);
        EXPECT_EQ(caseTrace.lines, (Calls{c.line, "Pellix S: ERROR FT_Close (1)"})) << c.call;
    }
}

TEST_F(FtdiTest, FailedOpenExLeavesNoHandle) {
    driver.statuses["OpenEx"] = {ft::kDeviceNotFound};
    EXPECT_FALSE(ftdi.Open("Pellix S", 500000));
    EXPECT_EQ(driver.calls, Calls{"OpenEx(Pellix S,2)"});
    EXPECT_FALSE(ftdi.HasHandle());
    EXPECT_EQ(ftdi.LastStatus(), ft::kDeviceNotFound);
    EXPECT_EQ(trace.lines, Calls{"Pellix S: ERROR FT_OpenEx (2)"});
}

TEST_F(FtdiTest, SendCutsPiecesOf3968Bytes) {
    OpenQuietly();
    const std::string block(10000, 'b');
    EXPECT_TRUE(ftdi.Send(block.data(), 10000));
    EXPECT_EQ(driver.calls, (Calls{"Write(3968)", "Write(3968)", "Write(2064)"}));
    EXPECT_EQ(driver.written, block);
    driver.calls.clear();
    EXPECT_TRUE(ftdi.Send(block.data(), 0));
    EXPECT_EQ(driver.calls, Calls{"Write(0)"});
}

TEST_F(FtdiTest, AShortWriteFailsButKeepsTheDeviceOpen) {
    OpenQuietly();
    driver.shortWrites = {0, 68};
    const std::string block(5000, 'b');
    EXPECT_FALSE(ftdi.Send(block.data(), 5000));
    EXPECT_EQ(driver.calls, (Calls{"Write(3968)", "Write(1032)"}));
    EXPECT_TRUE(ftdi.HasHandle());
    EXPECT_EQ(ftdi.LastStatus(), ft::kOk);
    EXPECT_EQ(trace.lines,
              Calls{"Pellix S: FTDI::Send ERROR len (len = 1032, written = 964, cnt = 3968)"});
}

TEST_F(FtdiTest, ALibraryErrorClosesTheDevice) {
    struct Case {
        const char* what;
        std::function<bool(FTDI&)> act;
        const char* line;
    };
    const Case cases[] = {
        {"Write", [](FTDI& t) { return t.Send("x", 1); }, "Pellix S: FTDI::Send ERROR (4)"},
        {"Read",
         [](FTDI& t) {
             char buffer[4];
             uint32_t received = 0;
             return t.Read(buffer, 4, received);
         },
         "Pellix S: FTDI::Read ERROR (4)"},
    };
    for (const Case& c : cases) {
        OpenQuietly();
        driver.statuses[c.what] = {ft::kIoError};
        EXPECT_FALSE(c.act(ftdi)) << c.what;
        EXPECT_FALSE(ftdi.HasHandle()) << c.what;
        EXPECT_EQ(driver.calls.back(), "Close") << c.what;
        EXPECT_EQ(trace.lines, (Calls{c.line, "Pellix S: FT_Close OK"})) << c.what;
    }
}

TEST_F(FtdiTest, ReadReturnsWhatArrivedBeforeTheTimeOut) {
    OpenQuietly();
    char buffer[8] = {};
    uint32_t received = 99;
    EXPECT_TRUE(ftdi.Read(buffer, 8, received));
    EXPECT_EQ(received, 0u);
    driver.incoming = "ACK;";
    EXPECT_TRUE(ftdi.Read(buffer, 8, received));
    EXPECT_EQ(std::string(buffer, received), "ACK;");
    EXPECT_EQ(clock.TickCount(), 1200u);  // two time-outs of 100 ms
}

TEST_F(FtdiTest, SendCommandResetsPurgesAndWritesInOnePiece) {
    OpenQuietly();
    driver.statuses["ResetDevice"] = {ft::kIoError, ft::kIoError};  // ignored
    const std::string command = "TXR;";
    const uint32_t start = clock.TickCount();
    EXPECT_TRUE(ftdi.SendCommand(command.data(), 4));
    EXPECT_EQ(driver.calls, (Calls{"ResetDevice", "Purge(3)", "ResetDevice", "Write(4)"}));
    EXPECT_EQ(driver.times,
              (std::vector<uint32_t>{start + 100, start + 100, start + 100, start + 200}));
    EXPECT_EQ(ftdi.LastStatus(), ft::kOk);
    EXPECT_EQ(trace.lines, Calls{"Pellix S: FTDI::SendCommand OK"});
    EXPECT_EQ(trace.bytes, Calls{"TXR;"});

    driver.shortWrites = {1};
    EXPECT_FALSE(ftdi.SendCommand(command.data(), 4));
    EXPECT_TRUE(ftdi.HasHandle());
    EXPECT_EQ(trace.lines.back(), "Pellix S: FTDI::SendCommand ERROR len (len = 4, written = 3)");

    driver.statuses["Write"] = {ft::kIoError};
    EXPECT_FALSE(ftdi.SendCommand(command.data(), 4));
    EXPECT_FALSE(ftdi.HasHandle());
    EXPECT_EQ(trace.lines[trace.lines.size() - 2], "Pellix S: FTDI::SendCommand ERROR (4)");
}

TEST_F(FtdiTest, AClosedDeviceRefusesWithoutCallingTheDriver) {
    char buffer[4];
    uint32_t received = 0;
    EXPECT_FALSE(ftdi.Read(buffer, 4, received));
    EXPECT_FALSE(ftdi.Send("x", 1));
    EXPECT_FALSE(ftdi.SendCommand("x", 1));
    EXPECT_TRUE(ftdi.Close());
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_TRUE(trace.lines.empty());
}

TEST(FtdiLifetime, DestructionClosesTheDevice) {
    test::VirtualClock clock;
    test::ScriptedDriver driver(clock);
    DiscardingTrace trace;
    {
        FTDI ftdi(driver, clock, trace);
        ASSERT_TRUE(ftdi.Open("Pellix S", 750000));
    }
    EXPECT_EQ(driver.calls.back(), "Close");
}

}  // namespace
}  // namespace wl

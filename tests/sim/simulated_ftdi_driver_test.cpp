#include "sim/simulated_ftdi_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/sim_bench.h"

namespace wl {
namespace {

using test::SimBench;
using Words = std::vector<std::string>;

FtStatus WriteText(SimulatedFtdiDriver& driver, FtHandle handle, const std::string& text) {
    uint32_t written = 0;
    return driver.Write(handle, text.data(), static_cast<uint32_t>(text.size()), written);
}

std::string ReadText(SimulatedFtdiDriver& driver, FtHandle handle, uint32_t size,
                     FtStatus* status = nullptr) {
    std::string buffer(size, '\0');
    uint32_t received = 0;
    const FtStatus result = driver.Read(handle, buffer.data(), size, received);
    if (status != nullptr) {
        *status = result;
    }
    buffer.resize(received);
    return buffer;
}

// A driver opened by hand with the transport's line settings.
struct OpenDriver : SimBench {
    explicit OpenDriver(SimulatedInstrumentConfig config = {}) : SimBench(std::move(config)) {
        EXPECT_EQ(driver.OpenEx(instrument.config().usbDescription, ft::kOpenByDescription, handle),
                  ft::kOk);
        EXPECT_EQ(driver.SetTimeouts(handle, 100, 100), ft::kOk);
        EXPECT_EQ(driver.SetBaudRate(handle, instrument.config().baud), ft::kOk);
    }
    FtHandle handle = 0;
};

struct OpenCase {
    const char* name;
    const char* description;
    uint32_t flags;
    FtStatus status;
};

class OpenTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenTest, OpensOnlyTheInstrumentsDescription) {
    SimulatedInstrumentConfig config;
    config.usbDescription = "T7300-EX";
    SimBench bench(config);
    FtHandle handle = 77;
    EXPECT_EQ(bench.driver.OpenEx(GetParam().description, GetParam().flags, handle),
              GetParam().status);
    EXPECT_EQ(handle != 0, GetParam().status == ft::kOk);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, OpenTest,
    ::testing::Values(OpenCase{"Own", "T7300-EX", ft::kOpenByDescription, ft::kOk},
                      OpenCase{"Other", "T7300-IV", ft::kOpenByDescription, ft::kDeviceNotFound},
                      OpenCase{"Prefix", "T7300", ft::kOpenByDescription, ft::kDeviceNotFound},
                      OpenCase{"OtherCase", "t7300-ex", ft::kOpenByDescription,
                               ft::kDeviceNotFound},
                      OpenCase{"NotByDescription", "T7300-EX", 1, ft::kDeviceNotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Driver, TransportOpensAndFailsLikeOnAConverter) {
    SimBench bench;
    EXPECT_FALSE(bench.ftdi.Open("T7310", 1500000));
    EXPECT_EQ(bench.ftdi.LastStatus(), ft::kDeviceNotFound);
    EXPECT_TRUE(bench.ftdi.Open("T7300-IV", 1500000));
    EXPECT_TRUE(bench.driver.isOpen());
    EXPECT_EQ(bench.driver.lineBaud(), 1500000u);
    EXPECT_TRUE(bench.ftdi.Close());
    EXPECT_FALSE(bench.driver.isOpen());
}

TEST(Driver, SecondOpenerIsRefused) {
    OpenDriver open;
    FtHandle second = 0;
    EXPECT_EQ(open.driver.OpenEx("T7300-IV", ft::kOpenByDescription, second), ft::kDeviceNotOpened);
    EXPECT_EQ(second, 0u);
}

TEST(Driver, StaleHandleIsInvalid) {
    OpenDriver open;
    const FtHandle old = open.handle;
    ASSERT_EQ(open.driver.Close(old), ft::kOk);
    EXPECT_EQ(open.driver.Close(old), ft::kInvalidHandle);
    EXPECT_EQ(WriteText(open.driver, old, ";"), ft::kInvalidHandle);
}

// --- Line speed ----------------------------------------------------------------------------

struct SpeedCase {
    const char* name;
    uint32_t instrumentBaud;
    int32_t lineBaud;
    bool understood;
};

class SpeedTest : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedTest, IsUnderstoodOnlyAtItsOwnSpeed) {
    SimulatedInstrumentConfig config;
    config.usbDescription = "T7300-EX";
    config.baud = GetParam().instrumentBaud;
    SimBench bench(config);
    ASSERT_TRUE(bench.ftdi.Open("T7300-EX", GetParam().lineBaud));
    const test::PcReply reply = bench.words.Transact("COM;", 4, true, 5000);
    ASSERT_TRUE(reply.ok);
    if (GetParam().understood) {
        EXPECT_EQ(reply.bytes, "ACK;");
        EXPECT_TRUE(bench.instrument.log().empty());
    } else {
        EXPECT_EQ(reply.bytes, "");
        EXPECT_FALSE(bench.instrument.inCommunicationMode());
        EXPECT_EQ(bench.instrument.log(), (Words{"4 unreadable bytes: line noise"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Speeds, SpeedTest,
                         ::testing::Values(SpeedCase{"Same250k", 250000, 250000, true},
                                           SpeedCase{"Same500k", 500000, 500000, true},
                                           SpeedCase{"Slower", 500000, 250000, false},
                                           SpeedCase{"Faster", 500000, 750000, false},
                                           SpeedCase{"LeftAtDefault", 500000, 0, false},
                                           SpeedCase{"DefaultMatches", 9600, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Driver, OtherDataCharacteristicsSpoilTheLine) {
    OpenDriver open;
    ASSERT_EQ(open.driver.SetDataCharacteristics(open.handle, 7, 0, 0), ft::kOk);
    ASSERT_EQ(WriteText(open.driver, open.handle, ";"), ft::kOk);
    EXPECT_EQ(ReadText(open.driver, open.handle, 3), "");
    EXPECT_EQ(open.instrument.log(), (Words{"1 unreadable bytes: line noise"}));
}

TEST(Driver, PendingReplyArrivesSpoiltAfterASpeedChange) {
    OpenDriver open;
    ASSERT_EQ(WriteText(open.driver, open.handle, ";"), ft::kOk);
    ASSERT_EQ(open.driver.SetBaudRate(open.handle, 250000), ft::kOk);
    const std::string spoilt = ReadText(open.driver, open.handle, 3);
    ASSERT_EQ(spoilt.size(), 3u);
    EXPECT_NE(spoilt, "OK;");
    for (const char c : spoilt) {
        EXPECT_GE(static_cast<uint8_t>(c), 0x80);
    }
}

// --- Reads, writes, purges -----------------------------------------------------------------

TEST(Driver, ReadThatFillsReturnsAtOnce) {
    OpenDriver open;
    ASSERT_EQ(WriteText(open.driver, open.handle, ";"), ft::kOk);
    const uint32_t before = open.clock.TickCount();
    EXPECT_EQ(ReadText(open.driver, open.handle, 2), "OK");
    EXPECT_EQ(ReadText(open.driver, open.handle, 1), ";");
    EXPECT_EQ(open.clock.TickCount(), before);
}

TEST(Driver, ReadThatCannotFillWaitsTheTimeOut) {
    OpenDriver open;
    ASSERT_EQ(WriteText(open.driver, open.handle, ";"), ft::kOk);
    const uint32_t before = open.clock.TickCount();
    EXPECT_EQ(ReadText(open.driver, open.handle, 7), "OK;");
    EXPECT_EQ(open.clock.TickCount() - before, 100u);
    EXPECT_EQ(ReadText(open.driver, open.handle, 7), "");
    EXPECT_EQ(open.clock.TickCount() - before, 200u);
}

TEST(Driver, ReadWakesWhenTheInstrumentSpeaksOnItsOwn) {
    SimulatedInstrumentConfig config;
    config.clrBusyMs = 250;
    OpenDriver open(config);
    ASSERT_EQ(WriteText(open.driver, open.handle, "COM;CLR;"), ft::kOk);
    EXPECT_EQ(ReadText(open.driver, open.handle, 8), "ACK;BSY;");
    const uint32_t before = open.clock.TickCount();
    EXPECT_EQ(ReadText(open.driver, open.handle, 4), "");
    EXPECT_EQ(ReadText(open.driver, open.handle, 4), "");
    EXPECT_EQ(ReadText(open.driver, open.handle, 4), "ACK;");
    EXPECT_EQ(open.clock.TickCount() - before, 250u);
}

struct DiscardCase {
    const char* name;
    bool purge;
    uint32_t mask;
    const char* left;
};

class DiscardTest : public ::testing::TestWithParam<DiscardCase> {};

TEST_P(DiscardTest, DropsWhatTheInstrumentSentBefore) {
    OpenDriver open;
    ASSERT_EQ(WriteText(open.driver, open.handle, ";"), ft::kOk);
    ASSERT_EQ(GetParam().purge ? open.driver.Purge(open.handle, GetParam().mask)
                               : open.driver.ResetDevice(open.handle),
              ft::kOk);
    EXPECT_EQ(ReadText(open.driver, open.handle, 3), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Discards, DiscardTest,
                         ::testing::Values(DiscardCase{"PurgeBoth", true, 3, ""},
                                           DiscardCase{"PurgeReceive", true, 1, ""},
                                           DiscardCase{"PurgeTransmitOnly", true, 2, "OK;"},
                                           DiscardCase{"Reset", false, 0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Driver, CommandPurgesAnEarlierReplySoOnlyItsOwnArrives) {
    SimBench bench;
    ASSERT_TRUE(bench.Open());
    ASSERT_TRUE(bench.ftdi.Send(";", 1));
    EXPECT_EQ(bench.words.Transact("COM;", 7, true, 1000).bytes, "ACK;");
}

TEST(Driver, ErasingGoesOnAcrossAPurgeAndItsAckStillComes) {
    SimulatedInstrumentConfig config;
    config.clrBusyMs = 1000;
    SimBench bench(config);
    ASSERT_TRUE(bench.OpenCommunicating());
    EXPECT_EQ(bench.words.Word("CLR;").bytes, "BSY;");
    ASSERT_TRUE(bench.ftdi.SendCommand("", 0));
    EXPECT_TRUE(bench.words.WaitForAck(2000));
    EXPECT_TRUE(bench.instrument.routesErased());
}

// --- Unplugging ----------------------------------------------------------------------------

TEST(Driver, UnpluggedConverterFailsEveryCall) {
    OpenDriver open;
    open.driver.Unplug();
    uint32_t count = 0;
    char byte = 0;
    FtHandle handle = 0;
    EXPECT_EQ(open.driver.Read(open.handle, &byte, 1, count), ft::kIoError);
    EXPECT_EQ(open.driver.Write(open.handle, &byte, 1, count), ft::kIoError);
    EXPECT_EQ(open.driver.Purge(open.handle, 3), ft::kIoError);
    EXPECT_EQ(open.driver.ResetDevice(open.handle), ft::kIoError);
    EXPECT_EQ(open.driver.SetTimeouts(open.handle, 100, 100), ft::kIoError);
    EXPECT_EQ(open.driver.SetLatencyTimer(open.handle, 2), ft::kIoError);
    EXPECT_EQ(open.driver.SetDataCharacteristics(open.handle, 8, 0, 0), ft::kIoError);
    EXPECT_EQ(open.driver.SetBaudRate(open.handle, 9600), ft::kIoError);
    EXPECT_EQ(open.driver.Close(open.handle), ft::kIoError);
    EXPECT_EQ(open.driver.OpenEx("T7300-IV", ft::kOpenByDescription, handle), ft::kIoError);
    EXPECT_EQ(handle, 0u);
}

TEST(Driver, UnplugDuringATransferClosesTheTransport) {
    SimBench bench;
    ASSERT_TRUE(bench.OpenCommunicating());
    bench.driver.Unplug();
    EXPECT_FALSE(bench.words.Word("VER;").ok);
    EXPECT_FALSE(bench.ftdi.HasHandle());
    EXPECT_FALSE(bench.pc.Connect(nullptr));
}

TEST(Driver, ReplugOpensAgainAndTheInstrumentKeepsItsState) {
    SimBench bench;
    ASSERT_TRUE(bench.OpenCommunicating());
    bench.driver.Unplug();
    bench.ftdi.Close();
    bench.driver.Replug();
    ASSERT_TRUE(bench.Open());
    EXPECT_EQ(bench.words.Word("VER;").bytes, "V2.10;");
}

}  // namespace
}  // namespace wl

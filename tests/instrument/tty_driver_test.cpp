#include "instrument/tty_driver.h"

// The pseudo-terminals come from posix_openpt() rather than openpty(): <pty.h> brings glibc's
// <termios.h>, which cannot stand beside the kernel's termios2 the tests read the line back with.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "tests/support/temp_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;

// A pseudo-terminal whose slave stands in for the converter's tty; the test plays the instrument
// on the master.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slave_ = name;
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { CloseMaster(); }

    const fs::path& slave() const { return slave_; }

    // Hangs the slave up, as pulling the converter out does.
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // What the slave wrote: `count` bytes, or fewer once `patience` has passed.
    std::string Receive(size_t count, std::chrono::milliseconds patience = 1s) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        std::string bytes;
        while (bytes.size() < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd watched{master_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char chunk[4096];
            const ssize_t got =
                ::read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (got <= 0) {
                break;
            }
            bytes.append(chunk, static_cast<size_t>(got));
        }
        return bytes;
    }

    // The slave's line settings: on a master, TCGETS2 answers for its slave.
    termios2 Line() const {
        termios2 line{};
        EXPECT_EQ(::ioctl(master_, TCGETS2, &line), 0);
        return line;
    }

  private:
    int master_ = -1;
    fs::path slave_;
};

std::string EveryByteValue(size_t repeats) {
    std::string bytes;
    for (size_t i = 0; i < 256 * repeats; ++i) {
        bytes.push_back(static_cast<char>(i & 0xFF));
    }
    return bytes;
}

Milliseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::steady_clock::now() - start;
}

class TtyDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(driver.OpenEx("any description", ft::kOpenByDescription, handle), ft::kOk);
        ASSERT_NE(handle, 0u);
    }

    // Reads up to `size` bytes with the given read time-out.
    std::string ReadWithin(uint32_t size, uint32_t readMs, FtStatus expected = ft::kOk) {
        EXPECT_EQ(driver.SetTimeouts(handle, readMs, 100), ft::kOk);
        std::string bytes(size, '\0');
        uint32_t received = 12345;
        EXPECT_EQ(driver.Read(handle, bytes.data(), size, received), expected);
        EXPECT_LE(received, size);
        bytes.resize(std::min(received, size));
        return bytes;
    }

    PseudoTerminal pty;
    TtyDriver driver{"/sys", pty.slave()};
    FtHandle handle = 0;
};

TEST_F(TtyDriverTest, TakesTheTransportsSettingsAndLeavesTheLineRaw) {
    EXPECT_EQ(driver.SetTimeouts(handle, 100, 100), ft::kOk);
    // A pseudo-terminal has no latency timer at all: the hint is accepted and dropped.
    EXPECT_EQ(driver.SetLatencyTimer(handle, 2), ft::kOk);
    EXPECT_EQ(driver.SetDataCharacteristics(handle, ft::kBits8, ft::kStopBits1, ft::kParityNone),
              ft::kOk);
    EXPECT_EQ(driver.SetBaudRate(handle, 500000), ft::kOk);
    EXPECT_EQ(driver.Purge(handle, ft::kPurgeReceive | ft::kPurgeTransmit), ft::kOk);
    EXPECT_EQ(driver.ResetDevice(handle), ft::kOk);

    const termios2 line = pty.Line();
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(line.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
}

TEST_F(TtyDriverTest, SetsEveryBaudRateTheInstrumentsUseExactly) {
    for (const uint32_t baud : {250000u, 500000u, 750000u, 1500000u, 9600u}) {
        SCOPED_TRACE(baud);
        ASSERT_EQ(driver.SetBaudRate(handle, baud), ft::kOk);
        const termios2 line = pty.Line();
        EXPECT_EQ(line.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ(line.c_ospeed, baud);
        EXPECT_EQ(line.c_ispeed, baud);
    }
    EXPECT_EQ(driver.SetBaudRate(handle, 0), ft::kInvalidBaudRate);
}

TEST_F(TtyDriverTest, SetsDataCharacteristicsByTheirDriverCodes) {
    struct Case {
        uint8_t bits, stopBits, parity;
        FtStatus status;
        tcflag_t frame;  // the frame bits of c_cflag afterwards, when accepted
    };
    const Case cases[] = {
        {8, 0, 0, ft::kOk, CS8},
        {7, 0, 0, ft::kOk, CS7},
        {8, 2, 0, ft::kOk, CS8 | CSTOPB},
        {8, 0, 1, ft::kOk, CS8 | PARENB | PARODD},
        {8, 0, 2, ft::kOk, CS8 | PARENB},
        {8, 0, 3, ft::kOk, CS8 | PARENB | PARODD | CMSPAR},
        {8, 0, 4, ft::kOk, CS8 | PARENB | CMSPAR},
        {7, 2, 2, ft::kOk, CS7 | CSTOPB | PARENB},
        {9, 0, 0, ft::kInvalidParameter, 0},
        {5, 0, 0, ft::kInvalidParameter, 0},
        {8, 1, 0, ft::kInvalidParameter, 0},  // one and a half stop bits
        {8, 0, 5, ft::kInvalidParameter, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.bits} << " bits, stop code " << int{c.stopBits}
                                        << ", parity code " << int{c.parity});
        ASSERT_EQ(driver.SetDataCharacteristics(handle, c.bits, c.stopBits, c.parity), c.status);
        if (c.status == ft::kOk) {
            // A pseudo-terminal forces CS8 and drops PARENB whatever it is given (it has no wire
            // to frame), so only the frame bits it keeps can be read back.
            constexpr tcflag_t kKept = CSTOPB | PARODD | CMSPAR;
            EXPECT_EQ(pty.Line().c_cflag & kKept, c.frame & kKept);
        }
    }
}

TEST_F(TtyDriverTest, CarriesEveryByteValueBothWaysUnchanged) {
    const std::string bytes = EveryByteValue(4);
    uint32_t written = 0;
    ASSERT_EQ(driver.SetTimeouts(handle, 1000, 1000), ft::kOk);
    ASSERT_EQ(driver.Write(handle, bytes.data(), static_cast<uint32_t>(bytes.size()), written),
              ft::kOk);
    EXPECT_EQ(written, bytes.size());
    EXPECT_EQ(pty.Receive(bytes.size()), bytes);

    pty.Send(bytes);
    EXPECT_EQ(ReadWithin(static_cast<uint32_t>(bytes.size()), 1000), bytes);
    // Nothing came back as an echo.
    EXPECT_EQ(pty.Receive(1, 50ms), "");
}

TEST_F(TtyDriverTest, ReadAnswersWhatArrivedOnceTheTimeOutPasses) {
    struct Case {
        std::string waiting;
        uint32_t readMs;
    };
    const Case cases[] = {{"", 50}, {"\x06\x15\x00\xFF", 50}, {"", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.waiting.size() << " bytes, " << c.readMs << " ms");
        if (!c.waiting.empty()) {
            pty.Send(c.waiting);
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadWithin(10, c.readMs), c.waiting);
        const Milliseconds elapsed = Since(start);
        EXPECT_GE(elapsed.count(), c.readMs);
        EXPECT_LT(elapsed, 1s);
    }
}

TEST_F(TtyDriverTest, ReadOfAllThatIsAskedForReturnsWithoutWaitingOut) {
    pty.Send("ready");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadWithin(5, 5000), "ready");
    EXPECT_LT(Since(start), 1s);
}

TEST_F(TtyDriverTest, WriteAnswersAShortCountWhenNobodyReadsInTime) {
    const std::string flood(1 << 20, 'x');
    ASSERT_EQ(driver.SetTimeouts(handle, 50, 50), ft::kOk);
    uint32_t written = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(driver.Write(handle, flood.data(), static_cast<uint32_t>(flood.size()), written),
              ft::kOk);
    EXPECT_GE(Since(start).count(), 50);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, flood.size());
}

TEST_F(TtyDriverTest, PurgeAndResetDiscardWhatWaitsToBeRead) {
    const std::pair<const char*, std::function<FtStatus()>> discards[] = {
        {"purge receive", [&] { return driver.Purge(handle, ft::kPurgeReceive); }},
        {"purge both",
         [&] { return driver.Purge(handle, ft::kPurgeReceive | ft::kPurgeTransmit); }},
        {"reset", [&] { return driver.ResetDevice(handle); }},
    };
    for (const auto& [name, discard] : discards) {
        SCOPED_TRACE(name);
        pty.Send("stale");
        // The first byte proves the rest of the same write has reached the slave too.
        ASSERT_EQ(ReadWithin(1, 1000), "s");
        EXPECT_EQ(discard(), ft::kOk);
        EXPECT_EQ(ReadWithin(10, 50), "");
        pty.Send("fresh");
        EXPECT_EQ(ReadWithin(5, 1000), "fresh");
    }
    EXPECT_EQ(driver.Purge(handle, ft::kPurgeTransmit), ft::kOk);
    EXPECT_EQ(driver.Purge(handle, 0), ft::kOk);
}

TEST_F(TtyDriverTest, HangUpDuringARead) {
    std::jthread unplug([this] {
        std::this_thread::sleep_for(50ms);
        pty.CloseMaster();
    });
    const auto start = std::chrono::steady_clock::now();
    ReadWithin(10, 5000, ft::kIoError);
    EXPECT_LT(Since(start), 2s);
}

TEST_F(TtyDriverTest, HungUpLineFailsEveryTransferAndStillCloses) {
    pty.CloseMaster();
    ReadWithin(10, 1000, ft::kIoError);
    char byte = 'x';
    uint32_t written = 0;
    EXPECT_EQ(driver.Write(handle, &byte, 1, written), ft::kIoError);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(driver.Close(handle), ft::kOk);
}

TEST_F(TtyDriverTest, PortIsExclusiveUntilClosed) {
    FtHandle second = 77;
    EXPECT_EQ(driver.OpenEx("any description", ft::kOpenByDescription, second),
              ft::kDeviceNotOpened);
    EXPECT_EQ(second, 0u);
    TtyDriver otherProgram("/sys", pty.slave());
    EXPECT_EQ(otherProgram.OpenEx("any description", ft::kOpenByDescription, second),
              ft::kDeviceNotOpened);

    // The other program is told why: the port is there, but held.
    EXPECT_EQ(otherProgram.LastRefusal(), (ConverterRefusal{pty.slave().string(), EBUSY}));

    ASSERT_EQ(driver.Close(handle), ft::kOk);
    EXPECT_EQ(otherProgram.OpenEx("any description", ft::kOpenByDescription, second), ft::kOk);
    EXPECT_EQ(otherProgram.LastRefusal(), std::nullopt);
    EXPECT_EQ(otherProgram.Close(second), ft::kOk);
}

TEST_F(TtyDriverTest, UnknownAndClosedHandlesAreRefused) {
    ASSERT_EQ(driver.Close(handle), ft::kOk);
    char buffer[4] = {};
    uint32_t count = 9;
    const std::pair<const char*, std::function<FtStatus(FtHandle)>> calls[] = {
        {"SetTimeouts", [&](FtHandle h) { return driver.SetTimeouts(h, 100, 100); }},
        {"SetLatencyTimer", [&](FtHandle h) { return driver.SetLatencyTimer(h, 2); }},
        {"SetDataCharacteristics",
         [&](FtHandle h) { return driver.SetDataCharacteristics(h, 8, 0, 0); }},
        {"SetBaudRate", [&](FtHandle h) { return driver.SetBaudRate(h, 500000); }},
        {"Purge", [&](FtHandle h) { return driver.Purge(h, 3); }},
        {"ResetDevice", [&](FtHandle h) { return driver.ResetDevice(h); }},
        {"Read", [&](FtHandle h) { return driver.Read(h, buffer, 4, count); }},
        {"Write", [&](FtHandle h) { return driver.Write(h, buffer, 4, count); }},
        {"Close", [&](FtHandle h) { return driver.Close(h); }},
    };
    for (const FtHandle unknown : {FtHandle{0}, handle, handle + 1000}) {
        for (const auto& [name, call] : calls) {
            SCOPED_TRACE(testing::Message() << name << " on handle " << unknown);
            EXPECT_EQ(call(unknown), ft::kInvalidHandle);
        }
    }
    EXPECT_EQ(count, 0u);
}

TEST_F(TtyDriverTest, WaitingReadSleepsInsteadOfSpinning) {
    timespec cpuBefore{}, cpuAfter{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadWithin(10, 300), "");
    const Milliseconds elapsed = Since(start);
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
    const double cpuMs =
        (cpuAfter.tv_sec - cpuBefore.tv_sec) * 1e3 + (cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1e6;
    EXPECT_GE(elapsed.count(), 300);
    EXPECT_LT(cpuMs, 50);
}

// Lays out sysfs as the kernel does for a converter (the tty's "device" link leads to the serial
// port that carries the latency timer), and a device node, a link to the pseudo-terminal, under the
// same name in the test's own /dev.
void AddConverter(const fs::path& sysfs, const fs::path& dev, const std::string& tty,
                  const std::string& usbDevice, const std::string& product,
                  const fs::path& terminal) {
    const fs::path device = sysfs / "devices" / "pci0000:00" / "usb1" / usbDevice;
    const fs::path interface = device / (usbDevice + ":1.0");
    fs::create_directories(interface / tty / "tty" / tty);
    test::WriteFile(device / "idVendor", "0403\n");
    test::WriteFile(device / "product", product + "\n");
    test::WriteFile(interface / tty / "latency_timer", "16\n");
    fs::create_directories(sysfs / "class" / "tty");
    fs::create_directory_symlink(interface / tty, interface / tty / "tty" / tty / "device");
    fs::create_directory_symlink(interface / tty / "tty" / tty, sysfs / "class" / "tty" / tty);
    fs::create_directories(dev);
    fs::create_symlink(terminal, dev / tty);
}

TEST(TtyDriverLookup, OpensEachConverterByItsUsbProductString) {
    test::TempFolder sysfs, dev;
    PseudoTerminal first, second;
    AddConverter(sysfs.path(), dev.path(), "ttyUSB0", "1-1", "Pellix S", first.slave());
    AddConverter(sysfs.path(), dev.path(), "ttyUSB1", "1-2", "Gresa", second.slave());
    TtyDriver driver(sysfs.path(), std::nullopt, dev.path());

    FtHandle pellix = 0, gresa = 0, missing = 5;
    ASSERT_EQ(driver.OpenEx("Pellix S", ft::kOpenByDescription, pellix), ft::kOk);
    ASSERT_EQ(driver.OpenEx("Gresa", ft::kOpenByDescription, gresa), ft::kOk);
    EXPECT_NE(pellix, gresa);
    EXPECT_EQ(driver.OpenEx("Pellix", ft::kOpenByDescription, missing), ft::kDeviceNotFound);
    EXPECT_EQ(missing, 0u);

    uint32_t written = 0;
    ASSERT_EQ(driver.SetTimeouts(pellix, 100, 100), ft::kOk);
    ASSERT_EQ(driver.SetTimeouts(gresa, 100, 100), ft::kOk);
    EXPECT_EQ(driver.Write(pellix, "P", 1, written), ft::kOk);
    EXPECT_EQ(driver.Write(gresa, "G", 1, written), ft::kOk);
    EXPECT_EQ(first.Receive(2, 100ms), "P");
    EXPECT_EQ(second.Receive(2, 100ms), "G");

    // The converter's own latency timer is the one set.
    EXPECT_EQ(driver.SetLatencyTimer(pellix, 2), ft::kOk);
    EXPECT_EQ(test::ReadFile(sysfs / "devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0/latency_timer"),
              "2\n");
    EXPECT_EQ(test::ReadFile(sysfs / "devices/pci0000:00/usb1/1-2/1-2:1.0/ttyUSB1/latency_timer"),
              "16\n");

    EXPECT_EQ(driver.Close(pellix), ft::kOk);
    EXPECT_EQ(driver.Close(gresa), ft::kOk);
}

TEST(TtyDriverLookup, RefusesWhatItCannotOpen) {
    test::TempFolder empty;
    FtHandle handle = 5;
    EXPECT_EQ(TtyDriver(empty.path()).OpenEx("Pellix S", ft::kOpenByDescription, handle),
              ft::kDeviceNotFound);
    TtyDriver missing("/sys", empty / "ttyUSB9");
    EXPECT_EQ(missing.OpenEx("Pellix S", 2, handle), ft::kDeviceNotFound);
    // Nothing there is no refusal: "no instrument" is the truth then.
    EXPECT_EQ(missing.LastRefusal(), std::nullopt);
    // Not a tty at all.
    test::WriteFile(empty / "plain", "");
    EXPECT_EQ(TtyDriver("/sys", empty / "plain").OpenEx("Pellix S", 2, handle),
              ft::kDeviceNotOpened);
    PseudoTerminal pty;
    EXPECT_EQ(TtyDriver("/sys", pty.slave()).OpenEx("Pellix S", 1, handle), ft::kInvalidParameter);
    EXPECT_EQ(handle, 0u);
}

}  // namespace
}  // namespace wl

#pragma once
// The converter driver on the kernel's ftdi_sio tty: /dev/ttyUSB* found by the USB product string
// in sysfs, or an explicit device path used for every description (a pseudo-terminal or an unusual
// adapter). The line is raw, any baud rate is set through termios2, and reads and writes wait with
// poll() on a non-blocking descriptor up to their time-outs, measured on the steady clock.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "instrument/ftdi_driver.h"

namespace wl {

class TtyDriver : public IFtdiDriver {
  public:
    explicit TtyDriver(std::filesystem::path sysfsRoot = "/sys",
                       std::optional<std::filesystem::path> explicitPort = std::nullopt,
                       std::filesystem::path devRoot = "/dev");
    TtyDriver(const TtyDriver&) = delete;
    TtyDriver& operator=(const TtyDriver&) = delete;
    // Closes every port still open.
    ~TtyDriver() override;

    FtStatus OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) override;
    FtStatus SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) override;
    FtStatus SetLatencyTimer(FtHandle handle, uint8_t milliseconds) override;
    FtStatus SetDataCharacteristics(FtHandle handle, uint8_t bits, uint8_t stopBits,
                                    uint8_t parity) override;
    FtStatus SetBaudRate(FtHandle handle, uint32_t baud) override;
    FtStatus Purge(FtHandle handle, uint32_t mask) override;
    FtStatus ResetDevice(FtHandle handle) override;
    FtStatus Read(FtHandle handle, void* buffer, uint32_t size, uint32_t& received) override;
    FtStatus Write(FtHandle handle, const void* data, uint32_t size, uint32_t& written) override;
    FtStatus Close(FtHandle handle) override;
    std::optional<ConverterRefusal> LastRefusal() const override { return lastRefusal_; }

  private:
    struct Port {
        int fd = -1;
        // The converter's latency timer in sysfs; empty when the port has none we know of.
        std::filesystem::path latencyTimer;
        // Until SetTimeouts, reads and writes take what can be done at once and never wait.
        uint32_t readTimeoutMs = 0;
        uint32_t writeTimeoutMs = 0;
    };

    Port* Find(FtHandle handle);

    std::filesystem::path sysfsRoot_;
    std::optional<std::filesystem::path> explicitPort_;
    std::filesystem::path devRoot_;
    std::map<FtHandle, Port> ports_;
    FtHandle nextHandle_ = 1;
    std::optional<ConverterRefusal> lastRefusal_;
};

}  // namespace wl

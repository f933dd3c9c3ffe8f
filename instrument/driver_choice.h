#pragma once
// Which converter driver serves, as a setting shared by the window program and wayload-cli:
// WAYLOAD_DRIVER ("auto", "tty" or "libftdi") and WAYLOAD_PORT (a device path used for every
// description, so that a pseudo-terminal or an unusual adapter can stand in); --driver and
// --port override them on the command line.
//
// The default order tries the kernel's ftdi_sio tty first: Debian binds it to FTDI chips by
// itself and it needs no more than membership of the dialout group. libftdi1 comes second, for a
// chip the kernel did not bind (an unusual product id); it needs write access to the USB device
// and detaches the kernel driver while open.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/ftdi_driver.h"

namespace wl {

enum class DriverKind { Auto, Tty, LibFtdi };

struct SerialSettings {
    DriverKind driver = DriverKind::Auto;
    std::optional<std::filesystem::path> port;
};

// From WAYLOAD_DRIVER and WAYLOAD_PORT; an unknown driver name leaves Auto.
SerialSettings SerialSettingsFromEnvironment();
std::optional<DriverKind> ParseDriverKind(const std::string& name);

std::unique_ptr<IFtdiDriver> MakeDriver(const SerialSettings& settings);

// Opens through the first driver that finds the converter and serves that handle with it.
class FallbackDriver : public IFtdiDriver {
  public:
    explicit FallbackDriver(std::vector<std::unique_ptr<IFtdiDriver>> drivers);

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

  private:
    struct Served {
        IFtdiDriver* driver;
        FtHandle inner;
    };
    const Served* Find(FtHandle handle) const;

    std::vector<std::unique_ptr<IFtdiDriver>> drivers_;
    std::map<FtHandle, Served> served_;
    FtHandle next_ = 1;
};

}  // namespace wl

#include "instrument/driver_choice.h"

#include <cstdlib>

#include "instrument/libftdi_driver.h"
#include "instrument/tty_driver.h"

namespace wl {

std::optional<DriverKind> ParseDriverKind(const std::string& name) {
    if (name == "auto") {
        return DriverKind::Auto;
    }
    if (name == "tty") {
        return DriverKind::Tty;
    }
    if (name == "libftdi") {
        return DriverKind::LibFtdi;
    }
    return std::nullopt;
}

SerialSettings SerialSettingsFromEnvironment() {
    SerialSettings settings;
    if (const char* driver = std::getenv("WAYLOAD_DRIVER")) {
        settings.driver = ParseDriverKind(driver).value_or(DriverKind::Auto);
    }
    if (const char* port = std::getenv("WAYLOAD_PORT"); port != nullptr && *port != '\0') {
        settings.port = std::filesystem::path(port);
    }
    return settings;
}

std::unique_ptr<IFtdiDriver> MakeDriver(const SerialSettings& settings) {
    // An explicit port is a device path: only the tty driver can open it.
    if (settings.port || settings.driver == DriverKind::Tty) {
        return std::make_unique<TtyDriver>("/sys", settings.port);
    }
    if (settings.driver == DriverKind::LibFtdi) {
        return std::make_unique<LibFtdiDriver>();
    }
    std::vector<std::unique_ptr<IFtdiDriver>> drivers;
    drivers.push_back(std::make_unique<TtyDriver>());
    drivers.push_back(std::make_unique<LibFtdiDriver>());
    return std::make_unique<FallbackDriver>(std::move(drivers));
}

FallbackDriver::FallbackDriver(std::vector<std::unique_ptr<IFtdiDriver>> drivers)
    : drivers_(std::move(drivers)) {}

const FallbackDriver::Served* FallbackDriver::Find(FtHandle handle) const {
    const auto it = served_.find(handle);
    return it == served_.end() ? nullptr : &it->second;
}

FtStatus FallbackDriver::OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) {
    handle = 0;
    FtStatus status = ft::kDeviceNotFound;
    for (const auto& driver : drivers_) {
        FtHandle inner = 0;
        status = driver->OpenEx(description, flags, inner);
        if (status == ft::kOk) {
            handle = next_++;
            served_[handle] = Served{driver.get(), inner};
            return ft::kOk;
        }
        // A converter that was found but is busy is not looked for elsewhere.
        if (status != ft::kDeviceNotFound) {
            return status;
        }
    }
    return status;
}

#define WL_SERVE(call)                   \
    const Served* served = Find(handle); \
    if (served == nullptr) {             \
        return ft::kInvalidHandle;       \
    }                                    \
    return served->driver->call

FtStatus FallbackDriver::SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) {
    WL_SERVE(SetTimeouts(served->inner, readMs, writeMs));
}

FtStatus FallbackDriver::SetLatencyTimer(FtHandle handle, uint8_t milliseconds) {
    WL_SERVE(SetLatencyTimer(served->inner, milliseconds));
}

FtStatus FallbackDriver::SetDataCharacteristics(FtHandle handle, uint8_t bits, uint8_t stopBits,
                                                uint8_t parity) {
    WL_SERVE(SetDataCharacteristics(served->inner, bits, stopBits, parity));
}

FtStatus FallbackDriver::SetBaudRate(FtHandle handle, uint32_t baud) {
    WL_SERVE(SetBaudRate(served->inner, baud));
}

FtStatus FallbackDriver::Purge(FtHandle handle, uint32_t mask) {
    WL_SERVE(Purge(served->inner, mask));
}

FtStatus FallbackDriver::ResetDevice(FtHandle handle) {
    WL_SERVE(ResetDevice(served->inner));
}

FtStatus FallbackDriver::Read(FtHandle handle, void* buffer, uint32_t size, uint32_t& received) {
    received = 0;
    WL_SERVE(Read(served->inner, buffer, size, received));
}

FtStatus FallbackDriver::Write(FtHandle handle, const void* data, uint32_t size,
                               uint32_t& written) {
    written = 0;
    WL_SERVE(Write(served->inner, data, size, written));
}

#undef WL_SERVE

FtStatus FallbackDriver::Close(FtHandle handle) {
    const Served* served = Find(handle);
    if (served == nullptr) {
        return ft::kInvalidHandle;
    }
    const FtStatus status = served->driver->Close(served->inner);
    served_.erase(handle);
    return status;
}

}  // namespace wl

#pragma once
// The converter driver over libftdi1 (through libusb): it opens the FTDI chip whose USB product
// string equals the description, among FTDI's vendor id and its usual product ids. The kernel's
// ftdi_sio driver is detached from the chip while it is open.

#include <map>
#include <memory>
#include <optional>

#include "instrument/ftdi_driver.h"

struct ftdi_context;

namespace wl {

class LibFtdiDriver : public IFtdiDriver {
  public:
    static constexpr int kVendorFtdi = 0x0403;
    // FT232R/FT245R, FT2232, FT4232, FT232H, FT-X.
    static constexpr int kProductIds[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};

    LibFtdiDriver();
    ~LibFtdiDriver() override;

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
    struct Device {
        ftdi_context* context = nullptr;
        uint32_t readTimeoutMs = 0;
        uint32_t writeTimeoutMs = 0;
    };
    Device* Find(FtHandle handle);

    std::map<FtHandle, Device> devices_;
    FtHandle nextHandle_ = 1;
    std::optional<ConverterRefusal> lastRefusal_;
};

}  // namespace wl

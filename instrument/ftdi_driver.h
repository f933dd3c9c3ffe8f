#pragma once
// The driver interface the USB-serial transport stands on, shaped after the converter maker's
// library: open by USB description, line settings, purge, reset, read, write, close. Every call
// answers a status code; 0 is success. Written from what the transport needs.

#include <cstdint>
#include <optional>
#include <string>

namespace wl {

using FtStatus = uint32_t;

namespace ft {
inline constexpr FtStatus kOk = 0;
inline constexpr FtStatus kInvalidHandle = 1;
inline constexpr FtStatus kDeviceNotFound = 2;
inline constexpr FtStatus kDeviceNotOpened = 3;
inline constexpr FtStatus kIoError = 4;
inline constexpr FtStatus kInvalidParameter = 6;
inline constexpr FtStatus kInvalidBaudRate = 7;
inline constexpr FtStatus kOtherError = 18;

inline constexpr uint32_t kOpenByDescription = 2;
inline constexpr uint32_t kPurgeReceive = 1;
inline constexpr uint32_t kPurgeTransmit = 2;
inline constexpr uint8_t kBits8 = 8;
inline constexpr uint8_t kStopBits1 = 0;
inline constexpr uint8_t kParityNone = 0;
}  // namespace ft

// An open device; 0 is none.
using FtHandle = uintptr_t;

// A converter that is there but could not be opened: its device and the system's reason (an
// errno: EACCES when the user may not use it, EBUSY when another program holds it).
struct ConverterRefusal {
    std::string device;
    int error = 0;
    bool operator==(const ConverterRefusal&) const = default;
};

class IFtdiDriver {
  public:
    virtual ~IFtdiDriver() = default;

    // Opens the converter whose USB description equals `description`.
    virtual FtStatus OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) = 0;
    virtual FtStatus SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) = 0;
    virtual FtStatus SetLatencyTimer(FtHandle handle, uint8_t milliseconds) = 0;
    virtual FtStatus SetDataCharacteristics(FtHandle handle, uint8_t bits, uint8_t stopBits,
                                            uint8_t parity) = 0;
    virtual FtStatus SetBaudRate(FtHandle handle, uint32_t baud) = 0;
    virtual FtStatus Purge(FtHandle handle, uint32_t mask) = 0;
    virtual FtStatus ResetDevice(FtHandle handle) = 0;
    // Returns when `size` bytes arrived or the read time-out passed, with the count received.
    virtual FtStatus Read(FtHandle handle, void* buffer, uint32_t size, uint32_t& received) = 0;
    // A count below `size` means the write time-out passed.
    virtual FtStatus Write(FtHandle handle, const void* data, uint32_t size, uint32_t& written) = 0;
    virtual FtStatus Close(FtHandle handle) = 0;
    // Why the last OpenEx could not open a converter that is there; nothing after an open that
    // succeeded or found no converter, and from drivers that cannot tell.
    virtual std::optional<ConverterRefusal> LastRefusal() const { return std::nullopt; }
};

}  // namespace wl

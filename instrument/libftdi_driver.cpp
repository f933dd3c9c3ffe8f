#include "instrument/libftdi_driver.h"

#include <cerrno>
#include <cstdio>

#include <ftdi.h>

#include <chrono>
#include <thread>

namespace wl {
namespace {

using SteadyTime = std::chrono::steady_clock;

// How long to rest when the chip had nothing: its latency timer already paces the transfers, so
// this only keeps an idle wait from waking more than a thousand times a second.
constexpr auto kIdleRest = std::chrono::milliseconds(1);

}  // namespace

LibFtdiDriver::LibFtdiDriver() = default;

LibFtdiDriver::~LibFtdiDriver() {
    for (auto& [handle, device] : devices_) {
        ftdi_usb_close(device.context);
        ftdi_free(device.context);
    }
}

LibFtdiDriver::Device* LibFtdiDriver::Find(FtHandle handle) {
    const auto it = devices_.find(handle);
    return it == devices_.end() ? nullptr : &it->second;
}

FtStatus LibFtdiDriver::OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) {
    handle = 0;
    if (flags != ft::kOpenByDescription) {
        return ft::kInvalidParameter;
    }
    ftdi_context* context = ftdi_new();
    if (context == nullptr) {
        return ft::kOtherError;
    }
    FtStatus status = ft::kDeviceNotFound;
    lastRefusal_.reset();
    for (int product : kProductIds) {
        const int result =
            ftdi_usb_open_desc(context, kVendorFtdi, product, description.c_str(), nullptr);
        if (result == 0) {
            status = ft::kOk;
            lastRefusal_.reset();
            break;
        }
        // -3: no such device; anything else: found but could not be claimed. -5 is a converter
        // claimed by another program; the others come from a device the user may not open.
        if (result != -3) {
            status = ft::kDeviceNotOpened;
            char device[32];
            std::snprintf(device, sizeof device, "USB %04x:%04x", kVendorFtdi, product);
            lastRefusal_ = ConverterRefusal{device, result == -5 ? EBUSY : EACCES};
        }
    }
    if (status != ft::kOk) {
        ftdi_free(context);
        return status;
    }
    handle = nextHandle_++;
    devices_[handle] = Device{context, 0, 0};
    return ft::kOk;
}

FtStatus LibFtdiDriver::SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    device->readTimeoutMs = readMs;
    device->writeTimeoutMs = writeMs;
    // Each USB transfer waits at most this long; the read loop measures the whole time-out.
    device->context->usb_read_timeout = static_cast<int>(std::max<uint32_t>(readMs, 1));
    device->context->usb_write_timeout = static_cast<int>(std::max<uint32_t>(writeMs, 1));
    return ft::kOk;
}

FtStatus LibFtdiDriver::SetLatencyTimer(FtHandle handle, uint8_t milliseconds) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    return ftdi_set_latency_timer(device->context, milliseconds) == 0 ? ft::kOk : ft::kIoError;
}

FtStatus LibFtdiDriver::SetDataCharacteristics(FtHandle handle, uint8_t bits, uint8_t stopBits,
                                               uint8_t parity) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    if ((bits != 7 && bits != 8) || stopBits > 2 || parity > 4) {
        return ft::kInvalidParameter;
    }
    const int result = ftdi_set_line_property(device->context, static_cast<ftdi_bits_type>(bits),
                                              static_cast<ftdi_stopbits_type>(stopBits),
                                              static_cast<ftdi_parity_type>(parity));
    return result == 0 ? ft::kOk : ft::kIoError;
}

FtStatus LibFtdiDriver::SetBaudRate(FtHandle handle, uint32_t baud) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    return ftdi_set_baudrate(device->context, static_cast<int>(baud)) == 0 ? ft::kOk
                                                                           : ft::kInvalidBaudRate;
}

FtStatus LibFtdiDriver::Purge(FtHandle handle, uint32_t mask) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    int result = 0;
    if ((mask & ft::kPurgeReceive) != 0 && (mask & ft::kPurgeTransmit) != 0) {
        result = ftdi_tcioflush(device->context);
    } else if ((mask & ft::kPurgeReceive) != 0) {
        result = ftdi_tciflush(device->context);
    } else if ((mask & ft::kPurgeTransmit) != 0) {
        result = ftdi_tcoflush(device->context);
    }
    return result == 0 ? ft::kOk : ft::kIoError;
}

FtStatus LibFtdiDriver::ResetDevice(FtHandle handle) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    return ftdi_usb_reset(device->context) == 0 ? ft::kOk : ft::kIoError;
}

FtStatus LibFtdiDriver::Read(FtHandle handle, void* buffer, uint32_t size, uint32_t& received) {
    received = 0;
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    const auto deadline = SteadyTime::now() + std::chrono::milliseconds(device->readTimeoutMs);
    while (received < size) {
        const int got =
            ftdi_read_data(device->context, bytes + received, static_cast<int>(size - received));
        if (got < 0) {
            return ft::kIoError;  // the converter is gone or the transfer failed
        }
        received += static_cast<uint32_t>(got);
        if (received == size || SteadyTime::now() >= deadline) {
            break;
        }
        if (got == 0) {
            std::this_thread::sleep_for(kIdleRest);
        }
    }
    return ft::kOk;
}

FtStatus LibFtdiDriver::Write(FtHandle handle, const void* data, uint32_t size, uint32_t& written) {
    written = 0;
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    if (size == 0) {
        return ft::kOk;
    }
    const int result = ftdi_write_data(device->context, static_cast<const unsigned char*>(data),
                                       static_cast<int>(size));
    if (result < 0) {
        return ft::kIoError;
    }
    written = static_cast<uint32_t>(result);
    return ft::kOk;
}

FtStatus LibFtdiDriver::Close(FtHandle handle) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return ft::kInvalidHandle;
    }
    const int result = ftdi_usb_close(device->context);
    ftdi_free(device->context);
    devices_.erase(handle);
    return result == 0 ? ft::kOk : ft::kIoError;
}

}  // namespace wl

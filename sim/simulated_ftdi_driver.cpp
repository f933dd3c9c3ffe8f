#include "sim/simulated_ftdi_driver.h"

#include "sim/line_noise.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace wl {

SimulatedFtdiDriver::SimulatedFtdiDriver(SimulatedInstrument& instrument, Clock& clock)
    : instrument_(instrument), clock_(clock) {}

void SimulatedFtdiDriver::Replug() {
    unplugged_ = false;
    handle_ = 0;
}

FtStatus SimulatedFtdiDriver::Check(FtHandle handle) const {
    if (unplugged_) {
        return ft::kIoError;
    }
    if (handle == 0 || handle != handle_) {
        return ft::kInvalidHandle;
    }
    return ft::kOk;
}

bool SimulatedFtdiDriver::LineMatches() const {
    return eightNoneOne_ && baud_ == instrument_.config().baud;
}

FtStatus SimulatedFtdiDriver::OpenEx(const std::string& description, uint32_t flags,
                                     FtHandle& handle) {
    handle = 0;
    if (unplugged_) {
        return ft::kIoError;
    }
    if (flags != ft::kOpenByDescription || description != instrument_.config().usbDescription) {
        return ft::kDeviceNotFound;
    }
    if (handle_ != 0) {
        // One opener at a time, as with the real chip.
        return ft::kDeviceNotOpened;
    }
    handle_ = ++lastHandle_;
    handle = handle_;
    baud_ = kDefaultBaud;
    eightNoneOne_ = true;
    readTimeoutMs_ = 0;
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    readTimeoutMs_ = readMs;
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::SetLatencyTimer(FtHandle handle, uint8_t) {
    return Check(handle);
}

FtStatus SimulatedFtdiDriver::SetDataCharacteristics(FtHandle handle, uint8_t bits,
                                                     uint8_t stopBits, uint8_t parity) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    eightNoneOne_ = bits == ft::kBits8 && stopBits == ft::kStopBits1 && parity == ft::kParityNone;
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::SetBaudRate(FtHandle handle, uint32_t baud) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    if (baud == 0) {
        return ft::kInvalidBaudRate;
    }
    baud_ = baud;
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::Purge(FtHandle handle, uint32_t mask) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    // Writes reach the instrument at once, so only the receive side holds anything.
    if ((mask & ft::kPurgeReceive) != 0) {
        instrument_.DiscardOutput();
    }
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::ResetDevice(FtHandle handle) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    instrument_.DiscardOutput();
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::Read(FtHandle handle, void* buffer, uint32_t size,
                                   uint32_t& received) {
    received = 0;
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    auto* bytes = static_cast<uint8_t*>(buffer);
    uint32_t waited = 0;
    for (;;) {
        const std::string arrived = instrument_.TakeOutput(size - received);
        for (const char c : arrived) {
            const auto byte = static_cast<uint8_t>(c);
            bytes[received++] = LineMatches() ? byte : Spoil(byte);
        }
        if (received == size || waited >= readTimeoutMs_) {
            return ft::kOk;
        }
        // Wake when the instrument speaks on its own, as the real read returns on arrival.
        uint32_t step = readTimeoutMs_ - waited;
        if (const std::optional<uint32_t> next = instrument_.MillisecondsUntilNextOutput()) {
            step = std::clamp<uint32_t>(*next, 1, step);
        }
        clock_.Sleep(step);
        waited += step;
    }
}

FtStatus SimulatedFtdiDriver::Write(FtHandle handle, const void* data, uint32_t size,
                                    uint32_t& written) {
    written = 0;
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(data), size);
    if (LineMatches()) {
        instrument_.Receive(bytes);
    } else {
        std::vector<uint8_t> spoilt(bytes.begin(), bytes.end());
        std::transform(spoilt.begin(), spoilt.end(), spoilt.begin(), Spoil);
        instrument_.Receive(spoilt);
    }
    written = size;
    return ft::kOk;
}

FtStatus SimulatedFtdiDriver::Close(FtHandle handle) {
    if (const FtStatus status = Check(handle); status != ft::kOk) {
        return status;
    }
    handle_ = 0;
    // Bytes still on their way to the PC have no one to receive them.
    instrument_.DiscardOutput();
    return ft::kOk;
}

}  // namespace wl

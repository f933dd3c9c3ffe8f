#pragma once
// The converter driver over a simulated instrument, in process: the transport talks to it as to
// a real converter. Bytes are understood only at the instrument's own line speed and 8N1; at any
// other setting each byte arrives spoilt, both ways. A read that cannot be filled sleeps on the
// shared clock, up to its time-out, so tests run on a virtual clock. Bytes travel instantly.

#include <cstdint>
#include <string>

#include "instrument/ftdi_driver.h"
#include "platform/clock.h"
#include "sim/simulated_instrument.h"

namespace wl {

class SimulatedFtdiDriver : public IFtdiDriver {
  public:
    // What the converter's line runs at until it is set, as a freshly opened chip does.
    static constexpr uint32_t kDefaultBaud = 9600;

    SimulatedFtdiDriver(SimulatedInstrument& instrument, Clock& clock);

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

    // The converter is pulled out: every later call fails with an I/O error.
    void Unplug() { unplugged_ = true; }
    // Plugged in again; a handle from before stays invalid.
    void Replug();

    bool isOpen() const { return handle_ != 0; }
    uint32_t lineBaud() const { return baud_; }

  private:
    FtStatus Check(FtHandle handle) const;
    // True when both ends agree on the line settings.
    bool LineMatches() const;

    SimulatedInstrument& instrument_;
    Clock& clock_;
    bool unplugged_ = false;
    FtHandle handle_ = 0;
    FtHandle lastHandle_ = 0;
    uint32_t baud_ = kDefaultBaud;
    bool eightNoneOne_ = true;
    // Until time-outs are set a read takes what is there: waiting for ever has no use here.
    uint32_t readTimeoutMs_ = 0;
};

}  // namespace wl

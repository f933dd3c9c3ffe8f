#pragma once
// The USB-serial transport: one converter, opened by the USB description stored in its chip, with
// fixed line settings (8N1, read and write time-outs 100 ms, latency timer 2 ms). It knows nothing
// of the instrument's commands. A library error closes the device; a short write leaves it open.

#include <cstdint>
#include <optional>
#include <string>

#include "instrument/ftdi_driver.h"
#include "instrument/trace.h"
#include "platform/clock.h"

namespace wl {

class FTDI {
  public:
    static constexpr uint32_t kReadTimeoutMs = 100;
    static constexpr uint32_t kWriteTimeoutMs = 100;
    static constexpr uint8_t kLatencyMs = 2;
    // Writes are cut into pieces of this size.
    static constexpr uint32_t kWritePiece = 3968;
    static constexpr uint32_t kCommandPauseMs = 100;

    FTDI(IFtdiDriver& driver, Clock& clock, ITraceSink& trace);
    FTDI(const FTDI&) = delete;
    FTDI& operator=(const FTDI&) = delete;
    ~FTDI();

    // True when the converter with this description is open and configured. An absent
    // description fails without calling the driver. A baud rate of 0 or less keeps the driver's.
    bool Open(const std::optional<std::string>& description, int32_t baud);
    // True when no device was open or the driver closed it without error.
    bool Close();
    // True when the driver's read succeeded, whatever the count (0 after a time-out).
    bool Read(void* buffer, uint32_t size, uint32_t& received);
    bool Send(const void* data, uint32_t length);
    // Resets and purges the line, then writes the command in one piece.
    bool SendCommand(const void* data, uint32_t length);

    bool HasHandle() const { return handle_ != 0; }
    FtStatus LastStatus() const { return lastStatus_; }
    // Why the last Open could not open a converter that is there (see IFtdiDriver).
    std::optional<ConverterRefusal> LastRefusal() const { return driver_.LastRefusal(); }
    const std::string& description() const { return description_; }

  private:
    void TraceLine(const std::u16string& line, const void* bytes = nullptr, uint32_t length = 0);
    // Closes after a library error inside Open.
    bool FailOpen(const char* format);

    IFtdiDriver& driver_;
    Clock& clock_;
    ITraceSink& trace_;
    std::string description_;
    FtHandle handle_ = 0;
    FtStatus lastStatus_ = ft::kOk;
};

}  // namespace wl

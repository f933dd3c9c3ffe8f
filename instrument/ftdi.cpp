#include "instrument/ftdi.h"

#include <cstring>

#include <algorithm>
#include <span>

#include "common/format.h"

namespace wl {

FTDI::FTDI(IFtdiDriver& driver, Clock& clock, ITraceSink& trace)
    : driver_(driver), clock_(clock), trace_(trace) {}

FTDI::~FTDI() {
    Close();
}

void FTDI::TraceLine(const std::u16string& line, const void* bytes, uint32_t length) {
    trace_.Trace(line, std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), length));
}

bool FTDI::Close() {
    if (handle_ == 0) {
        return true;
    }
    lastStatus_ = driver_.Close(handle_);
    handle_ = 0;
    if (lastStatus_ != ft::kOk) {
        TraceLine(Format("%hS: ERROR FT_Close (%d)", {Narrow{description_}, lastStatus_}));
        return false;
    }
    TraceLine(Format("%hS: FT_Close OK", {Narrow{description_}}));
    return true;
}

bool FTDI::FailOpen(const char* format) {
    TraceLine(Format(format, {Narrow{description_}, lastStatus_}));
    Close();
    return false;
}

bool FTDI::Open(const std::optional<std::string>& description, int32_t baud) {
    Close();
    description_.clear();
    if (!description) {
        return false;
    }
    description_ = *description;
    lastStatus_ = driver_.OpenEx(description_, ft::kOpenByDescription, handle_);
    if (lastStatus_ != ft::kOk) {
        TraceLine(Format("%hS: ERROR FT_OpenEx (%d)", {Narrow{description_}, lastStatus_}));
        if (const auto refusal = driver_.LastRefusal()) {
            TraceLine(Format("%hS: %hS cannot be opened: %hS (errno %d)",
                             {Narrow{description_}, Narrow{refusal->device},
                              Narrow{std::strerror(refusal->error)}, refusal->error}));
        }
        handle_ = 0;
        return false;
    }
    lastStatus_ = driver_.SetTimeouts(handle_, kReadTimeoutMs, kWriteTimeoutMs);
    if (lastStatus_ != ft::kOk) {
        return FailOpen("%hS: ERROR FT_SetTimeouts (%d)");
    }
    lastStatus_ = driver_.SetLatencyTimer(handle_, kLatencyMs);
    if (lastStatus_ != ft::kOk) {
        return FailOpen("%hS: ERROR FT_SetLatencyTimer (%d)");
    }
    if (baud > 0) {
        lastStatus_ =
            driver_.SetDataCharacteristics(handle_, ft::kBits8, ft::kStopBits1, ft::kParityNone);
        if (lastStatus_ != ft::kOk) {
            return FailOpen("%hS: ERROR FT_SetDataCharacteristics (%d)");
        }
        lastStatus_ = driver_.SetBaudRate(handle_, static_cast<uint32_t>(baud));
        if (lastStatus_ != ft::kOk) {
            return FailOpen("%hS: ERROR FT_SetBaudRate (%d)");
        }
    }
    lastStatus_ = driver_.Purge(handle_, ft::kPurgeReceive | ft::kPurgeTransmit);
    if (lastStatus_ != ft::kOk) {
        return FailOpen("%hS: ERROR FT_Purge (%d)");
    }
    TraceLine(Format("%hS: FT_OpenEx (baudrate = %d) OK", {Narrow{description_}, baud}));
    return true;
}

bool FTDI::Read(void* buffer, uint32_t size, uint32_t& received) {
    received = 0;
    if (handle_ == 0) {
        return false;
    }
    lastStatus_ = driver_.Read(handle_, buffer, size, received);
    if (lastStatus_ != ft::kOk) {
        TraceLine(Format("%hS: FTDI::Read ERROR (%d)", {Narrow{description_}, lastStatus_}));
        Close();
        return false;
    }
    return true;
}

bool FTDI::Send(const void* data, uint32_t length) {
    if (handle_ == 0) {
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t sent = 0;
    // The first piece is always written, so an empty block is one write of 0 bytes.
    do {
        const uint32_t piece = std::min(length - sent, kWritePiece);
        uint32_t written = 0;
        lastStatus_ = driver_.Write(handle_, bytes + sent, piece, written);
        if (lastStatus_ != ft::kOk) {
            TraceLine(Format("%hS: FTDI::Send ERROR (%d)", {Narrow{description_}, lastStatus_}));
            Close();
            return false;
        }
        if (written != piece) {
            TraceLine(Format("%hS: FTDI::Send ERROR len (len = %d, written = %d, cnt = %d)",
                             {Narrow{description_}, piece, written, sent}));
            return false;
        }
        sent += written;
    } while (sent < length);
    return true;
}

bool FTDI::SendCommand(const void* data, uint32_t length) {
    if (handle_ == 0) {
        return false;
    }
    // Whatever the instrument sent before the command is discarded.
    clock_.Sleep(kCommandPauseMs);
    driver_.ResetDevice(handle_);
    driver_.Purge(handle_, ft::kPurgeReceive | ft::kPurgeTransmit);
    driver_.ResetDevice(handle_);
    clock_.Sleep(kCommandPauseMs);
    uint32_t written = 0;
    lastStatus_ = driver_.Write(handle_, data, length, written);
    if (lastStatus_ != ft::kOk) {
        TraceLine(Format("%hS: FTDI::SendCommand ERROR (%d)", {Narrow{description_}, lastStatus_}),
                  data, length);
        Close();
        return false;
    }
    if (written != length) {
        TraceLine(Format("%hS: FTDI::SendCommand ERROR len (len = %d, written = %d)",
                         {Narrow{description_}, length, written}),
                  data, length);
        return false;
    }
    TraceLine(Format("%hS: FTDI::SendCommand OK", {Narrow{description_}}), data, length);
    return true;
}

}  // namespace wl

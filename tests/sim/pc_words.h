#pragma once
// Single protocol words sent over the PC's transport, written out plainly: the instrument class
// only speaks well-formed exchanges, and the simulator's strictness is seen only with malformed,
// out-of-order or lone words.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "instrument/ftdi.h"
#include "platform/clock.h"

namespace wl::test {

struct PcReply {
    bool ok = false;
    std::string bytes;
};

class PcWords {
  public:
    PcWords(FTDI& ftdi, Clock& clock) : ftdi_(ftdi), clock_(clock) {}

    // One command and its reply, read as the program reads one; the time-out counts from the
    // last byte received.
    PcReply Transact(std::string_view command, uint32_t wanted, bool terminatorMode,
                     uint32_t timeoutMs) {
        uint32_t start = clock_.TickCount();
        if (!ftdi_.HasHandle() ||
            !ftdi_.SendCommand(command.data(), static_cast<uint32_t>(command.size()))) {
            clock_.Sleep(2000);
            return {};
        }
        std::string buffer(wanted, '\0');
        uint32_t received = 0;
        const uint32_t readSize = terminatorMode ? 1 : 1024;
        while (received < wanted) {
            if (clock_.TickCount() - start >= timeoutMs) {
                break;
            }
            uint32_t got = 0;
            if (!ftdi_.Read(buffer.data() + received, std::min(readSize, wanted - received), got)) {
                return {};
            }
            received += got;
            if (terminatorMode && got > 0 && buffer[received - 1] == ';') {
                break;
            }
            if (got > 0) {
                start = clock_.TickCount();
            }
        }
        buffer.resize(received);
        return {true, buffer};
    }

    PcReply Word(std::string_view command, uint32_t wanted = 16) {
        return Transact(command, wanted, true, 1000);
    }

    bool WaitForAck(uint32_t timeoutMs) {
        const uint32_t start = clock_.TickCount();
        for (;;) {
            char reply[4] = {};
            uint32_t got = 0;
            ftdi_.Read(reply, 4, got);
            if (got > 0 && std::string_view(reply, 4) == "ACK;") {
                return true;
            }
            clock_.Sleep(1);
            if (clock_.TickCount() - start >= timeoutMs) {
                return false;
            }
        }
    }

  private:
    FTDI& ftdi_;
    Clock& clock_;
};

}  // namespace wl::test

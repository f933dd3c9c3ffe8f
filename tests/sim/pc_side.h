#pragma once
// The PC's side of the command protocol, written out plainly over the real transport, so that
// the tests drive the simulated instrument the way the program does: the same commands, reply
// sizes, terminator reads, time-outs and acknowledgement waits.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "instrument/ftdi.h"
#include "platform/clock.h"

namespace wl::test {

struct PcReply {
    bool ok = false;
    std::string bytes;
};

struct ModelRow {
    int code;
    const char* description;
    int32_t baud;
};

inline constexpr ModelRow kModelRows[] = {
    {1, "T7300-III", 1500000}, {1, "T7300-IV", 1500000}, {2, "T7300-EX", 250000},
    {3, "T7300-EX", 500000},   {4, "T7300-EX", 750000},  {5, "T7310", 1500000},
};

class PcSide {
  public:
    PcSide(FTDI& ftdi, Clock& clock) : ftdi_(ftdi), clock_(clock) {}

    // One command and its reply; the time-out counts from the last byte received.
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

    // The model code of the first row whose hand-shake succeeds.
    std::optional<int> Connect() {
        for (const ModelRow& row : kModelRows) {
            if (!ftdi_.Open(std::string(row.description), row.baud)) {
                continue;
            }
            int code = row.code;
            const PcReply probe = Transact(";", 7, true, 5000);
            bool ok = probe.ok && !probe.bytes.empty();
            if (ok) {
                clock_.Sleep(500);
                const PcReply com = Transact("COM;", 4, true, 5000);
                ok = com.ok && com.bytes == "ACK;";
            }
            if (ok) {
                const PcReply version = Transact("VER;", 128, true, 1000);
                ok = version.ok && !version.bytes.empty();
                version_ = version.bytes.substr(0, version.bytes.find('\0'));
                if (code == 1 && version_.find("ML") != std::string::npos) {
                    code = 5;
                }
            }
            if (ok) {
                return code;
            }
            Transact("STP;", 7, true, 1000);
            ftdi_.Close();
        }
        return std::nullopt;
    }

    // A block fetched by "TXR;" or "TXD;"; none when it did not arrive whole.
    std::optional<std::string> ReceiveBlock(std::string_view command) {
        const PcReply header = Word(command);
        std::optional<uint32_t> length;
        if (!header.ok || header.bytes.size() < 5 || !header.bytes.starts_with("BLK:") ||
            !(length = ParseHex(header.bytes.substr(4)))) {
            return std::nullopt;
        }
        if (*length == 0) {
            return std::string();
        }
        PcReply block = Transact("ACK;", *length, false, 2000);
        if (!block.ok || block.bytes.size() != *length) {
            return std::nullopt;
        }
        return block.bytes;
    }

    // Announces the block, then sends it piece by piece, each acknowledged.
    bool SendBlock(const std::string& block) {
        const PcReply header = Word("RXR:" + Hex(block.size()) + ";");
        std::optional<uint32_t> pieceSize;
        if (!header.ok || header.bytes.size() < 5 || !header.bytes.starts_with("BLK:") ||
            !(pieceSize = ParseHex(header.bytes.substr(4)))) {
            return false;
        }
        size_t sent = 0;
        uint32_t start = clock_.TickCount();
        while (sent < block.size()) {
            if (clock_.TickCount() - start >= 10000) {
                break;
            }
            const size_t piece = std::min<size_t>(block.size() - sent, *pieceSize);
            if (!ftdi_.Send(block.data() + sent, static_cast<uint32_t>(piece))) {
                return false;
            }
            sent += piece;
            if (piece != 0) {
                start = clock_.TickCount();
            }
            ++piecesSent_;
            if (!WaitForAck(1000)) {
                return false;
            }
        }
        return true;
    }

    // Erases with "CLR;" or "CLD;", waiting out a "BSY;".
    bool Erase(std::string_view command, uint32_t busyTimeoutMs) {
        const PcReply reply = Transact(command, 4, true, 1000);
        if (!reply.ok) {
            return false;
        }
        if (reply.bytes == "ACK;") {
            return true;
        }
        return reply.bytes == "BSY;" && WaitForAck(busyTimeoutMs);
    }

    const std::string& version() const { return version_; }
    size_t piecesSent() const { return piecesSent_; }

    static std::string Hex(size_t value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text;
        do {
            text.insert(text.begin(), kDigits[value % 16]);
            value /= 16;
        } while (value != 0);
        return text;
    }

  private:
    // Hexadecimal digits up to the first other character; none when there is no digit.
    static std::optional<uint32_t> ParseHex(std::string_view text) {
        uint32_t value = 0;
        size_t digits = 0;
        for (const char c : text) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0) {
                break;
            }
            value = value * 16 + static_cast<uint32_t>(digit);
            ++digits;
        }
        return digits == 0 ? std::nullopt : std::optional<uint32_t>(value);
    }

    FTDI& ftdi_;
    Clock& clock_;
    std::string version_;
    size_t piecesSent_ = 0;
};

}  // namespace wl::test

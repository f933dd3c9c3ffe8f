#include "instrument/t7300_instrument.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

#include "common/format.h"
#include "common/utf16.h"

namespace wl {
namespace {

constexpr uint32_t kHelloTimeoutMs = 5000;
constexpr uint32_t kHelloPauseMs = 500;
constexpr uint32_t kReplyTimeoutMs = 1000;
constexpr uint32_t kBlockSilenceMs = 2000;
constexpr uint32_t kRoutesEraseMs = 50000;
constexpr uint32_t kDataEraseMs = 80000;
constexpr uint32_t kPieceAckMs = 1000;
constexpr uint32_t kIdleUploadMs = 10000;
constexpr uint32_t kLargestRead = 1024;
constexpr uint32_t kVersionSize = 128;
constexpr uint32_t kHeaderReplySize = 16;

bool StartsWith(const uint8_t* bytes, uint32_t count, std::string_view word) {
    return count >= word.size() && std::memcmp(bytes, word.data(), word.size()) == 0;
}

// The hexadecimal number at the start of `text`, ending at the first other character; nullopt
// without digits. Saturates instead of overflowing.
std::optional<uint64_t> ParseHex(const char* text, size_t size) {
    uint64_t value = 0;
    size_t digits = 0;
    for (; digits < size; ++digits) {
        const char c = text[digits];
        uint64_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint64_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else {
            break;
        }
        value = value > (UINT64_MAX >> 4) ? UINT64_MAX : (value << 4) | digit;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

// The number after "BLK:" in a reply.
std::optional<uint64_t> BlockNumber(const uint8_t* reply, uint32_t count) {
    return ParseHex(reinterpret_cast<const char*>(reply) + 4, count - 4);
}

void Report(I_InfoWnd* progress, double percent) {
    if (progress != nullptr) {
        progress->SetProgress(percent);
    }
}

}  // namespace

CT7300Instrument::CT7300Instrument(IFtdiDriver& driver, Clock& clock, ITraceSink& trace)
    : clock_(clock), ftdi_(driver, clock, trace) {}

CT7300Instrument::~CT7300Instrument() = default;

bool CT7300Instrument::Transact(std::string_view command, uint8_t* reply, uint32_t& count,
                                bool terminator, uint32_t timeoutMs, I_InfoWnd* progress,
                                double from, double to) {
    const uint32_t wanted = count;
    count = 0;
    uint32_t start = clock_.TickCount();
    if (!ftdi_.HasHandle() ||
        !ftdi_.SendCommand(command.data(), static_cast<uint32_t>(command.size()))) {
        clock_.Sleep(kUnsentCommandPauseMs);
        return false;
    }
    const uint32_t readSize = terminator ? 1 : kLargestRead;
    while (count < wanted) {
        // The time-out counts from the last byte received.
        if (clock_.TickCount() - start >= timeoutMs) {
            break;
        }
        uint32_t got = 0;
        if (!ftdi_.Read(reply + count, std::min(readSize, wanted - count), got)) {
            return false;
        }
        count += got;
        if (terminator && got > 0 && reply[count - 1] == ';') {
            break;
        }
        if (got > 0) {
            if (!terminator) {
                Report(progress, static_cast<double>(count) / wanted * (to - from) + from);
            }
            start = clock_.TickCount();
        } else {
            std::this_thread::yield();
        }
    }
    return true;
}

bool CT7300Instrument::IsConnected() {
    if (ftdi_.HasHandle() && ftdi_.LastStatus() == ft::kOk) {
        return true;
    }
    const uint32_t now = clock_.TickCount();
    if (now - lastProbe_ < kProbeIntervalMs) {
        return lastAnswer_;
    }
    lastProbe_ = now;
    lastRefusal_.reset();
    for (const InstrumentModel& row : kInstrumentModels) {
        if (ftdi_.Open(std::string(row.usbDescription), row.baud)) {
            lastAnswer_ = true;
            return true;
        }
        // The first converter found but refused is the one to tell the user of.
        if (!lastRefusal_) {
            lastRefusal_ = ftdi_.LastRefusal();
        }
    }
    lastAnswer_ = false;
    return false;
}

void CT7300Instrument::EndCommunication() {
    uint8_t reply[8] = {};
    uint32_t count = 7;
    Transact("STP;", reply, count, true, kReplyTimeoutMs);
}

bool CT7300Instrument::Connect(I_InfoWnd* progress) {
    for (const InstrumentModel& row : kInstrumentModels) {
        if (!ftdi_.Open(std::string(row.usbDescription), row.baud)) {
            continue;
        }
        modelCode_ = row.modelCode;
        Report(progress, 10);
        uint8_t reply[8] = {};
        uint32_t count = 7;
        bool ok = Transact(";", reply, count, true, kHelloTimeoutMs) && count >= 1;
        if (ok) {
            clock_.Sleep(kHelloPauseMs);
            std::memset(reply, 0, sizeof reply);
            count = 4;
            ok = Transact("COM;", reply, count, true, kHelloTimeoutMs) && count == 4 &&
                 StartsWith(reply, count, "ACK;");
        }
        std::u16string version;
        if (ok) {
            Report(progress, 20);
            ok = ReadVersion(version);
        }
        if (!ok) {
            EndCommunication();
            ftdi_.Close();
            continue;
        }
        version_ = version;
        if (modelCode_ == 1 && version.find(u"ML") != std::u16string::npos) {
            modelCode_ = kModelGresa;
        }
        Report(progress, 30);
        return true;
    }
    return false;
}

bool CT7300Instrument::ReadVersion(std::u16string& version) {
    uint8_t reply[kVersionSize] = {};
    uint32_t count = kVersionSize;
    if (!Transact("VER;", reply, count, true, kReplyTimeoutMs) || count == 0) {
        return false;
    }
    version.clear();
    // 8-bit text: each byte is its own code point.
    for (uint32_t i = 0; i < count && reply[i] != 0; ++i) {
        version.push_back(static_cast<char16_t>(reply[i]));
    }
    return true;
}

bool CT7300Instrument::Disconnect() {
    EndCommunication();
    ftdi_.Close();
    return true;
}

bool CT7300Instrument::WaitForAck(uint32_t timeoutMs) {
    const uint32_t start = clock_.TickCount();
    for (;;) {
        uint8_t reply[4] = {};
        uint32_t got = 0;
        ftdi_.Read(reply, 4, got);  // a failing read is just no acknowledgement
        if (got == 4 && StartsWith(reply, got, "ACK;")) {
            return true;
        }
        clock_.Sleep(1);
        if (clock_.TickCount() - start >= timeoutMs) {
            return false;
        }
    }
}

bool CT7300Instrument::DownloadData(std::vector<uint8_t>& route, std::vector<uint8_t>& data,
                                    I_InfoWnd* progress, double from, double to) {
    if (!IsConnected()) {
        return false;
    }
    const double mid = (from + to) * 0.5;
    if (!ReceiveBlock("TXR;", route, progress, from, mid)) {
        return false;
    }
    return ReceiveBlock("TXD;", data, progress, mid, to);
}

bool CT7300Instrument::ReceiveBlock(std::string_view command, std::vector<uint8_t>& block,
                                    I_InfoWnd* progress, double a, double b) {
    const double c = (b - a) / 10 + a;
    uint8_t header[kHeaderReplySize + 1] = {};
    uint32_t count = kHeaderReplySize;
    if (!Transact(command, header, count, true, kReplyTimeoutMs, progress, a, c) || count < 5 ||
        !StartsWith(header, count, "BLK:")) {
        return false;
    }
    const std::optional<uint64_t> length = BlockNumber(header, count);
    if (!length) {
        return false;
    }
    if (*length == 0) {
        return true;
    }
    if (*length > kLargestBlock) {
        return false;
    }
    try {
        block.resize(static_cast<size_t>(*length));
    } catch (const std::bad_alloc&) {
        block.clear();
        return false;
    }
    uint32_t received = static_cast<uint32_t>(*length);
    if (!Transact("ACK;", block.data(), received, false, kBlockSilenceMs, progress, c, b) ||
        received != *length) {
        block.clear();
        block.shrink_to_fit();
        return false;
    }
    return true;
}

bool CT7300Instrument::UploadRoutes(const uint8_t* block, uint32_t length, I_InfoWnd*, double,
                                    double) {
    const struct {
        const char* command;
        uint32_t busyMs;
    } erases[] = {{"CLR;", kRoutesEraseMs}, {"CLD;", kDataEraseMs}};
    for (const auto& erase : erases) {
        uint8_t reply[5] = {};
        uint32_t count = 4;
        if (!Transact(erase.command, reply, count, true, kReplyTimeoutMs)) {
            return false;
        }
        if (count == 4 && StartsWith(reply, count, "ACK;")) {
            continue;
        }
        if (!(count == 4 && StartsWith(reply, count, "BSY;")) || !WaitForAck(erase.busyMs)) {
            return false;
        }
    }
    return SendBlock(block, length);
}

bool CT7300Instrument::SendBlock(const uint8_t* block, uint32_t length) {
    const std::string header = Utf16ToUtf8(Format("%s:%X;", {u"RXR", length}));
    uint8_t reply[kHeaderReplySize + 1] = {};
    uint32_t count = kHeaderReplySize;
    if (!Transact(header, reply, count, true, kReplyTimeoutMs) || count < 5 ||
        !StartsWith(reply, count, "BLK:")) {
        return false;
    }
    const std::optional<uint64_t> announced = BlockNumber(reply, count);
    if (!announced) {
        return false;
    }
    const uint32_t pieceSize = static_cast<uint32_t>(std::min<uint64_t>(*announced, UINT32_MAX));
    uint32_t sent = 0;
    uint32_t start = clock_.TickCount();
    while (sent < length) {
        // An instrument that takes no bytes but keeps acknowledging ends the upload.
        if (clock_.TickCount() - start >= kIdleUploadMs) {
            return true;
        }
        const uint32_t piece = std::min(length - sent, pieceSize);
        if (!ftdi_.Send(block + sent, piece)) {
            return RecoverFailedPiece(piece);
        }
        sent += piece;
        if (piece != 0) {
            start = clock_.TickCount();
        }
        if (!WaitForAck(kPieceAckMs)) {
            return false;
        }
    }
    return true;
}

bool CT7300Instrument::RecoverFailedPiece(uint32_t bound) {
    // Filler bytes let the instrument finish the piece it counts on; they are bounded by the
    // piece's length, so an instrument that keeps taking bytes cannot hold the upload forever.
    // Recovery never makes the upload succeed: the piece is lost.
    const uint8_t filler = '0';
    uint32_t attempts = 0;
    for (;;) {
        while (attempts < std::max<uint32_t>(bound, 1) && ftdi_.Send(&filler, 1)) {
            ++attempts;
        }
        if (attempts >= std::max<uint32_t>(bound, 1)) {
            return false;
        }
        ++attempts;  // the failed write counts too
        if (!WaitForAck(kPieceAckMs)) {
            return false;
        }
    }
}

}  // namespace wl

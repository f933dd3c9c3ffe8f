#include "sim/simulated_instrument.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/format.h"
#include "common/utf16.h"

namespace wl {
namespace {

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Uppercase hexadecimal without leading zeros, as lengths travel on the line.
std::string Hex(size_t value) {
    return Utf16ToUtf8(Format("%X", {value}));
}

// The length of an upload header, written the one way the PC writes it: 1 to 8 uppercase
// hexadecimal digits, no leading zero.
std::optional<size_t> ParseLength(std::string_view digits) {
    if (digits.empty() || digits.size() > 8 || (digits.size() > 1 && digits.front() == '0') ||
        !std::all_of(digits.begin(), digits.end(), IsUpperHexDigit)) {
        return std::nullopt;
    }
    size_t value = 0;
    for (const char c : digits) {
        value = value * 16 + static_cast<size_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

bool NeedsCommunicationMode(const std::string& word) {
    return word == "VER;" || word == "CLR;" || word == "CLD;" || word == "TXR;" || word == "TXD;" ||
           word == "ACK;" || word.starts_with("RXR:");
}

}  // namespace

SimulatedInstrument::SimulatedInstrument(SimulatedInstrumentConfig config, Clock& clock)
    : config_(std::move(config)), clock_(clock) {}

void SimulatedInstrument::Receive(std::span<const uint8_t> bytes) {
    Advance();
    size_t noise = 0;
    for (const uint8_t byte : bytes) {
        if (receivingBlock_) {
            TakeBlockByte(byte);
        } else if (byte < 0x20 || byte > 0x7E) {
            // What a wrong line speed or a loose wire delivers; it spoils the word it falls in.
            ++noise;
            word_.clear();
            skippingWord_ = true;
        } else {
            TakeWordByte(byte);
        }
    }
    if (noise != 0) {
        Complain(std::to_string(noise) + " unreadable bytes: line noise");
        // The line idles between writes, so the receiver is in step again for the next one.
        word_.clear();
        skippingWord_ = false;
    }
}

std::string SimulatedInstrument::TakeOutput(size_t max) {
    Advance();
    const size_t count = std::min(max, output_.size() - outputTaken_);
    std::string taken = output_.substr(outputTaken_, count);
    outputTaken_ += count;
    if (outputTaken_ == output_.size()) {
        output_.clear();
        outputTaken_ = 0;
    }
    return taken;
}

size_t SimulatedInstrument::PendingOutput() {
    Advance();
    return output_.size() - outputTaken_;
}

void SimulatedInstrument::DiscardOutput() {
    // What came due before the purge was on the line, so it is lost with the rest.
    Advance();
    output_.clear();
    outputTaken_ = 0;
}

std::optional<uint32_t> SimulatedInstrument::MillisecondsUntilNextOutput() {
    const uint32_t now = clock_.TickCount();
    std::optional<uint32_t> next;
    const auto consider = [&](uint32_t since, uint32_t duration) {
        const uint32_t elapsed = now - since;
        const uint32_t left = elapsed >= duration ? 0 : duration - elapsed;
        next = next ? std::min(*next, left) : left;
    };
    if (busy_ != Busy::kNone) {
        consider(busySince_, busyMs_);
    }
    const bool acknowledging =
        !config_.faults.missingAck || pieceNumber_ + 1 < *config_.faults.missingAck;
    if (emptyPieces_ && acknowledging) {
        consider(lastEmptyAck_, config_.emptyPieceAckMs);
    }
    return config_.faults.noAnswer ? std::nullopt : next;
}

void SimulatedInstrument::Advance() {
    const uint32_t now = clock_.TickCount();
    if (busy_ != Busy::kNone && now - busySince_ >= busyMs_) {
        (busy_ == Busy::kErasingRoutes ? routesErased_ : dataErased_) = true;
        busy_ = Busy::kNone;
        Reply("ACK;");
    }
    if (receivingBlock_ && now - lastUploadByte_ >= config_.blockGapMs) {
        Complain("upload abandoned after " + std::to_string(upload_.size()) + " of " +
                 std::to_string(upload_.size() + uploadExpected_) + " bytes");
        receivingBlock_ = false;
    }
    if (emptyPieces_ && now - lastEmptyAck_ >= config_.emptyPieceAckMs) {
        lastEmptyAck_ = now;
        AcknowledgePiece();
    }
}

void SimulatedInstrument::TakeWordByte(uint8_t byte) {
    const char c = static_cast<char>(byte);
    if (c == ';') {
        std::string word = std::move(word_);
        word_.clear();
        if (skippingWord_) {
            skippingWord_ = false;
            return;
        }
        word.push_back(';');
        Dispatch(word);
        return;
    }
    if (skippingWord_) {
        return;
    }
    word_.push_back(c);
    if (word_.size() > kLongestWord) {
        Complain("word longer than " + std::to_string(kLongestWord) + " bytes: \"" +
                 word_.substr(0, 16) + "...\"");
        word_.clear();
        skippingWord_ = true;
    }
}

void SimulatedInstrument::TakeBlockByte(uint8_t byte) {
    upload_.push_back(static_cast<char>(byte));
    --uploadExpected_;
    ++pieceFill_;
    lastUploadByte_ = clock_.TickCount();
    if (pieceFill_ == config_.pieceSize || uploadExpected_ == 0) {
        pieceFill_ = 0;
        AcknowledgePiece();
    }
    if (uploadExpected_ == 0) {
        receivingBlock_ = false;
        uploadComplete_ = true;
    }
}

void SimulatedInstrument::Dispatch(const std::string& word) {
    words_.push_back(word);
    // With empty pieces the PC sends nothing until its next command, which ends the upload.
    emptyPieces_ = false;
    if (busy_ != Busy::kNone) {
        Complain("\"" + word + "\" while erasing");
        return;
    }
    std::optional<std::string> offered = std::exchange(offered_, std::nullopt);
    if (word == ";") {
        Reply(config_.probeReply);
        return;
    }
    if (word == "COM;") {
        communicating_ = true;
        Reply("ACK;");
        return;
    }
    if (word == "STP;") {
        // Accepted in any mode: the PC ends every failed hand-shake with it.
        communicating_ = false;
        Reply("ACK;");
        return;
    }
    if (!NeedsCommunicationMode(word)) {
        Complain("unknown word \"" + word + "\"");
        return;
    }
    if (!communicating_) {
        Complain("\"" + word + "\" outside communication mode");
        return;
    }
    if (word == "VER;") {
        Reply(config_.versionText + ";");
    } else if (word == "CLR;") {
        StartErasing(Busy::kErasingRoutes, config_.clrBusyMs);
    } else if (word == "CLD;") {
        StartErasing(Busy::kErasingData, config_.cldBusyMs);
    } else if (word == "TXR;") {
        OfferBlock(config_.routeBlock);
    } else if (word == "TXD;") {
        OfferBlock(config_.dataBlock);
    } else if (word == "ACK;") {
        if (offered) {
            SendBlock(std::move(*offered));
        } else {
            Complain("\"ACK;\" with no block offered");
        }
    } else {
        StartUpload(word);
    }
}

void SimulatedInstrument::StartErasing(Busy what, uint32_t busyMs) {
    if (busyMs == 0) {
        (what == Busy::kErasingRoutes ? routesErased_ : dataErased_) = true;
        Reply("ACK;");
        return;
    }
    busy_ = what;
    busySince_ = clock_.TickCount();
    busyMs_ = busyMs;
    Reply("BSY;");
}

void SimulatedInstrument::StartUpload(const std::string& word) {
    const std::optional<size_t> length =
        ParseLength(std::string_view(word).substr(4, word.size() - 5));
    if (!length) {
        Complain("\"" + word + "\": malformed length");
        return;
    }
    upload_.clear();
    uploadComplete_ = *length == 0;
    uploadExpected_ = *length;
    pieceFill_ = 0;
    pieceNumber_ = 0;
    acknowledgedPieces_ = 0;
    Reply("BLK:" + Hex(config_.pieceSize) + ";");
    if (*length == 0) {
        return;
    }
    const uint32_t now = clock_.TickCount();
    if (config_.pieceSize == 0) {
        emptyPieces_ = true;
        lastEmptyAck_ = now;
    } else {
        receivingBlock_ = true;
        lastUploadByte_ = now;
    }
}

void SimulatedInstrument::OfferBlock(const std::string& block) {
    Reply("BLK:" + Hex(block.size()) + ";");
    if (!block.empty()) {
        offered_ = block;
    }
}

void SimulatedInstrument::AcknowledgePiece() {
    ++pieceNumber_;
    if (config_.faults.missingAck && pieceNumber_ >= *config_.faults.missingAck) {
        return;
    }
    ++acknowledgedPieces_;
    Reply("ACK;");
}

void SimulatedInstrument::Reply(std::string word) {
    if (config_.faults.garbage && !word.empty()) {
        std::fill(word.begin(), word.end() - 1, '?');
        word.back() = ';';
    }
    Send(std::move(word));
}

void SimulatedInstrument::SendBlock(std::string bytes) {
    if (config_.faults.silenceAfterBytes && bytes.size() > *config_.faults.silenceAfterBytes) {
        bytes.resize(*config_.faults.silenceAfterBytes);
    }
    Send(std::move(bytes));
}

void SimulatedInstrument::Send(std::string bytes) {
    if (config_.faults.noAnswer) {
        return;
    }
    if (config_.faults.cutReplyShort && !bytes.empty()) {
        bytes.pop_back();
    }
    output_ += bytes;
}

void SimulatedInstrument::Complain(std::string complaint) {
    log_.push_back(std::move(complaint));
}

}  // namespace wl

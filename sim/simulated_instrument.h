#pragma once
// The serial instrument's side of the command protocol, independent of any transport: it takes
// the bytes the PC sends and produces the bytes it answers. Time (erasing, acknowledgements of
// empty pieces, a stalled upload) is read from a Clock, so tests run it on a virtual clock.
//
// It is strict: a word it does not know, a word that needs communication mode outside it, or a
// malformed length is answered with nothing and noted in log(), so a test sees the fault.
//
// Choices where the PC's side leaves room:
// - "VER;" is answered with the version text and ";", so the PC's terminator read ends at once.
// - "STP;" is accepted in and out of communication mode and answered "ACK;".
// - Every word received while erasing is a complaint and goes unanswered.
// - A header "RXR:<len>;" is taken only as the PC writes it: uppercase hex, no leading zero.
// - With piece size 0 each empty piece is acknowledged on a timer (emptyPieceAckMs), because
//   the PC sends nothing for it; the PC's next command ends that.
// - Bytes outside printable ASCII are line noise: they spoil their word up to its ";" within
//   the same write, and are noted once per write.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace wl {

// Ways an instrument misbehaves, for testing how the PC copes.
struct SimulatedFaults {
    // Hears everything, answers nothing at all.
    bool noAnswer = false;
    // Every reply word keeps its length and its final ";" but the bytes before it become "?".
    bool garbage = false;
    // Every reply, raw blocks included, loses its last byte.
    bool cutReplyShort = false;
    // A block handed out after "ACK;" stops after this many bytes.
    std::optional<size_t> silenceAfterBytes;
    // Uploaded pieces from this one on (counting from 1) are not acknowledged.
    std::optional<size_t> missingAck;
};

struct SimulatedInstrumentConfig {
    // The USB description string the converter chip carries.
    std::string usbDescription = "T7300-IV";
    // The only line speed at which the instrument understands and is understood.
    uint32_t baud = 1500000;
    // Answered to "VER;", followed by ";".
    std::string versionText = "V2.10";
    // Answered to the bare ";": content not examined by the PC.
    std::string probeReply = "OK;";
    // Handed out for "TXR;" and "TXD;".
    std::string routeBlock;
    std::string dataBlock;
    // Announced in the "BLK:" reply to an upload header.
    uint32_t pieceSize = 0x1000;
    // Erasing time: 0 answers "ACK;" at once, more answers "BSY;" and "ACK;" once it passed.
    uint32_t clrBusyMs = 0;
    uint32_t cldBusyMs = 0;
    // With piece size 0 the PC sends nothing per piece, so the instrument acknowledges each
    // empty piece on its own, once per this interval.
    uint32_t emptyPieceAckMs = 100;
    // An upload that brings no byte for this long is abandoned, so the next command is heard
    // as a command again.
    uint32_t blockGapMs = 500;
    SimulatedFaults faults;
};

class SimulatedInstrument {
  public:
    // Longest word taken before ";"; a longer run is noise.
    static constexpr size_t kLongestWord = 64;

    SimulatedInstrument(SimulatedInstrumentConfig config, Clock& clock);

    // Bytes from the PC, in the order they travel on the line.
    void Receive(std::span<const uint8_t> bytes);
    // Up to `max` bytes the instrument has sent and the PC has not taken yet.
    std::string TakeOutput(size_t max);
    size_t PendingOutput();
    // What the line loses on a purge: everything sent and not yet taken.
    void DiscardOutput();
    // Time until the instrument sends something on its own; none when it will not.
    std::optional<uint32_t> MillisecondsUntilNextOutput();

    const SimulatedInstrumentConfig& config() const { return config_; }
    bool inCommunicationMode() const { return communicating_; }
    // Every word heard, in order, ";" included.
    const std::vector<std::string>& receivedWords() const { return words_; }
    // Complaints about what the PC sent.
    const std::vector<std::string>& log() const { return log_; }
    // The bytes of the last upload, as far as they arrived.
    const std::string& receivedRouteBlock() const { return upload_; }
    bool uploadComplete() const { return uploadComplete_; }
    // Counts the acknowledgements of uploaded pieces, empty ones included.
    size_t acknowledgedPieces() const { return acknowledgedPieces_; }
    bool routesErased() const { return routesErased_; }
    bool dataErased() const { return dataErased_; }

  private:
    enum class Busy { kNone, kErasingRoutes, kErasingData };

    // Sends what came due by now: the end of erasing, an empty piece's acknowledgement, the
    // end of a stalled upload.
    void Advance();
    void TakeWordByte(uint8_t byte);
    void TakeBlockByte(uint8_t byte);
    void Dispatch(const std::string& word);
    void StartErasing(Busy what, uint32_t busyMs);
    void StartUpload(const std::string& word);
    void OfferBlock(const std::string& block);
    void AcknowledgePiece();
    void Reply(std::string word);
    void SendBlock(std::string bytes);
    void Send(std::string bytes);
    void Complain(std::string complaint);

    SimulatedInstrumentConfig config_;
    Clock& clock_;
    std::string output_;
    size_t outputTaken_ = 0;
    std::string word_;
    // The rest of an overlong word is dropped up to its ";".
    bool skippingWord_ = false;
    bool communicating_ = false;
    Busy busy_ = Busy::kNone;
    uint32_t busySince_ = 0;
    uint32_t busyMs_ = 0;
    // The block offered by "BLK:" and awaiting the PC's "ACK;".
    std::optional<std::string> offered_;
    // Upload in progress: bytes still expected and bytes of the current piece.
    bool receivingBlock_ = false;
    size_t uploadExpected_ = 0;
    size_t pieceFill_ = 0;
    size_t pieceNumber_ = 0;
    uint32_t lastUploadByte_ = 0;
    bool emptyPieces_ = false;
    uint32_t lastEmptyAck_ = 0;
    std::string upload_;
    bool uploadComplete_ = false;
    size_t acknowledgedPieces_ = 0;
    bool routesErased_ = false;
    bool dataErased_ = false;
    std::vector<std::string> words_;
    std::vector<std::string> log_;
};

}  // namespace wl

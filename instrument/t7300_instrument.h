#pragma once
// The serial-link instrument as the rest of the program sees it: whether one is attached and
// which model, the hand-shake into communication mode, erasing, sending the route block and
// fetching the route and data blocks. The blocks are opaque bytes here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/info_wnd.h"
#include "instrument/ftdi.h"

namespace wl {

struct InstrumentModel {
    int32_t modelCode;
    const char* usbDescription;
    int32_t baud;
};

// Every probe and every hand-shake walks these rows in this order. Codes 1 to 4 are the
// "Pellix S", code 5 the Gresa; the three "T7300-EX" rows differ only in baud rate.
inline constexpr InstrumentModel kInstrumentModels[] = {
    {1, "T7300-III", 1500000}, {1, "T7300-IV", 1500000}, {2, "T7300-EX", 250000},
    {3, "T7300-EX", 500000},   {4, "T7300-EX", 750000},  {5, "T7310", 1500000},
};

inline constexpr int32_t kModelGresa = 5;

class CT7300Instrument {
  public:
    static constexpr uint32_t kProbeIntervalMs = 1000;
    static constexpr uint32_t kUnsentCommandPauseMs = 2000;
    // The largest block accepted from the instrument; a longer announcement fails the block.
    static constexpr uint64_t kLargestBlock = 256u * 1024 * 1024;

    CT7300Instrument(IFtdiDriver& driver, Clock& clock, ITraceSink& trace);
    CT7300Instrument(const CT7300Instrument&) = delete;
    CT7300Instrument& operator=(const CT7300Instrument&) = delete;
    virtual ~CT7300Instrument();

    // True when the converter is open, or one of the model rows opens now; within 1000 ms of the
    // last probe, the last answer.
    virtual bool IsConnected();
    // True when a hand-shake succeeded: the model code is set and the converter stays open.
    bool Connect(I_InfoWnd* progress);
    // A converter the last probe found but could not open (another program holds it, or the user
    // may not use it); nothing when it found none or connected.
    const std::optional<ConverterRefusal>& LastRefusal() const { return lastRefusal_; }
    // Ends communication mode and closes the converter; always true.
    bool Disconnect();
    // True when both blocks arrived whole. Both outputs must be empty on entry.
    bool DownloadData(std::vector<uint8_t>& route, std::vector<uint8_t>& data, I_InfoWnd* progress,
                      double from, double to);
    // True when the instrument was erased and took the whole block.
    bool UploadRoutes(const uint8_t* block, uint32_t length, I_InfoWnd* progress, double from,
                      double to);

    int32_t ModelCode() const { return modelCode_; }
    // The version text of the last hand-shake.
    const std::u16string& VersionText() const { return version_; }
    FTDI& transport() { return ftdi_; }

  private:
    bool Transact(std::string_view command, uint8_t* reply, uint32_t& count, bool terminator,
                  uint32_t timeoutMs, I_InfoWnd* progress = nullptr, double from = 0,
                  double to = 0);
    bool ReadVersion(std::u16string& version);
    bool WaitForAck(uint32_t timeoutMs);
    bool ReceiveBlock(std::string_view command, std::vector<uint8_t>& block, I_InfoWnd* progress,
                      double a, double b);
    bool SendBlock(const uint8_t* block, uint32_t length);
    bool RecoverFailedPiece(uint32_t bound);
    void EndCommunication();

    Clock& clock_;
    FTDI ftdi_;
    int32_t modelCode_ = 0;
    std::u16string version_;
    uint32_t lastProbe_ = 0;
    bool lastAnswer_ = false;
    std::optional<ConverterRefusal> lastRefusal_;
};

}  // namespace wl

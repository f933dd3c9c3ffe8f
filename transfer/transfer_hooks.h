#pragma once
// The four transfers the two buttons start. Each runs to its end before it returns; the window
// keeps polling meanwhile, so a transfer reads the live detection state it is given.

#include "common/instrument_kind.h"

namespace wl {

class ITransferHooks {
  public:
    virtual ~ITransferHooks() = default;
    virtual void UploadToAnalyzer(const DetectedInstrument& instrument) = 0;
    virtual void DownloadFromAnalyzer(const DetectedInstrument& instrument) = 0;
    virtual void UploadToSerialInstrument() = 0;
    virtual void DownloadFromSerialInstrument() = 0;
};

// Until the transfers are wired in, a press starts nothing.
class NoTransfers : public ITransferHooks {
  public:
    void UploadToAnalyzer(const DetectedInstrument&) override {}
    void DownloadFromAnalyzer(const DetectedInstrument&) override {}
    void UploadToSerialInstrument() override {}
    void DownloadFromSerialInstrument() override {}
};

}  // namespace wl

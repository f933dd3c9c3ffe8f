#pragma once
// The four transfers behind the window's two buttons, talking to the user through one Ui.

#include <filesystem>
#include <functional>

#include "instrument/t7300_instrument.h"
#include "transfer/transfer_hooks.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

// Runs one transfer. Should memory run out, the transfer ends with a message saying so and the
// program goes on; what the transfer staged is gone by then.
TransferOutcome RunWithinMemory(ITransferUi& ui, const std::function<TransferOutcome()>& transfer);

class TransferSequences : public ITransferHooks {
  public:
    // `tempFolder` holds the serial transfers' work folders: the user's own temporary folder.
    TransferSequences(ITransferUi& ui, CT7300Instrument& instrument,
                      std::filesystem::path tempFolder);

    void UploadToAnalyzer(const DetectedInstrument& instrument) override;
    void DownloadFromAnalyzer(const DetectedInstrument& instrument) override;
    void UploadToSerialInstrument() override;
    void DownloadFromSerialInstrument() override;

  private:
    ITransferUi& ui_;
    CT7300Instrument& instrument_;
    std::filesystem::path tempFolder_;
};

}  // namespace wl

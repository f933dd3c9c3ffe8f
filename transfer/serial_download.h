#pragma once
// Fetching the route and the measured data of the serial-link instrument into an export file
// ("*.rvx") holding them as one project "Route".

#include <filesystem>

#include "instrument/t7300_instrument.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

// The whole download: file chooser, hand-shake, both blocks into `tempFolder`/rvx, packing and
// the closing message. The export appears only complete: a failure leaves an earlier file of that
// name as it was. `tempFolder` is the user's own temporary folder (GetTempFolderPath()).
TransferOutcome DownloadFromSerialInstrument(ITransferUi& ui, CT7300Instrument& instrument,
                                             const std::filesystem::path& tempFolder);

}  // namespace wl

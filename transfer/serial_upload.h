#pragma once
// Storing one route of an import file ("*.rvi") in the serial-link instrument, whose memory is
// erased for it.

#include <cstdint>
#include <filesystem>

#include "instrument/t7300_instrument.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

// The largest route block taken from an import file.
inline constexpr int32_t kLargestSerialRoute = 100000000;

// The whole upload: file chooser, unpacking into `tempFolder`/rvi, the erase question, the
// hand-shake, the check of the route's type against the model, sending and the closing message.
// `tempFolder` is the user's own temporary folder (GetTempFolderPath()).
TransferOutcome UploadToSerialInstrument(ITransferUi& ui, CT7300Instrument& instrument,
                                         const std::filesystem::path& tempFolder);

}  // namespace wl

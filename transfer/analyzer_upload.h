#pragma once
// Storing the routes of a route file ("*.rdi") in an analyzer, one folder per route.

#include "common/instrument_kind.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

// The whole upload: file chooser, one overwrite question per route already there, unpacking,
// closing message. The analyzer's folder is taken after the chooser has closed, from the live
// detection state: when no analyzer is connected by then, nothing is touched.
TransferOutcome UploadToAnalyzer(ITransferUi& ui, const DetectedInstrument& instrument);

}  // namespace wl

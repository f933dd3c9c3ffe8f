#pragma once
// Moving route and measured-data folders from an analyzer into one export file ("*.rdx").

#include <string>
#include <vector>

#include "common/instrument_kind.h"
#include "transfer/route_selection.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

// The analyzer's route folders, then its data folders, each group in ordinal order of the names
// (code unit by code unit: "R10" before "R2", capitals before small letters). A folder that is
// there but cannot be listed offers nothing; why is added to `unlisted`, when given.
std::vector<RouteEntry> ListAnalyzerFolders(int32_t kind, const std::filesystem::path& base,
                                            std::vector<std::u16string>* unlisted = nullptr);

// The whole download: selection, export file chooser, packing, closing message. The analyzer's
// folders are taken before the first dialog; the analyzer is only read.
TransferOutcome DownloadFromAnalyzer(ITransferUi& ui, const DetectedInstrument& instrument);

}  // namespace wl

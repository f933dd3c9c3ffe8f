#pragma once
// The end of writing an export file: the table of contents, then the staged file renamed over
// its target, and the closing message either way.

#include <string>

#include "container/container_file.h"
#include "fs/staged_file.h"
#include "transfer/transfer_outcome.h"
#include "transfer/transfer_ui.h"

namespace wl {

class FileError;

// Why an export file cannot be written where the user chose: it lies inside `folder`, which is
// being packed, and would pack its own unfinished self.
std::u16string ExportInsidePackedFolder(const std::u16string& folder);

// What to tell of a file error while an export was written: its cause and the file it struck,
// named as the user chose it when it struck the staged file.
std::u16string ExportFileErrorText(const FileError& failure, const StagedFile& staged,
                                   const std::u16string& shownPath);

// Finishes and closes the container written at `staged`'s path and puts it in place; shows
// "Routes saved into '%s'" or the error with its cause under the product title.
TransferOutcome FinishExport(ITransferUi& ui, BDL::ContainerFile& container, StagedFile& staged,
                             const std::u16string& shownPath);

}  // namespace wl

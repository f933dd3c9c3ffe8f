#include "transfer/export_file.h"

#include "common/format.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "platform/file_error.h"
#include "transfer/transfer_messages.h"

namespace wl {

std::u16string ExportInsidePackedFolder(const std::u16string& folder) {
    return Format(ProgramTextTable().ExportInsidePackedFolderFmt, {folder});
}

std::u16string ExportFileErrorText(const FileError& failure, const StagedFile& staged,
                                   const std::u16string& shownPath) {
    return FileErrorText(failure, failure.path() == staged.path() ? &shownPath : nullptr);
}

TransferOutcome FinishExport(ITransferUi& ui, BDL::ContainerFile& container, StagedFile& staged,
                             const std::u16string& shownPath) {
    const strBDL& texts = StringTable();
    int cause = 0;
    const bool finished = container.Finish(cause);
    int closeCause = 0;
    const bool closed = container.Close(&closeCause);
    if (finished && closed && staged.Commit()) {
        ShowClosing(ui, Format(texts.RoutesSavedFmt, {shownPath}), MessageIcon::kInformation);
        return TransferOutcome::kDone;
    }
    // The staged file goes with `staged`: an earlier export of that name stays as it was.
    const std::u16string reason = !finished ? FileErrorCauseText(cause)
                                  : !closed ? FileErrorCauseText(closeCause)
                                            : staged.error();
    ShowClosing(ui, Format(texts.ErrSavingRoutesFmt, {shownPath}) + u"\r\n" + reason,
                MessageIcon::kError);
    return TransferOutcome::kFailed;
}

}  // namespace wl

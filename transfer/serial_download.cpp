#include "transfer/serial_download.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "fs/staged_file.h"
#include "locale/string_table.h"
#include "platform/file_error.h"
#include "transfer/export_file.h"
#include "transfer/transfer_messages.h"
#include "transfer/work_folder.h"

namespace wl {
namespace {

constexpr int32_t kPellixRouteType = 1;
constexpr int32_t kGresaRouteType = kModelGresa;

// Writes one block into the work folder; false when a message was shown.
bool WriteBlock(ITransferUi& ui, std::unique_ptr<I_InfoWnd>& progress,
                const std::filesystem::path& path, const std::vector<uint8_t>& block) {
    std::u16string error;
    if (WriteWholeFile(path, block.data(), static_cast<uint32_t>(block.size()), error,
                       FileAccess::kOwnerOnly)) {
        return true;
    }
    progress.reset();
    ShowError(ui,
              Format("%s\r\n%s\r\n%s", {StringTable().ErrorCreateBDL, PathToUtf16(path), error}));
    return false;
}

}  // namespace

TransferOutcome DownloadFromSerialInstrument(ITransferUi& ui, CT7300Instrument& instrument,
                                             const std::filesystem::path& tempFolder) {
    const strBDL& texts = StringTable();
    const auto target = ui.ChooseFileToSave({u"Export (*.rvx)", u"*.rvx", u"*.rvx"});
    if (!target) {
        return TransferOutcome::kCancelled;
    }
    const std::u16string shownPath = PathToUtf16(*target);
    const std::filesystem::path workFolder = tempFolder / "rvx";
    // The work folder is emptied and packed: an export inside it would be lost or pack itself.
    if (!tempFolder.empty() && LiesWithin(*target, workFolder)) {
        ShowError(ui,
                  Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, shownPath,
                                            ExportInsidePackedFolder(PathToUtf16(workFolder))}));
        return TransferOutcome::kFailed;
    }

    std::unique_ptr<I_InfoWnd> progress = ui.OpenProgress();
    if (!instrument.Connect(progress.get())) {
        progress.reset();
        ShowError(ui, texts.PellixNotRunning);
        return TransferOutcome::kFailed;
    }
    if (!RecreateWorkFolder(tempFolder, workFolder)) {
        progress.reset();
        ShowError(ui, WorkFolderError(tempFolder, workFolder));
        return TransferOutcome::kFailed;
    }
    std::vector<uint8_t> route;
    std::vector<uint8_t> data;
    if (!instrument.DownloadData(route, data, progress.get(), 30, 70)) {
        instrument.Disconnect();
        progress.reset();
        ShowError(ui, texts.PellixErrDownloadingData);
        return TransferOutcome::kFailed;
    }
    if (!WriteBlock(ui, progress, workFolder / "route.bdl", route)) {
        return TransferOutcome::kFailed;
    }
    progress->SetProgress(80);
    if (!WriteBlock(ui, progress, workFolder / "data.bdl", data)) {
        return TransferOutcome::kFailed;
    }
    progress->SetProgress(90);
    instrument.Disconnect();

    // Written beside the target and renamed over it only when complete, so a failure leaves no
    // partial file and an earlier export of that name as it was.
    StagedFile staged(*target);
    BDL::ContainerFile container;
    if (!staged.ok() || !container.Create(staged.path())) {
        const std::u16string reason = staged.ok() ? container.LastError() : staged.error();
        progress.reset();
        ShowError(ui, Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, shownPath, reason}));
        return TransferOutcome::kFailed;
    }
    // The project's name is part of the file, not a text shown: it stays "Route" in every
    // language.
    const int32_t type = instrument.ModelCode() == kModelGresa ? kGresaRouteType : kPellixRouteType;
    try {
        std::u16string error;
        if (!container.AddFolder(u"Route", type, workFolder, progress.get(), 90, 100, error)) {
            progress.reset();
            container.Close();
            ShowError(ui, Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, shownPath, error}));
            return TransferOutcome::kFailed;
        }
    } catch (const FileError& failure) {
        // A full disk while packing: the partial export goes with the staged file.
        progress.reset();
        container.Close();
        ShowClosing(ui,
                    Format(texts.ErrSavingRoutesFmt, {shownPath}) + u"\r\n" +
                        ExportFileErrorText(failure, staged, shownPath),
                    MessageIcon::kError);
        return TransferOutcome::kFailed;
    }
    progress.reset();

    return FinishExport(ui, container, staged, shownPath);
}

}  // namespace wl

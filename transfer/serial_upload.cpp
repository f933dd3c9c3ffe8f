#include "transfer/serial_upload.h"

#include <memory>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "platform/file_error.h"
#include "transfer/transfer_messages.h"
#include "transfer/work_folder.h"

namespace wl {
namespace {

constexpr int32_t kPellixRouteType = 1;
constexpr int32_t kGresaRouteType = kModelGresa;

// Why the instrument cannot take a route of this type; empty when it can.
std::u16string RefusalFor(int32_t modelCode, int32_t routeType) {
    const strBDL& texts = StringTable();
    const bool gresa = modelCode == kModelGresa;
    if (routeType == (gresa ? kGresaRouteType : kPellixRouteType)) {
        return {};
    }
    if (routeType == (gresa ? kPellixRouteType : kGresaRouteType)) {
        return gresa ? texts.ErrPellixRouteGresaInstrument : texts.ErrGresaRoutePellixInstrument;
    }
    return Format("%s - 2(%d)", {texts.PellixWrongFormat, routeType});
}

// Unpacks the project into `folder`; false when a message was shown.
bool Unpack(ITransferUi& ui, BDL::ContainerFile& container, const BDL::Project& project,
            const std::filesystem::path& folder) {
    const strBDL& texts = StringTable();
    std::u16string error;
    try {
        if (container.ExtractProject(project, folder, nullptr, 0, 100, error,
                                     FileAccess::kOwnerOnly)) {
            return true;
        }
    } catch (const FileError& failure) {
        // A full disk or an unreadable import file: told like any other unpacking failure.
        error = FileErrorCauseText(static_cast<int>(failure.cause()));
    }
    // The third line stands where the system's own text used to be.
    ShowError(ui, Format("%s\r\n%s\r\nxxxx", {texts.ErrorCreateBDL, error}));
    return false;
}

}  // namespace

TransferOutcome UploadToSerialInstrument(ITransferUi& ui, CT7300Instrument& instrument,
                                         const std::filesystem::path& tempFolder) {
    const strBDL& texts = StringTable();
    const auto routeFile = ui.ChooseFileToOpen({u"Import (*.rvi)", u"*.rvi", u"*.rvi"});
    if (!routeFile) {
        return TransferOutcome::kCancelled;
    }
    const std::filesystem::path workFolder = tempFolder / "rvi";
    // The work folder is emptied first: a route file inside it would be deleted.
    if (!tempFolder.empty() && LiesWithin(*routeFile, workFolder)) {
        ShowError(ui, Format("%s\r\n%s", {texts.ErrorCreateBDL,
                                          Format(ProgramTextTable().RouteFileInWorkFolderFmt,
                                                 {PathToUtf16(workFolder)})}));
        return TransferOutcome::kFailed;
    }
    BDL::ContainerFile container;
    if (!container.Open(*routeFile)) {
        // The window ends here without a word, as the system always has; a script is told why.
        ui.NoteSilentFailure(Format("%s: %s", {PathToUtf16(*routeFile), container.LastError()}));
        return TransferOutcome::kFailed;
    }
    const BDL::ProjectList& projects = container.GetProjectList();
    if (projects.projects.Count() != 1) {
        ShowError(ui, Format("%s(%d)", {texts.PellixWrongFormat, projects.projects.Count()}));
        return TransferOutcome::kFailed;
    }
    const BDL::Project& project = *projects.projects.Get(0);

    if (!RecreateWorkFolder(tempFolder, workFolder)) {
        ShowError(ui, WorkFolderError(tempFolder, workFolder));
        return TransferOutcome::kFailed;
    }
    if (!Unpack(ui, container, project, workFolder)) {
        return TransferOutcome::kFailed;
    }
    const std::filesystem::path routePath = workFolder / "route.bdl";
    std::vector<uint8_t> block;
    uint32_t length = 0;
    std::u16string error;
    if (!ReadWholeFile(routePath, block, length, error, kLargestSerialRoute)) {
        ShowError(ui,
                  Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, PathToUtf16(routePath), error}));
        return TransferOutcome::kFailed;
    }
    if (!AskYesNo(ui, texts.PellixEraseMsg)) {
        return TransferOutcome::kCancelled;
    }

    std::unique_ptr<I_InfoWnd> progress = ui.OpenProgress();
    if (!instrument.Connect(progress.get())) {
        progress.reset();
        ShowError(ui, texts.PellixNotRunning);
        return TransferOutcome::kFailed;
    }
    // Refused before anything is erased. The instrument stays in communication mode: a later
    // hand-shake opens the converter anew.
    const std::u16string refusal = RefusalFor(instrument.ModelCode(), project.type);
    if (!refusal.empty()) {
        progress.reset();
        ShowError(ui, refusal);
        return TransferOutcome::kFailed;
    }
    const bool uploaded = instrument.UploadRoutes(block.data(), length, progress.get(), 30, 100);
    progress.reset();
    instrument.Disconnect();
    if (!uploaded) {
        ShowClosing(ui, texts.PellixErrSavingRoute, MessageIcon::kError);
        return TransferOutcome::kFailed;
    }
    ShowClosing(ui, Format(texts.PellixRouteSaved, {project.name}), MessageIcon::kInformation);
    return TransferOutcome::kDone;
}

}  // namespace wl

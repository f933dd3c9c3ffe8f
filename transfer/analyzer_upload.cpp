#include "transfer/analyzer_upload.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "transfer/analyzer_folders.h"
#include "transfer/route_replacement.h"
#include "transfer/transfer_messages.h"

namespace wl {
namespace {

void AppendName(std::u16string& list, const std::u16string& name) {
    if (!list.empty()) {
        list += u"\r\n";
    }
    list += name;
}

}  // namespace

TransferOutcome UploadToAnalyzer(ITransferUi& ui, const DetectedInstrument& instrument) {
    const strBDL& texts = StringTable();
    const ProgramTexts& own = ProgramTextTable();
    const auto routeFile = ui.ChooseFileToOpen({u"Import (*.rdi)", u"*.rdi", u"*.rdi"});
    if (!routeFile) {
        return TransferOutcome::kCancelled;
    }
    // Taken now: the analyzer may have gone, or changed, while the chooser was open.
    const DetectedInstrument analyzer = instrument;
    if (!IsAnalyzerKind(analyzer.kind)) {
        ShowError(ui, Format("%s\r\n%s", {texts.ConnectInstrument, own.NoAnalyzerConnected}));
        return TransferOutcome::kFailed;
    }
    const std::filesystem::path routeFolder =
        AnalyzerRouteFolder(analyzer.kind, analyzer.drivePath);
    if (!PathExists(routeFolder)) {
        CreateFolder(routeFolder);
    }
    std::vector<std::filesystem::path> existing;
    if (!ListSubfolders(routeFolder, existing)) {
        // The window ends here without a word, as the system always has; a script is told why.
        ui.NoteSilentFailure(
            Format(own.ErrListFolderFmt, {PathToUtf16(routeFolder), LastFailureReason()}));
        return TransferOutcome::kFailed;
    }
    BDL::ContainerFile container;
    if (!container.Open(*routeFile)) {
        ui.NoteSilentFailure(Format("%s: %s", {PathToUtf16(*routeFile), container.LastError()}));
        return TransferOutcome::kFailed;
    }
    // What an interrupted upload left is put right before anything new is stored.
    TidyRouteWork(routeFolder, MissingRoute::kRestore);
    const BDL::ProjectList& projects = container.GetProjectList();
    std::unique_ptr<I_InfoWnd> progress = ui.OpenProgress();
    std::u16string uploaded;
    std::u16string notUploaded;
    bool struck = false;  // a file error: the rest is not tried
    TransferOutcome outcome = TransferOutcome::kDone;
    const double step = 100.0 / static_cast<double>(projects.projects.Count());
    double position = 0;
    for (const auto& project : projects.projects) {
        const std::u16string& name = project->name;
        const auto refuse = [&] {
            AppendName(notUploaded, name);
            if (outcome == TransferOutcome::kDone) {
                outcome = TransferOutcome::kRefused;
            }
        };
        progress->SetText(name);
        progress->SetProgress(position);
        const double from = position;
        position += step;
        // Only one plain name becomes a folder: "..", "a/b" or "" would land elsewhere.
        const auto folderName = IsPlainName(name) ? Utf16ToPath(name) : std::nullopt;
        if (struck || !folderName) {
            refuse();
            continue;
        }
        const std::filesystem::path target = routeFolder / *folderName;
        if (PathExists(target) && !AskYesNo(ui, Format(texts.OverwritePromptFmt, {name}))) {
            refuse();
            continue;
        }
        std::u16string error;
        // Replacing the folder would take the route file being read along with the old route.
        if (LiesWithin(*routeFile, target)) {
            AppendName(
                notUploaded,
                name + u" : " + Format(own.RouteFileInRouteFolderFmt, {PathToUtf16(*routeFile)}));
            outcome = TransferOutcome::kFailed;
            continue;
        }
        try {
            if (StoreRoute(container, *project, routeFolder, *folderName, progress.get(), from,
                           position, error)) {
                AppendName(uploaded, name);
                continue;
            }
        } catch (const FileError& failure) {
            // A full analyzer or a drive pulled out: the routes after this one are not tried.
            error = FileErrorText(failure);
            struck = true;
        } catch (const std::bad_alloc&) {
            error = own.NoMemoryToUnpackRoute;
            struck = true;
        }
        AppendName(notUploaded, name + u" : " + error);
        outcome = TransferOutcome::kFailed;
    }
    progress.reset();
    // The old copies of replaced routes and the empty work folder go; a route the messages
    // below say is kept there stays for the next upload or download to put back.
    TidyRouteWork(routeFolder, MissingRoute::kKeep);

    std::u16string closing;
    if (!uploaded.empty()) {
        closing = texts.RoutesUploaded + uploaded;
    }
    if (!notUploaded.empty()) {
        if (!closing.empty()) {
            closing += u"\r\n\r\n";
        }
        closing += texts.RoutesNotUploaded + notUploaded;
    }
    if (!closing.empty()) {
        ShowClosing(
            ui, closing,
            outcome == TransferOutcome::kFailed ? MessageIcon::kError : MessageIcon::kInformation);
    }
    return outcome;
}

}  // namespace wl

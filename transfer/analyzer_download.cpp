#include "transfer/analyzer_download.h"

#include <algorithm>
#include <memory>

#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "fs/staged_file.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "transfer/analyzer_folders.h"
#include "transfer/export_file.h"
#include "transfer/route_replacement.h"
#include "transfer/transfer_messages.h"

namespace wl {
namespace {

void AppendSubfolders(const std::filesystem::path& folder, int32_t kind,
                      std::vector<RouteEntry>& entries, std::vector<std::u16string>* unlisted) {
    std::vector<std::filesystem::path> names;
    if (folder.empty() || !PathExists(folder)) {
        return;
    }
    if (!ListSubfolders(folder, names)) {
        if (unlisted != nullptr) {
            const std::u16string reason = LastFailureReason();  // before anything else is asked
            unlisted->push_back(
                Format(ProgramTextTable().ErrListFolderFmt, {PathToUtf16(folder), reason}));
        }
        return;
    }
    for (const std::filesystem::path& name : names) {
        entries.push_back({PathToUtf16(name), PathToUtf16(folder / name), kind});
    }
}

// Packs the chosen folders into the staged export file; false when a message was shown.
bool PackFolders(ITransferUi& ui, BDL::ContainerFile& container, const StagedFile& staged,
                 const std::vector<RouteEntry>& entries, const std::u16string& shownPath) {
    const strBDL& texts = StringTable();
    std::unique_ptr<I_InfoWnd> progress = ui.OpenProgress();
    const double step = 100.0 / static_cast<double>(entries.size());
    double position = 0;
    try {
        for (const RouteEntry& entry : entries) {
            progress->SetText(entry.name);
            progress->SetProgress(position);
            std::u16string error;
            const auto folder = Utf16ToPath(entry.path);
            if (!folder || !container.AddFolder(entry.name, entry.kind, *folder, progress.get(),
                                                position, position + step, error)) {
                progress.reset();
                container.Close();
                ShowClosing(ui,
                            Format(texts.ErrSavingRoutesFmt, {shownPath}) + u"\r\n" + entry.name +
                                u" : " + error,
                            MessageIcon::kError);
                return false;
            }
            position += step;
        }
    } catch (const FileError& failure) {
        // A full disk, a drive pulled out or an unreadable file on the analyzer: the partial
        // export goes with the staged file.
        progress.reset();
        container.Close();
        ShowClosing(ui,
                    Format(texts.ErrSavingRoutesFmt, {shownPath}) + u"\r\n" +
                        ExportFileErrorText(failure, staged, shownPath),
                    MessageIcon::kError);
        return false;
    }
    return true;
}

}  // namespace

std::vector<RouteEntry> ListAnalyzerFolders(int32_t kind, const std::filesystem::path& base,
                                            std::vector<std::u16string>* unlisted) {
    // A route an interrupted upload left in the analyzer's work folder gets its folder back
    // before the folders are offered.
    TidyRouteWork(AnalyzerRouteFolder(kind, base), MissingRoute::kRestore);
    std::vector<RouteEntry> entries;
    AppendSubfolders(AnalyzerRouteFolder(kind, base), kRouteKindRoute, entries, unlisted);
    AppendSubfolders(AnalyzerDataFolder(kind, base), kRouteKindAnalyzer, entries, unlisted);
    // char16_t compares as an unsigned 16-bit number: an ordinal, case-sensitive order.
    std::stable_sort(entries.begin(), entries.end(), [](const RouteEntry& a, const RouteEntry& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.name < b.name;
    });
    return entries;
}

TransferOutcome DownloadFromAnalyzer(ITransferUi& ui, const DetectedInstrument& instrument) {
    const strBDL& texts = StringTable();
    std::vector<std::u16string> unlisted;
    std::vector<RouteEntry> entries =
        ListAnalyzerFolders(instrument.kind, instrument.drivePath, &unlisted);
    // The window offers what it could list, as the system always has; a script is told the rest.
    for (const std::u16string& reason : unlisted) {
        ui.NoteSilentFailure(reason);
    }
    if (!ui.SelectRoutes(entries)) {
        return TransferOutcome::kCancelled;
    }
    if (entries.empty()) {
        ui.ShowMessage({texts.NoRotuesWereSelected, texts.Error, MessageIcon::kError,
                        MessageButtons::kOk, false});
        return TransferOutcome::kFailed;
    }
    const auto target = ui.ChooseFileToSave({u"Export (*.rdx)", u"*.rdx", u"*.rdx"});
    if (!target) {
        return TransferOutcome::kCancelled;
    }
    const std::u16string shownPath = PathToUtf16(*target);
    // The export would otherwise pack its own unfinished self.
    for (const RouteEntry& entry : entries) {
        const auto folder = Utf16ToPath(entry.path);
        if (folder && LiesWithin(*target, *folder)) {
            ShowError(ui, Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, shownPath,
                                                    ExportInsidePackedFolder(entry.path)}));
            return TransferOutcome::kFailed;
        }
    }
    // Written beside the target and renamed over it only when complete, so a failure leaves no
    // partial file and an earlier export of that name as it was.
    StagedFile staged(*target);
    BDL::ContainerFile container;
    if (!staged.ok() || !container.Create(staged.path())) {
        const std::u16string reason = staged.ok() ? container.LastError() : staged.error();
        ShowError(ui, Format("%s\r\n%s\r\n%s", {texts.ErrorCreateBDL, shownPath, reason}));
        return TransferOutcome::kFailed;
    }
    if (!PackFolders(ui, container, staged, entries, shownPath)) {
        return TransferOutcome::kFailed;
    }
    return FinishExport(ui, container, staged, shownPath);
}

}  // namespace wl

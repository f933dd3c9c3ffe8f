#include "transfer/analyzer_upload.h"

#include <memory>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "locale/string_table.h"
#include "transfer/analyzer_folders.h"
#include "transfer/transfer_messages.h"

namespace wl {
namespace {

void AppendName(std::u16string& list, const std::u16string& name) {
    if (!list.empty()) {
        list += u"\r\n";
    }
    list += name;
}

// A new route is unpacked beside the old one and swapped in only when complete, so a failed
// unpack never costs the route the analyzer had.
class RouteReplacement {
  public:
    RouteReplacement(const std::filesystem::path& routeFolder, const std::filesystem::path& name)
        : target_(routeFolder / name),
          staging_(routeFolder / (".wayload-new-" + name.string())),
          previous_(routeFolder / (".wayload-old-" + name.string())) {}
    ~RouteReplacement() {
        if (!swapped_) {
            DeleteTree(staging_);
        }
    }

    // An empty staging folder to unpack into; false with `error` when it cannot be made.
    bool Prepare(std::u16string& error) {
        DeleteTree(staging_);
        if (!CreateFolder(staging_)) {
            error = Format("Can't create folder %s", {PathToUtf16(staging_)});
            return false;
        }
        return true;
    }
    const std::filesystem::path& staging() const { return staging_; }

    // Puts the unpacked route in place of the old one; false with `error` when it cannot.
    bool SwapIn(std::u16string& error) {
        std::error_code failed;
        DeleteTree(previous_);
        const bool hadPrevious = std::filesystem::exists(std::filesystem::symlink_status(target_));
        if (hadPrevious) {
            std::filesystem::rename(target_, previous_, failed);
        }
        if (!failed) {
            std::filesystem::rename(staging_, target_, failed);
            if (failed && hadPrevious) {
                std::error_code ignored;
                std::filesystem::rename(previous_, target_, ignored);
            }
        }
        if (failed) {
            error = Format("Can't replace folder %s - %d", {PathToUtf16(target_), failed.value()});
            return false;
        }
        swapped_ = true;
        DeleteTree(previous_);
        return true;
    }

  private:
    std::filesystem::path target_;
    std::filesystem::path staging_;
    std::filesystem::path previous_;
    bool swapped_ = false;
};

// Stores one project as its route folder; false with `error` when the old route stays.
bool StoreRoute(BDL::ContainerFile& container, const BDL::Project& project,
                const std::filesystem::path& routeFolder, const std::filesystem::path& name,
                I_InfoWnd* progress, double from, double to, std::u16string& error) {
    RouteReplacement replacement(routeFolder, name);
    return replacement.Prepare(error) &&
           container.ExtractProject(project, replacement.staging(), progress, from, to, error) &&
           replacement.SwapIn(error);
}

}  // namespace

TransferOutcome UploadToAnalyzer(ITransferUi& ui, const DetectedInstrument& instrument) {
    const strBDL& texts = StringTable();
    const auto routeFile = ui.ChooseFileToOpen({u"Import (*.rdi)", u"*.rdi", u"*.rdi"});
    if (!routeFile) {
        return TransferOutcome::kCancelled;
    }
    // Taken now: the analyzer may have gone, or changed, while the chooser was open.
    const DetectedInstrument analyzer = instrument;
    if (!IsAnalyzerKind(analyzer.kind)) {
        ShowError(ui, Format("%s\r\n%s", {texts.ConnectInstrument, u"No analyzer is connected."}));
        return TransferOutcome::kFailed;
    }
    const std::filesystem::path routeFolder =
        AnalyzerRouteFolder(analyzer.kind, analyzer.drivePath);
    if (!PathExists(routeFolder)) {
        CreateFolder(routeFolder);
    }
    std::vector<std::filesystem::path> existing;
    if (!ListSubfolders(routeFolder, existing)) {
        return TransferOutcome::kFailed;
    }
    BDL::ContainerFile container;
    if (!container.Open(*routeFile)) {
        return TransferOutcome::kFailed;
    }
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
        if (PathExists(routeFolder / *folderName) &&
            !AskYesNo(ui, Format(texts.OverwritePromptFmt, {name}))) {
            refuse();
            continue;
        }
        std::u16string error;
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
        }
        AppendName(notUploaded, name + u" : " + error);
        outcome = TransferOutcome::kFailed;
    }
    progress.reset();

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
        ShowClosing(ui, closing, struck ? MessageIcon::kError : MessageIcon::kInformation);
    }
    return outcome;
}

}  // namespace wl

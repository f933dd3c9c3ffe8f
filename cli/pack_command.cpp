#include <algorithm>
#include <system_error>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "container/item_names.h"
#include "fs/file_ops.h"
#include "fs/staged_file.h"
#include "platform/file_error.h"

namespace wl::cli {
namespace {

// The folder's own name, as the command line gives it ("data/R1/" names R1).
std::optional<std::u16string> ProjectNameOf(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(folder, error).lexically_normal();
    if (!full.has_filename()) {
        full = full.parent_path();
    }
    if (!full.has_filename()) {
        return std::nullopt;
    }
    return PathToUtf16Exact(full.filename());
}

}  // namespace

int RunPack(const std::filesystem::path& out, const std::vector<std::filesystem::path>& folders,
            int type) {
    std::vector<std::u16string> names;
    for (const auto& folder : folders) {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            ReportFailure(folder, "not an existing folder");
            return kExitFailure;
        }
        auto name = ProjectNameOf(folder);
        if (!name) {
            ReportFailure(folder, "a project cannot be named after this folder");
            return kExitFailure;
        }
        // Refused before anything is written: a name that would not come back as it went in.
        if (const std::u16string flaw = ProjectNameFlaw(*name); !flaw.empty()) {
            ReportFailure(folder,
                          Format("Can't add directory %s", {PathToUtf16(folder)}) + u" - " + flaw);
            return kExitFailure;
        }
        names.push_back(std::move(*name));
        // The container would otherwise pack its own unfinished self.
        if (LiesWithin(out, folder)) {
            ReportFailure(out, "the container cannot be written inside a folder it packs");
            return kExitFailure;
        }
    }

    StagedFile staged(out);
    if (!staged.ok()) {
        ReportFailure(out, staged.error());
        return kExitFailure;
    }
    BDL::ContainerFile container;
    if (!container.Create(staged.path())) {
        ReportFailure(out, container.LastError());
        return kExitFailure;
    }
    ProgressLine progress("Packing " + out.filename().string());
    try {
        const double step = 100.0 / static_cast<double>(folders.size());
        for (size_t i = 0; i < folders.size(); ++i) {
            std::u16string error;
            const double from = step * static_cast<double>(i);
            if (container.AddFolder(names[i], type, folders[i], &progress, from, from + step,
                                    error) == nullptr) {
                progress.Finish();
                ReportFailure(folders[i], error);
                return kExitFailure;
            }
        }
    } catch (const FileError& failure) {
        // Named as the user knows it: OUT, not the staged file, or the packed file it struck.
        progress.Finish();
        ReportFailure(failure.path() == staged.path() ? out : failure.path(), failure.reason());
        return kExitFailure;
    }
    progress.Finish();
    int cause = 0;
    if (!container.Finish(cause) || !container.Close(&cause)) {
        ReportFailure(out, FileErrorCauseText(cause));
        return kExitFailure;
    }
    if (!staged.Commit()) {
        ReportFailure(out, staged.error());
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace wl::cli

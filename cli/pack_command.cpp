#include <algorithm>
#include <system_error>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "common/utf16.h"
#include "container/container_file.h"
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

// True when `inner` is `outer` or lies below it, links resolved.
bool LiesWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    std::error_code error;
    const auto innerFull = std::filesystem::weakly_canonical(inner, error);
    const auto outerFull = std::filesystem::weakly_canonical(outer, error);
    if (error) {
        return false;
    }
    const auto [outerEnd, innerAt] =
        std::mismatch(outerFull.begin(), outerFull.end(), innerFull.begin(), innerFull.end());
    return outerEnd == outerFull.end();
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
        names.push_back(std::move(*name));
        // The container would otherwise pack its own unfinished self.
        if (LiesWithin(std::filesystem::absolute(out).parent_path(), folder)) {
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
        progress.Finish();
        ReportFailure(out, Describe(failure));
        return kExitFailure;
    }
    progress.Finish();
    int cause = 0;
    if (!container.Finish(cause) || !container.Close()) {
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

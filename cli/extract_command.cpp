#include <unordered_set>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "common/format.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/device_flush.h"
#include "fs/file_ops.h"
#include "platform/file_error.h"

namespace wl::cli {

int RunExtract(const std::filesystem::path& file, const std::filesystem::path& destination,
               std::optional<int> type) {
    BDL::ContainerFile container;
    if (!container.Open(file)) {
        ReportFailure(file, container.LastError());
        return kExitFailure;
    }
    // Every project's folder name is checked before anything is written.
    std::vector<const BDL::Project*> chosen;
    std::unordered_set<std::u16string> names;
    for (const auto& project : container.GetProjectList().projects) {
        if (type && project->type != *type) {
            continue;
        }
        if (!IsPlainName(project->name)) {
            ReportFailure(
                file, Format("project name '%s' is not one plain folder name", {project->name}));
            return kExitFailure;
        }
        if (!names.insert(project->name).second) {
            ReportFailure(file, Format("project name '%s' occurs more than once; extract one "
                                       "type at a time with --type",
                                       {project->name}));
            return kExitFailure;
        }
        chosen.push_back(project.get());
    }
    if (type && chosen.empty()) {
        ReportFailure(file, Format("holds no project of type %d", {*type}));
        return kExitFailure;
    }
    // Taken before anything is written, so that a write-back failure meanwhile is seen too.
    DeviceFlush device(destination);
    if (!CreateFolderPath(destination)) {
        ReportFailure(destination, u"cannot create this folder - " + LastFailureReason());
        return kExitFailure;
    }

    ProgressLine progress("Extracting " + file.filename().string());
    const double step = chosen.empty() ? 0 : 100.0 / static_cast<double>(chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i) {
        const std::filesystem::path target = destination / *Utf16ToPath(chosen[i]->name);
        std::u16string error;
        try {
            const double from = step * static_cast<double>(i);
            if (!CreateFolderPath(target)) {
                const std::u16string reason = LastFailureReason();
                progress.Finish();
                ReportFailure(target, u"cannot create this folder - " + reason);
                return kExitFailure;
            }
            if (!container.ExtractProject(*chosen[i], target, &progress, from, from + step,
                                          error)) {
                progress.Finish();
                ReportFailure(file, error);
                return kExitFailure;
            }
        } catch (const FileError& failure) {
            progress.Finish();
            ReportFailure(failure.path(), failure.reason());
            return kExitFailure;
        }
    }
    progress.Finish();
    // Success only once the files are on the device: the drive may be pulled out right after.
    std::u16string reason;
    if (!device.Flush(reason)) {
        ReportFailure(destination,
                      u"the extracted files could not be written to the device - " + reason);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace wl::cli

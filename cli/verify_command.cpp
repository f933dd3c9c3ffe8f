#include <cstdio>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "container/container_file.h"
#include "platform/file_error.h"

namespace wl::cli {

int RunVerify(const std::filesystem::path& file) {
    BDL::ContainerFile container;
    if (!container.Open(file)) {
        ReportFailure(file, container.LastError());
        return kExitFailure;
    }
    const auto& projects = container.GetProjectList().projects;
    ProgressLine progress("Verifying " + file.filename().string());
    const double step = projects.Count() == 0 ? 0 : 100.0 / projects.Count();
    int64_t files = 0;
    int64_t bytes = 0;
    for (int32_t i = 0; i < projects.Count(); ++i) {
        const BDL::Project& project = *projects.Get(i);
        std::u16string error;
        try {
            if (!container.VerifyProject(project, &progress, step * i, step * (i + 1), error)) {
                progress.Finish();
                ReportFailure(file, error);
                return kExitFailure;
            }
        } catch (const FileError& failure) {
            progress.Finish();
            ReportFailure(file, failure.reason());
            return kExitFailure;
        }
        for (const auto& item : project.items) {
            if (item->type == BDL::ProjectItem::kFile) {
                ++files;
                bytes += item->size;
            }
        }
    }
    progress.Finish();
    std::printf("%s: %d projects, %lld files, %lld bytes restored\n", file.c_str(),
                projects.Count(), static_cast<long long>(files), static_cast<long long>(bytes));
    return kExitSuccess;
}

}  // namespace wl::cli

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "common/utf16.h"
#include "container/container_file.h"

namespace wl::cli {
namespace {

int64_t PackedBytes(const BDL::Project& project) {
    int64_t bytes = 0;
    for (const auto& item : project.items) {
        if (item->type == BDL::ProjectItem::kFile && item->compSize > 0) {
            bytes += item->compSize;
        }
    }
    return bytes;
}

void PrintJson(const BDL::ProjectList& list) {
    // Keys keep the order in which they are written.
    nlohmann::ordered_json projects = nlohmann::ordered_json::array();
    for (const auto& project : list.projects) {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (const auto& item : project->items) {
            items.push_back({{"name", Utf16ToUtf8(item->name)},
                             {"type", item->type},
                             {"size", item->size},
                             {"compsize", item->compSize},
                             {"pos", item->pos}});
        }
        projects.push_back({{"name", Utf16ToUtf8(project->name)},
                            {"type", project->type},
                            {"items", std::move(items)}});
    }
    const nlohmann::ordered_json document = {{"version", list.ver},
                                             {"projects", std::move(projects)}};
    std::fputs(document.dump(2).c_str(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int RunList(const std::filesystem::path& file, bool json) {
    BDL::ContainerFile container;
    if (!container.Open(file)) {
        ReportFailure(file, container.LastError());
        return kExitFailure;
    }
    const BDL::ProjectList& list = container.GetProjectList();
    if (json) {
        PrintJson(list);
        return kExitSuccess;
    }
    for (const auto& project : list.projects) {
        std::printf("%d\t%s\t%d items\t%lld bytes\n", project->type,
                    Printable(project->name).c_str(), project->items.Count(),
                    static_cast<long long>(PackedBytes(*project)));
    }
    return kExitSuccess;
}

}  // namespace wl::cli

#pragma once
// An analyzer drive laid out in a temporary folder, and a look into the export files written.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/support/temp_folder.h"

namespace wl::test {

// Every project of a container as (type, name).
inline std::vector<std::pair<int32_t, std::string>> ProjectsOf(const std::filesystem::path& file) {
    BDL::ContainerFile container;
    std::vector<std::pair<int32_t, std::string>> projects;
    if (!container.Open(file)) {
        return projects;
    }
    for (const auto& project : container.GetProjectList().projects) {
        projects.emplace_back(project->type, Utf16ToUtf8(project->name));
    }
    return projects;
}

// The names in a folder, sorted, for "nothing else was left here".
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace wl::test

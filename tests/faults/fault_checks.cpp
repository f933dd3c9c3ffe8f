#include "tests/faults/fault_checks.h"

#include <cerrno>
#include <system_error>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The words that name each cause, the program's own and the system's.
std::vector<std::string> CauseWords(int error) {
    switch (error) {
        case ENOSPC:
            return {"The disk is full", "No space left on device"};
        case EIO:
            return {"hardware error", "Input/output error"};
        default:
            return {};
    }
}

// The file or folder the failed call worked on, from the shim's description
// "call N: KIND TARGET ERRNO".
std::string FailedCallTarget(const std::string& injectedCall) {
    const size_t kind = injectedCall.find(": ");
    const size_t target = kind == std::string::npos ? kind : injectedCall.find(' ', kind + 2);
    const size_t error = injectedCall.rfind(' ');
    if (target == std::string::npos || error <= target) {
        return {};
    }
    return injectedCall.substr(target + 1, error - target - 1);
}

// True when the failed call worked on `folder` itself, named absolutely or from the fixture.
bool FailedOnFolder(const std::string& injectedCall, const fs::path& folder) {
    const std::string target = FailedCallTarget(injectedCall);
    return !target.empty() &&
           (target == folder.string() || folder.string().ends_with("/" + target));
}

}  // namespace

void CheckCauseTold(const std::string& told, int error, const std::string& where,
                    Problems& problems) {
    if (told.empty()) {
        problems.push_back({where + " says nothing about the failure", ""});
        return;
    }
    for (const std::string& words : CauseWords(error)) {
        if (Contains(told, words)) {
            return;
        }
    }
    problems.push_back({where + " does not name the cause (" + ErrnoName(error) + ")", ""});
}

void CheckTree(const fs::path& root, const Tree& expected, const std::string& rule,
               Problems& problems) {
    const Tree actual = ReadTree(root);
    if (actual != expected) {
        problems.push_back({rule, Difference(expected, actual)});
    }
}

void CheckNoPartFiles(const fs::path& folder, Problems& problems) {
    for (const auto& [path, content] : ReadTree(folder)) {
        if (path.ends_with(".part")) {
            problems.push_back({"a staged \"*.part\" file is left behind", path});
        }
    }
}

void CheckFileBytes(const fs::path& file, const std::string& bytes, const std::string& rule,
                    Problems& problems) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        problems.push_back({rule, file.filename().string() + " is gone"});
        return;
    }
    const std::string now = test::ReadFile(file);
    if (now != bytes) {
        problems.push_back({rule, file.filename().string() + " now holds " +
                                      std::to_string(now.size()) + " bytes instead of " +
                                      std::to_string(bytes.size())});
    }
}

void CheckExport(const fs::path& file, const std::vector<ExpectedProject>& projects,
                 const fs::path& scratch, Problems& problems) {
    const std::string rule = "the export reported as written is not complete and correct";
    BDL::ContainerFile container;
    if (!container.Open(file)) {
        problems.push_back({rule, "it cannot be opened: " + Utf16ToUtf8(container.LastError())});
        return;
    }
    const auto& listed = container.GetProjectList().projects;
    if (static_cast<size_t>(listed.Count()) != projects.size()) {
        problems.push_back({rule, "it lists " + std::to_string(listed.Count()) +
                                      " projects instead of " + std::to_string(projects.size())});
        return;
    }
    for (size_t i = 0; i < projects.size(); ++i) {
        const BDL::Project& project = *listed.Get(static_cast<int64_t>(i));
        const ExpectedProject& expected = projects[i];
        const std::string name = Utf16ToUtf8(project.name);
        if (project.type != expected.type || name != expected.name) {
            problems.push_back({rule, "project " + std::to_string(i) + " is " +
                                          std::to_string(project.type) + " " + name +
                                          " instead of " + std::to_string(expected.type) + " " +
                                          expected.name});
            continue;
        }
        std::u16string error;
        if (!container.VerifyProject(project, nullptr, 0, 100, error)) {
            problems.push_back({rule, name + " does not verify: " + Utf16ToUtf8(error)});
            continue;
        }
        const fs::path unpacked = scratch / ("unpacked-" + std::to_string(i));
        fs::create_directories(unpacked);
        if (!container.ExtractProject(project, unpacked, nullptr, 0, 100, error)) {
            problems.push_back({rule, name + " does not unpack: " + Utf16ToUtf8(error)});
            continue;
        }
        const Tree actual = ReadTree(unpacked);
        if (actual != expected.tree) {
            problems.push_back(
                {rule, name + " unpacks to other files: " + Difference(expected.tree, actual)});
        }
    }
}

void CheckExportTarget(const fs::path& file, const std::string& earlier,
                       const std::vector<ExpectedProject>& projects, const RunResult& result,
                       const fs::path& scratch, Problems& problems) {
    if (result.succeeded) {
        CheckExport(file, projects, scratch, problems);
    } else if (FailedOnFolder(result.injectedCall, file.parent_path()) &&
               test::ReadFile(file) != earlier) {
        // Only the flush of the folder after the export took the target's place failed: the
        // complete export stands, and the failure says it was not confirmed on the device.
        CheckExport(file, projects, scratch, problems);
        if (!Contains(result.errorText, "did not confirm")) {
            problems.push_back(
                {"an export that stands unconfirmed is not told as such", result.errorText});
        }
        CheckNoPartFiles(file.parent_path(), problems);
    } else {
        CheckFileBytes(file, earlier, "the earlier export was changed", problems);
        // From a drive that is gone, not even the staged file can be removed again.
        if (!result.driveGone) {
            CheckNoPartFiles(file.parent_path(), problems);
        }
    }
    // Whatever happened, nothing but the export itself is left in its folder.
    const Tree folder = ReadTree(file.parent_path());
    for (const auto& [path, content] : folder) {
        if (path != file.filename().string() && !path.ends_with(".part")) {
            problems.push_back({"something is left beside the export", path});
        }
    }
}

}  // namespace wl::faults

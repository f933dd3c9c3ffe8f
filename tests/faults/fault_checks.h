#pragma once
// The rules a run is held to: what the user is told about a failure, what an export holds, and
// that earlier files, analyzer routes and everything else stay as they were.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/faults/fault_run.h"
#include "tests/faults/folder_tree.h"

namespace wl::faults {

// A failure is told with its cause: the program's own text ("The disk is full", "hardware
// error") or the system's ("No space left on device", "Input/output error"). `where` names the
// channel ("stderr", "the error messages").
void CheckCauseTold(const std::string& told, int error, const std::string& where,
                    Problems& problems);

// The tree below `root` is exactly `expected`.
void CheckTree(const std::filesystem::path& root, const Tree& expected, const std::string& rule,
               Problems& problems);

// No "*.part" file anywhere below `folder`.
void CheckNoPartFiles(const std::filesystem::path& folder, Problems& problems);

void CheckFileBytes(const std::filesystem::path& file, const std::string& bytes,
                    const std::string& rule, Problems& problems);

struct ExpectedProject {
    int32_t type;
    std::string name;
    Tree tree;
};

// The export lists exactly these projects in this order, verifies, and unpacks (into `scratch`)
// to exactly their trees.
void CheckExport(const std::filesystem::path& file, const std::vector<ExpectedProject>& projects,
                 const std::filesystem::path& scratch, Problems& problems);

// An export written to `file` in `folder`, over an earlier export `earlier`: after a success it
// holds the projects and nothing else is in the folder; after a failure the earlier export is
// byte for byte as it was and no staged file is left.
void CheckExportTarget(const std::filesystem::path& file, const std::string& earlier,
                       const std::vector<ExpectedProject>& projects, const RunResult& result,
                       const std::filesystem::path& scratch, Problems& problems);

}  // namespace wl::faults

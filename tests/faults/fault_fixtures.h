#pragma once
// The data every sweep works on: folder trees with subfolders, an empty folder, an empty file and
// a file of a few hundred KB, and containers packed from them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/faults/folder_tree.h"

namespace wl::faults {

// A route to download or pack: subfolders, an empty folder, an empty file, 300 KB of noise.
Tree RouteTree();
// A set of measured data.
Tree DataTree();
// A route as an analyzer held it before an upload, with a file the new one no longer has.
Tree OldRouteTree();
// The new content of that route.
Tree NewRouteTree();
// A route the analyzer did not have.
Tree AddedRouteTree();
// A route no transfer touches.
Tree OtherRouteTree();

struct PackedProject {
    std::u16string name;
    int32_t type;
    Tree tree;
};

// The bytes of a container holding the projects, packed in process in `scratch`, a folder of its
// own that is removed afterwards.
std::string PackedContainer(const std::filesystem::path& scratch,
                            const std::vector<PackedProject>& projects);

}  // namespace wl::faults

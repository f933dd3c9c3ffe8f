#pragma once
// The serial transfers' work folders ("rvi", "rvx") in the user's own temporary folder.

#include <filesystem>

namespace wl {

// An empty `folder` that only the user may enter: whatever an earlier transfer left there goes
// first. Without a temporary folder nothing is made, rather than a folder wherever the program
// was started.
bool RecreateWorkFolder(const std::filesystem::path& tempFolder,
                        const std::filesystem::path& folder);

}  // namespace wl

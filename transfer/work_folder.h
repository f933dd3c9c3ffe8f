#pragma once
// The serial transfers' work folders ("rvi", "rvx") in the user's own temporary folder.

#include <filesystem>
#include <string>

namespace wl {

// An empty `folder` that only the user may enter: whatever an earlier transfer left there goes
// first. Without a temporary folder nothing is made, rather than a folder wherever the program
// was started.
bool RecreateWorkFolder(const std::filesystem::path& tempFolder,
                        const std::filesystem::path& folder);

// "Can't create temp. directory", the folder and why it could not be made, as the transfers show
// it; call it right after RecreateWorkFolder failed.
std::u16string WorkFolderError(const std::filesystem::path& tempFolder,
                               const std::filesystem::path& folder);

}  // namespace wl

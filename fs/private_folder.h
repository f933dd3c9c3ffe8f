#pragma once
// Inside the file operations: the check behind the default temporary folder, apart so that tests
// can point it at folders they lay out.

#include <sys/types.h>

#include <filesystem>

namespace wl::internal {

// Creates `folder` with mode 0700 if nothing is there, then answers whether it is a real folder
// (not a link) owned by `owner` that no group or other user may write into. An existing folder is
// never changed: it might belong to someone else.
bool MakePrivateFolder(const std::filesystem::path& folder, uid_t owner);

}  // namespace wl::internal

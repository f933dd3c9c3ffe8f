// Renaming and removing single entries, and the reason of the last failure.

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "fs/file_ops.h"
#include "platform/file_error.h"

namespace wl {

bool RenameEntry(const std::filesystem::path& from, const std::filesystem::path& to) {
    return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveEmptyFolder(const std::filesystem::path& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

std::u16string LastFailureReason() {
    return FileErrorReason(errno);
}

}  // namespace wl

// Deletion of a file or of a whole folder tree.

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "fs/file_ops.h"

namespace wl {

bool DeleteTree(const std::filesystem::path& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) {
        return false;
    }
    // remove_all removes a symbolic link itself and never descends through it, so a link inside
    // the tree cannot take files outside it along.
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}

}  // namespace wl

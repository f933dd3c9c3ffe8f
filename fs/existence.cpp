// Existence tests: is anything at a path, is there a file matching a name.

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "fs/file_ops.h"

namespace wl {
namespace {

bool HasWildcards(const std::string& component) {
    return component.find_first_of("*?") != std::string::npos;
}

// A file here is anything that is not a folder once links are followed; a dangling link is no file.
bool IsFileStatus(const std::filesystem::file_status& status) {
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

bool PathExists(const std::filesystem::path& path) {
    struct stat info {};
    // lstat: a dangling link or a special file still occupies the name.
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool FileExists(const std::filesystem::path& name) {
    std::error_code error;
    const std::string last = name.filename().native();
    if (!HasWildcards(last)) {
        return !name.empty() && IsFileStatus(std::filesystem::status(name, error));
    }
    const std::filesystem::path folder = name.has_parent_path() ? name.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (MatchesMask(it->path().filename().native(), last)) {
            std::error_code statusError;
            return IsFileStatus(it->status(statusError));
        }
    }
    return false;
}

}  // namespace wl

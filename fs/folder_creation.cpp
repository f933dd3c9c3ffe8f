// Creation of folders with open access, one level or a whole path.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "fs/file_ops.h"

namespace wl {
namespace {

constexpr mode_t kOpenFolderMode = 0777;

bool IsFolder(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool CreateFolder(const std::filesystem::path& path) {
    if (path.empty() || ::mkdir(path.c_str(), kOpenFolderMode) != 0) {
        return false;
    }
    // The umask narrowed the mode; widen it again on the folder just made (O_NOFOLLOW: never
    // on whatever a link put in its place). File systems without Unix modes, such as the FAT of
    // an analyzer drive, refuse the change, and the folder is still there and usable.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, kOpenFolderMode);
        ::close(fd);
    }
    return true;
}

bool CreateFolderPath(const std::filesystem::path& path) {
    std::filesystem::path level;
    bool anyLevel = false;
    for (const std::filesystem::path& component : path) {
        level /= component;
        // The root and the empty component of a trailing separator are no level of their own.
        if (component.empty() || component.has_root_directory()) {
            continue;
        }
        anyLevel = true;
        if (IsFolder(level)) {
            continue;
        }
        // Another process may make the same level at the same moment: what counts is that a
        // folder stands there afterwards. A file in its place fails both tests.
        if (!CreateFolder(level)) {
            const int error = errno;  // what the caller is told, not what the test below leaves
            if (!IsFolder(level)) {
                errno = error;
                return false;
            }
        }
    }
    return anyLevel;
}

}  // namespace wl

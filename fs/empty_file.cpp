// Creation of an empty file with open access, leaving an existing file alone.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/file_ops.h"

namespace wl {

bool CreateEmptyFile(const std::filesystem::path& path, FileAccess access) {
    const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0666;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        return true;
    }
    // O_EXCL: never through a dangling link to somewhere else, never over a folder.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return false;
    }
    // Give back what the umask took; FAT and similar file systems refuse, harmlessly.
    ::fchmod(fd, mode);
    ::close(fd);
    return true;
}

}  // namespace wl

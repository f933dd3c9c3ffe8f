// The user's own temporary folder.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "fs/file_ops.h"
#include "fs/private_folder.h"

namespace wl {

namespace internal {

bool MakePrivateFolder(const std::filesystem::path& folder, uid_t owner) {
    constexpr mode_t kPrivateMode = 0700;
    if (::mkdir(folder.c_str(), kPrivateMode) == 0) {
        // Ours now, and in a sticky /tmp nobody else can swap it: give back what the umask took,
        // so the owner can use it.
        ::chmod(folder.c_str(), kPrivateMode);
    } else if (errno != EEXIST) {
        return false;
    }
    // lstat: a link planted under this name by someone else must not redirect our files.
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == owner &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace internal

bool CreatePrivateFolder(const std::filesystem::path& path) {
    // Only a folder made here counts: one already there may belong to someone else, or hold
    // what a failed deletion left (mkdir then fails with EEXIST).
    if (path.empty() || ::mkdir(path.c_str(), 0700) != 0) {
        return false;
    }
    // Give back what the umask took, on the folder just made and never through a link.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, 0700);
        ::close(fd);
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        errno = EACCES;  // something else took its place meanwhile
        return false;
    }
    return true;
}

std::filesystem::path GetTempFolderPath() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    const uid_t user = ::geteuid();
    std::filesystem::path folder = "/tmp/wayload-" + std::to_string(user);
    if (!internal::MakePrivateFolder(folder, user)) {
        return {};
    }
    return folder;
}

}  // namespace wl

#include "fs/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/utf16.h"

namespace wl {
namespace {

std::u16string SystemError(int error) {
    return Utf8ToUtf16(std::strerror(error));
}

bool SyncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path target) : target_(std::move(target)) {
    std::filesystem::path folder = target_.parent_path();
    std::string pattern = (folder / (target_.filename().native() + ".XXXXXX.part")).native();
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd < 0) {
        error_ = SystemError(errno);
        return;
    }
    // mkstemp makes the file private; the finished file gets the mode of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    path_ = pattern;
}

StagedFile::~StagedFile() {
    if (!committed_ && !path_.empty()) {
        ::unlink(path_.c_str());
    }
}

bool StagedFile::Commit() {
    if (path_.empty()) {
        return false;
    }
    if (!SyncPath(path_, O_RDONLY)) {
        error_ = SystemError(errno);
        return false;
    }
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        error_ = SystemError(errno);
        return false;
    }
    committed_ = true;
    // The rename itself lasts only once the folder is flushed too; a failure here leaves the
    // complete file in place, so it is not reported.
    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
    SyncPath(folder, O_RDONLY | O_DIRECTORY);
    return true;
}

}  // namespace wl

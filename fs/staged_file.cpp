#include "fs/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/file_error.h"

namespace wl {
namespace {

constexpr int kPartSuffixLength = 5;  // ".part"

// Answers 0 once the file or folder is on the device, else the error.
int SyncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    return synced != 0 ? synced : closed;
}

std::string PartPattern(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    return (folder / (target.filename().native() + ".XXXXXX.part")).native();
}

// The pattern with its six X made up at random, as mkstemp would.
std::string RandomPartName(const std::filesystem::path& target) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::string name = PartPattern(target);
    const size_t at = name.size() - kPartSuffixLength - 6;
    for (size_t i = at; i < at + 6; ++i) {
        name[i] = kLetters[random() % (sizeof kLetters - 1)];
    }
    return name;
}

// A new file gets the mode any new file gets: what the umask leaves of 0666.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path target, Flush flush)
    : target_(std::move(target)), flush_(flush) {
    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
    unnamedFd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (unnamedFd_ >= 0) {
        // The container reopens the unnamed file through /proc; without /proc it cannot.
        std::filesystem::path reopen = "/proc/self/fd/" + std::to_string(unnamedFd_);
        if (::access(reopen.c_str(), W_OK) == 0) {
            ::fchmod(unnamedFd_, NewFileMode());
            path_ = std::move(reopen);
            return;
        }
        ::close(unnamedFd_);
        unnamedFd_ = -1;
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        error_ = FileErrorReason(errno);
        return;
    }
    CreateNamed();
}

bool StagedFile::CreateNamed() {
    std::string pattern = PartPattern(target_);
    const int fd = ::mkstemps(pattern.data(), kPartSuffixLength);
    if (fd < 0) {
        error_ = FileErrorReason(errno);
        return false;
    }
    // mkstemp makes the file private; the finished file gets the mode of any new file.
    ::fchmod(fd, NewFileMode());
    ::close(fd);
    path_ = pattern;
    named_ = pattern;
    return true;
}

StagedFile::~StagedFile() {
    if (!committed_ && !named_.empty()) {
        ::unlink(named_.c_str());
    }
    if (unnamedFd_ >= 0) {
        ::close(unnamedFd_);
    }
}

bool StagedFile::Name() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        // linkat refuses a name that exists, so a made-up name cannot take another file's place.
        const std::string pattern = RandomPartName(target_);
        if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, pattern.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            named_ = pattern;
            return true;
        }
        if (errno != EEXIST) {
            error_ = FileErrorReason(errno);
            return false;
        }
    }
    error_ = FileErrorReason(EEXIST);
    return false;
}

bool StagedFile::Commit() {
    if (path_.empty()) {
        return false;
    }
    const bool flushing = flush_ == Flush::kAtCommit;
    if (const int error = flushing ? SyncPath(path_, O_RDONLY) : 0; error != 0) {
        error_ = FileErrorReason(error);
        return false;
    }
    if (named_.empty() && !Name()) {
        return false;
    }
    if (::rename(named_.c_str(), target_.c_str()) != 0) {
        error_ = FileErrorReason(errno);
        return false;
    }
    committed_ = true;
    // The rename itself lasts only once the folder is flushed too. Should that fail, the
    // complete file stands under its name, but it is not known to be on the device: a failure.
    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
    if (const int error = flushing ? SyncPath(folder, O_RDONLY | O_DIRECTORY) : 0; error != 0) {
        error_ =
            u"The file is in place, but the device did not confirm it - " + FileErrorReason(error);
        return false;
    }
    return true;
}

}  // namespace wl

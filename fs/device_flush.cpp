// syncfs flushes the whole file system in one call, which is what an analyzer drive needs, and
// costs one wait however many files were written. Since Linux 5.8 it also reports write-back
// errors seen on that file system after the descriptor was opened.

#include "fs/device_flush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_error.h"

namespace wl {

DeviceFlush::DeviceFlush(const std::filesystem::path& path) {
    std::filesystem::path at = path.empty() ? std::filesystem::path(".") : path;
    for (;;) {
        fd_ = ::open(at.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ >= 0) {
            return;
        }
        openError_ = errno;
        // What does not exist yet will be made inside its nearest existing parent.
        std::filesystem::path parent = at.parent_path();
        if (parent.empty()) {
            parent = ".";
        }
        if (openError_ != ENOENT || parent == at) {
            return;
        }
        at = parent;
    }
}

DeviceFlush::~DeviceFlush() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool DeviceFlush::Flush(std::u16string& reason) {
    if (fd_ < 0) {
        reason = FileErrorReason(openError_ != 0 ? openError_ : EBADF);
        return false;
    }
    if (::syncfs(fd_) != 0) {
        reason = FileErrorReason(errno);
        return false;
    }
    return true;
}

}  // namespace wl

#include "platform/byte_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_error.h"

namespace wl {

ByteFile::ByteFile(ByteFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

ByteFile::~ByteFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ByteFile::OpenForReading(const std::filesystem::path& path, int& error) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    // Non-blocking, so that a FIFO in place of a file cannot stall the open; only regular files
    // are byte files, and for them the flag changes nothing.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    error = fd_ < 0 ? errno : 0;
    path_ = path;
    if (fd_ < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool ByteFile::CreateForWriting(const std::filesystem::path& path, int& error, Links links) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | noFollow, 0666);
    error = fd_ < 0 ? errno : 0;
    path_ = path;
    return fd_ >= 0;
}

bool ByteFile::OpenForWriting(const std::filesystem::path& path, int& error, Links links,
                              FileAccess access) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0666;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | noFollow, mode);
    error = fd_ < 0 ? errno : 0;
    path_ = path;
    return fd_ >= 0;
}

FileIdentity ByteFile::Identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        Fail(errno);
    }
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

void ByteFile::Fail(int error) const {
    throw FileError(FileErrorCauseFromErrno(error), error, path_);
}

int64_t ByteFile::Length() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        Fail(errno);
    }
    return st.st_size;
}

void ByteFile::SeekTo(int64_t offset) {
    if (offset < 0) {
        Fail(EINVAL);
    }
    if (::lseek(fd_, offset, SEEK_SET) < 0) {
        Fail(errno);
    }
}

int64_t ByteFile::SeekToEnd() {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) {
        Fail(errno);
    }
    return end;
}

int64_t ByteFile::Position() const {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) {
        Fail(errno);
    }
    return at;
}

size_t ByteFile::Read(void* buffer, size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

void ByteFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        if (n == 0) {
            Fail(ENOSPC);
        }
        done += static_cast<size_t>(n);
    }
}

void ByteFile::Truncate(int64_t length) {
    if (::ftruncate(fd_, length) != 0) {
        Fail(errno);
    }
}

void ByteFile::Sync() {
    if (::fsync(fd_) != 0) {
        Fail(errno);
    }
}

void ByteFile::Close() {
    if (fd_ < 0) {
        return;
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        Fail(errno);
    }
}

}  // namespace wl

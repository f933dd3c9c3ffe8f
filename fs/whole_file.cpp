// Reading and writing a whole file in one piece, with the error texts the transfers show.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "common/format.h"
#include "common/utf16.h"
#include "fs/file_ops.h"

namespace wl {
namespace {

// Reading needs a length: an empty file cannot be read this way, and the text then carries this
// code, "no data available". Writing 0 bytes makes an empty file, as an instrument may hold an
// empty block.
constexpr int kNoData = ENODATA;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and answers errno of a failed close (0 on success): a write may only fail here.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Answers 0 when all `size` bytes arrived, else the code of the failure.
int ReadAll(int fd, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            return kNoData;  // the file is shorter than it claimed
        }
        done += static_cast<size_t>(got);
    }
    return 0;
}

int WriteAll(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, data + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return put < 0 ? errno : EIO;
        }
        done += static_cast<size_t>(put);
    }
    return 0;
}

// The text with the system's own words for the code after it: "... - 28 (No space left on
// device)", so that the number is not all the user is told.
std::u16string WithSystemWords(std::u16string text, int code) {
    return text + u" (" + Utf8ToUtf16(std::strerror(code)) + u")";
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& data, uint32_t& length,
                   std::u16string& error, int32_t largestAccepted) {
    error.clear();
    std::vector<uint8_t>().swap(data);
    length = 0;
    // O_NONBLOCK: a FIFO chosen by mistake must not hang the program; it then shows length 0.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        const int code = errno;
        error = WithSystemWords(Format("Cant open file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        const int code = errno;
        error =
            WithSystemWords(Format("Cant get file size %s %d", {PathToUtf16(path), code}), code);
        return false;
    }
    const int64_t size = info.st_size;
    if (size > static_cast<int64_t>(largestAccepted)) {
        error = Format("File %s too big (%d, %lld)",
                       {PathToUtf16(path), largestAccepted, static_cast<long long>(size)});
        return false;
    }
    int code = size == 0 ? kNoData : 0;
    if (code == 0) {
        try {
            data.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            code = ENOMEM;
        }
    }
    if (code == 0) {
        code = ReadAll(file.get(), data.data(), data.size());
    }
    if (code != 0) {
        std::vector<uint8_t>().swap(data);
        error =
            WithSystemWords(Format("Err reading file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    length = static_cast<uint32_t>(size);
    return true;
}

bool WriteWholeFile(const std::filesystem::path& path, const void* data, uint32_t length,
                    std::u16string& error, FileAccess access) {
    error.clear();
    struct stat info {};
    // lstat: a link at the path is replaced itself, the file it points to stays as it is.
    if (::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) &&
        ::unlink(path.c_str()) != 0) {
        const int code = errno;
        error =
            WithSystemWords(Format("Cant remove file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    if (!CreateEmptyFile(path, access)) {
        const int code = errno;
        error =
            WithSystemWords(Format("Cant create file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    Descriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) {
        const int code = errno;
        error = WithSystemWords(Format("Cant open file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    int code = WriteAll(file.get(), static_cast<const uint8_t*>(data), length);
    // Some file systems (NFS, FUSE) report a full disk only when the file is closed.
    const int closeCode = file.Close();
    if (code == 0) {
        code = closeCode;
    }
    if (code != 0) {
        error = WithSystemWords(
            Format("Cant write data into file %s - %d", {PathToUtf16(path), code}), code);
        return false;
    }
    return true;
}

}  // namespace wl

#include "platform/file_error.h"

#include <cerrno>
#include <cstring>

#include "common/format.h"
#include "common/utf16.h"

namespace wl {

FileErrorCause FileErrorCauseFromErrno(int error) {
    switch (error) {
        case 0:
            return FileErrorCause::None;
        case ENOENT:
            return FileErrorCause::FileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileErrorCause::BadPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return FileErrorCause::AccessDenied;
        case EBADF:
            return FileErrorCause::InvalidFile;
        case ESPIPE:
        case EOVERFLOW:
        case EINVAL:
            return FileErrorCause::BadSeek;
        case EIO:
        case ENXIO:
        case ENODEV:
            return FileErrorCause::HardIO;
        case EBUSY:
            return FileErrorCause::SharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileErrorCause::LockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorCause::DiskFull;
        default:
            return FileErrorCause::Generic;
    }
}

std::u16string FileErrorCauseText(int code) {
    static constexpr const char* kTexts[] = {
        "0 : No error occurred.",
        "1 : An unspecified error occurred.",
        "2 : The file couldn't be located.",
        "3 : All or part of the path is invalid.",
        "4 : The permitted number of open files was exceeded.",
        "5 : The file couldn't be accessed.",
        "6 : There was an attempt to use an invalid file handle.",
        "7 : The current working directory can't be removed.",
        "8 : There are no more directory entries.",
        "9 : There was an error trying to set the file pointer.",
        "10 : There was a hardware error.",
        "11 : SHARE.EXE wasn't loaded, or a shared region was locked.",
        "12 : There was an attempt to lock a region that was already locked.",
        "13 : The disk is full.",
        "14 : The end of file was reached.",
    };
    if (code >= 0 && code < static_cast<int>(std::size(kTexts))) {
        return AsciiToUtf16(kTexts[code]);
    }
    return Format("%d : unknown err", {code});
}

std::u16string FileErrorReason(int error) {
    return FileErrorCauseText(static_cast<int>(FileErrorCauseFromErrno(error))) + u" (" +
           Utf8ToUtf16(std::strerror(error)) + u")";
}

FileError::FileError(FileErrorCause cause, int error, const std::filesystem::path& path)
    : std::runtime_error(path.string() + ": " + std::strerror(error)),
      cause_(cause),
      error_(error),
      path_(path) {}

}  // namespace wl

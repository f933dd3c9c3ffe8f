#pragma once
// File errors of an open byte file: an exception carrying the cause code the transfers show.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace wl {

enum class FileErrorCause : int {
    None = 0,
    Generic = 1,
    FileNotFound = 2,
    BadPath = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    InvalidFile = 6,
    RemoveCurrentDir = 7,
    DirectoryFull = 8,
    BadSeek = 9,
    HardIO = 10,
    SharingViolation = 11,
    LockViolation = 12,
    DiskFull = 13,
    EndOfFile = 14,
};

// The cause of a failed system call, from its errno.
FileErrorCause FileErrorCauseFromErrno(int error);

// "13 : The disk is full." and so on; any other code is shown as "%d : unknown err".
std::u16string FileErrorCauseText(int code);

// Why a system call failed, for a message: the cause text and the system's own words,
// "13 : The disk is full. (No space left on device)".
std::u16string FileErrorReason(int error);

class FileError : public std::runtime_error {
  public:
    FileError(FileErrorCause cause, int error, const std::filesystem::path& path);

    FileErrorCause cause() const { return cause_; }
    int error() const { return error_; }
    // The cause text and the system's own words (see FileErrorReason).
    std::u16string reason() const { return FileErrorReason(error_); }
    const std::filesystem::path& path() const { return path_; }

  private:
    FileErrorCause cause_;
    int error_;
    std::filesystem::path path_;
};

}  // namespace wl

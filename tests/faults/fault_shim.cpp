// Makes one chosen file call of a process fail, so that the tests can show what the programs do
// when the disk fills up or the device fails at exactly that call. It interposes libc's file
// calls: preloaded into a real process (driven by the environment, see fault_shim.h) or linked
// into a test program (driven by wayload_fault_arm()). The calls are counted in the order they
// happen; the N-th fails with the chosen errno and is not performed, except a close, which Linux
// performs even when it reports an error.

#include "tests/faults/fault_shim.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kDescriptionSize = 2 * PATH_MAX + 128;

struct FaultState {
    std::atomic<bool> armed{false};
    std::atomic<long> calls{0};
    std::atomic<long> failAt{0};
    std::atomic<int> error{0};
    std::atomic<bool> lasting{false};
    std::atomic<bool> injected{false};
    // Written once, by the one thread whose call was the N-th, before `injected` is set.
    char injectedCall[kDescriptionSize]{};
    char logPath[PATH_MAX]{};
};

// Constant-initialised: calls made before any constructor of this library has run find it ready.
constinit FaultState state;

// True while this thread looks up a libc function: a call that dlsym makes back into the shim
// cannot use the function being looked up and goes to the kernel directly.
thread_local bool resolving __attribute__((tls_model("initial-exec"))) = false;

template <typename Function>
Function Next(std::atomic<void*>& slot, const char* name) {
    void* found = slot.load(std::memory_order_acquire);
    if (found == nullptr && !resolving) {
        resolving = true;
        found = ::dlsym(RTLD_NEXT, name);
        resolving = false;
        slot.store(found, std::memory_order_release);
    }
    return reinterpret_cast<Function>(found);
}

// One slot per interposed function, holding libc's definition once looked up.
#define WL_NEXT(name)                                      \
    ([]() {                                                \
        static constinit std::atomic<void*> slot{nullptr}; \
        return Next<decltype(&::name)>(slot, #name);       \
    }())

// ENOSPC and EIO by name, any other errno by number.
void AppendErrno(char* text, size_t size, int error) {
    const size_t used = std::strlen(text);
    switch (error) {
        case ENOSPC:
            std::snprintf(text + used, size - used, " ENOSPC");
            break;
        case EIO:
            std::snprintf(text + used, size - used, " EIO");
            break;
        default:
            std::snprintf(text + used, size - used, " errno %d", error);
            break;
    }
}

int ErrnoFromName(const char* name) {
    if (name == nullptr || std::strcmp(name, "ENOSPC") == 0) {
        return ENOSPC;
    }
    if (std::strcmp(name, "EIO") == 0) {
        return EIO;
    }
    const int number = std::atoi(name);
    return number > 0 ? number : ENOSPC;
}

// What a call works on, for the description of the one that failed.
struct Call {
    const char* kind;
    int fd = AT_FDCWD;  // the file of an fd call, or the folder a relative *at path starts from
    const char* path = nullptr;
    const char* secondPath = nullptr;  // where a rename or link leads
    int secondFd = AT_FDCWD;
};

// The path an open descriptor stands for, as the kernel names it.
void AppendFdTarget(char* text, size_t size, int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    target[n > 0 ? n : 0] = '\0';
    const size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%s", n > 0 ? target : "?");
}

void AppendPath(char* text, size_t size, int folderFd, const char* path) {
    if (path == nullptr) {
        return;
    }
    if (folderFd != AT_FDCWD && path[0] != '/') {
        AppendFdTarget(text, size, folderFd);
        const size_t used = std::strlen(text);
        std::snprintf(text + used, size - used, "/");
    }
    const size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%s", path);
}

void Describe(const Call& call, long number, int error, char* text, size_t size) {
    std::snprintf(text, size, "call %ld: %s ", number, call.kind);
    if (call.path == nullptr) {
        AppendFdTarget(text, size, call.fd);
    } else {
        AppendPath(text, size, call.fd, call.path);
    }
    if (call.secondPath != nullptr) {
        const size_t used = std::strlen(text);
        std::snprintf(text + used, size - used, " -> ");
        AppendPath(text, size, call.secondFd, call.secondPath);
    }
    AppendErrno(text, size, error);
}

// The log: "calls N" and, when a call was failed, "injected <description>". Written with libc's
// own functions, so that it is neither counted nor failed.
void WriteLog() {
    if (state.logPath[0] == '\0') {
        return;
    }
    const int savedErrno = errno;
    char text[kDescriptionSize + 64];
    int length = std::snprintf(text, sizeof text, "calls %ld\n", state.calls.load());
    if (state.injected.load(std::memory_order_acquire)) {
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length),
                                "injected %s\n", state.injectedCall);
    }
    const auto open = WL_NEXT(open);
    const auto write = WL_NEXT(write);
    const auto close = WL_NEXT(close);
    if (open != nullptr && write != nullptr && close != nullptr) {
        const int fd = open(state.logPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const int kept = std::min(length, static_cast<int>(sizeof text) - 1);
            [[maybe_unused]] const ssize_t written = write(fd, text, static_cast<size_t>(kept));
            close(fd);
        }
    }
    errno = savedErrno;
}

// Counts the call and decides whether it is the one to fail; when it is, errno is set and the
// failure is recorded (and logged at once, so that a crash after it still leaves the record).
bool Strikes(const Call& call) {
    if (!state.armed.load(std::memory_order_acquire)) {
        return false;
    }
    // The program must always be able to say what went wrong.
    if (call.path == nullptr && call.fd >= 0 && call.fd <= 2) {
        return false;
    }
    const long number = state.calls.fetch_add(1) + 1;
    const long failAt = state.failAt.load();
    if (failAt == 0 || number < failAt || (number > failAt && !state.lasting.load())) {
        return false;
    }
    const int error = state.error.load();
    // The first failed call is the one described; lasting failures after it only fail.
    if (number == failAt) {
        Describe(call, number, error, state.injectedCall, sizeof state.injectedCall);
        state.injected.store(true, std::memory_order_release);
        WriteLog();
    }
    errno = error;
    return true;
}

bool TakesMode(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

// Every open goes on to libc's openat; the 64-bit forms add O_LARGEFILE as libc's own do.
int OpenAt(const char* kind, int folderFd, const char* path, int flags, mode_t mode) {
    if (Strikes({kind, folderFd, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(openat)) {
        return next(folderFd, path, flags, mode);
    }
    return static_cast<int>(::syscall(SYS_openat, folderFd, path, flags, mode));
}

// The mkstemp family: libc makes these files with its own internal open, which no interposition
// sees, so they are calls of their own.
template <typename Function, typename... Arguments>
int MakeTemporary(const char* kind, Function next, char* pattern, Arguments... arguments) {
    if (Strikes({kind, AT_FDCWD, pattern})) {
        return -1;
    }
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    return next(pattern, arguments...);
}

void ArmWith(long at, int error, bool lasting) {
    state.armed.store(false, std::memory_order_release);
    state.failAt.store(at);
    state.error.store(error);
    state.lasting.store(lasting);
    state.calls.store(0);
    state.injected.store(false);
    state.injectedCall[0] = '\0';
    state.armed.store(true, std::memory_order_release);
}

// Preloaded, the environment arms the shim before the program's own initialisation runs.
__attribute__((constructor)) void ArmFromEnvironment() {
    const char* at = ::getenv("WAYLOAD_FAULT_AT");
    if (at == nullptr) {
        return;
    }
    if (const char* log = ::getenv("WAYLOAD_FAULT_LOG")) {
        std::snprintf(state.logPath, sizeof state.logPath, "%s", log);
    }
    const char* lasting = ::getenv("WAYLOAD_FAULT_LASTING");
    ArmWith(std::atol(at), ErrnoFromName(::getenv("WAYLOAD_FAULT_ERRNO")),
            lasting != nullptr && std::strcmp(lasting, "1") == 0);
}

// Runs when the process returns from main or calls exit().
__attribute__((destructor)) void LogAtExit() {
    WriteLog();
}

#define WL_MODE_ARGUMENT(flags, last)     \
    mode_t mode = 0;                      \
    if (TakesMode(flags)) {               \
        va_list arguments;                \
        va_start(arguments, last);        \
        mode = va_arg(arguments, mode_t); \
        va_end(arguments);                \
    }

}  // namespace

extern "C" {

void wayload_fault_arm(long at, int error) {
    ArmWith(at, error, false);
}

void wayload_fault_arm_lasting(long at, int error) {
    ArmWith(at, error, true);
}

long wayload_fault_disarm(void) {
    state.armed.store(false, std::memory_order_release);
    return state.calls.load();
}

int wayload_fault_injected_call(char* description, size_t size) {
    if (!state.injected.load(std::memory_order_acquire)) {
        return 0;
    }
    if (size > 0) {
        std::snprintf(description, size, "%s", state.injectedCall);
    }
    return 1;
}

// --- Opening and creating ----------------------------------------------------------------------

int open(const char* path, int flags, ...) {
    WL_MODE_ARGUMENT(flags, flags)
    return OpenAt("open", AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    WL_MODE_ARGUMENT(flags, flags)
    return OpenAt("open64", AT_FDCWD, path, flags | O_LARGEFILE, mode);
}

int openat(int folderFd, const char* path, int flags, ...) {
    WL_MODE_ARGUMENT(flags, flags)
    return OpenAt("openat", folderFd, path, flags, mode);
}

int openat64(int folderFd, const char* path, int flags, ...) {
    WL_MODE_ARGUMENT(flags, flags)
    return OpenAt("openat64", folderFd, path, flags | O_LARGEFILE, mode);
}

// What _FORTIFY_SOURCE turns an open without a constant mode into.
int __open_2(const char* path, int flags) {
    return OpenAt("open", AT_FDCWD, path, flags, 0);
}

int __open64_2(const char* path, int flags) {
    return OpenAt("open64", AT_FDCWD, path, flags | O_LARGEFILE, 0);
}

int __openat_2(int folderFd, const char* path, int flags) {
    return OpenAt("openat", folderFd, path, flags, 0);
}

int __openat64_2(int folderFd, const char* path, int flags) {
    return OpenAt("openat64", folderFd, path, flags | O_LARGEFILE, 0);
}

int creat(const char* path, mode_t mode) {
    return OpenAt("creat", AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

int creat64(const char* path, mode_t mode) {
    return OpenAt("creat64", AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC | O_LARGEFILE, mode);
}

int mkstemp(char* pattern) {
    return MakeTemporary("mkstemp", WL_NEXT(mkstemp), pattern);
}

int mkstemp64(char* pattern) {
    return MakeTemporary("mkstemp64", WL_NEXT(mkstemp64), pattern);
}

int mkostemp(char* pattern, int flags) {
    return MakeTemporary("mkostemp", WL_NEXT(mkostemp), pattern, flags);
}

int mkostemp64(char* pattern, int flags) {
    return MakeTemporary("mkostemp64", WL_NEXT(mkostemp64), pattern, flags);
}

int mkstemps(char* pattern, int suffixLength) {
    return MakeTemporary("mkstemps", WL_NEXT(mkstemps), pattern, suffixLength);
}

int mkstemps64(char* pattern, int suffixLength) {
    return MakeTemporary("mkstemps64", WL_NEXT(mkstemps64), pattern, suffixLength);
}

int mkostemps(char* pattern, int suffixLength, int flags) {
    return MakeTemporary("mkostemps", WL_NEXT(mkostemps), pattern, suffixLength, flags);
}

int mkostemps64(char* pattern, int suffixLength, int flags) {
    return MakeTemporary("mkostemps64", WL_NEXT(mkostemps64), pattern, suffixLength, flags);
}

// --- Writing -----------------------------------------------------------------------------------

ssize_t write(int fd, const void* bytes, size_t count) {
    if (Strikes({"write", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(write)) {
        return next(fd, bytes, count);
    }
    return ::syscall(SYS_write, fd, bytes, count);
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
    if (Strikes({"pwrite", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(pwrite)) {
        return next(fd, bytes, count, offset);
    }
    return ::syscall(SYS_pwrite64, fd, bytes, count, offset);
}

ssize_t pwrite64(int fd, const void* bytes, size_t count, off64_t offset) {
    if (Strikes({"pwrite64", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(pwrite64)) {
        return next(fd, bytes, count, offset);
    }
    return ::syscall(SYS_pwrite64, fd, bytes, count, offset);
}

ssize_t writev(int fd, const struct iovec* pieces, int count) {
    if (Strikes({"writev", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(writev)) {
        return next(fd, pieces, count);
    }
    return ::syscall(SYS_writev, fd, pieces, count);
}

int ftruncate(int fd, off_t length) {
    if (Strikes({"ftruncate", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(ftruncate)) {
        return next(fd, length);
    }
    return static_cast<int>(::syscall(SYS_ftruncate, fd, length));
}

int ftruncate64(int fd, off64_t length) {
    if (Strikes({"ftruncate64", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(ftruncate64)) {
        return next(fd, length);
    }
    return static_cast<int>(::syscall(SYS_ftruncate, fd, length));
}

// --- Flushing ----------------------------------------------------------------------------------

int fsync(int fd) {
    if (Strikes({"fsync", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(fsync)) {
        return next(fd);
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

int fdatasync(int fd) {
    if (Strikes({"fdatasync", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(fdatasync)) {
        return next(fd);
    }
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

int syncfs(int fd) {
    if (Strikes({"syncfs", fd})) {
        return -1;
    }
    if (const auto next = WL_NEXT(syncfs)) {
        return next(fd);
    }
    return static_cast<int>(::syscall(SYS_syncfs, fd));
}

// Linux closes the descriptor even when it reports an error (a delayed write that failed).
int close(int fd) {
    const bool fails = Strikes({"close", fd});
    const auto next = WL_NEXT(close);
    const int closed = next != nullptr ? next(fd) : static_cast<int>(::syscall(SYS_close, fd));
    if (fails) {
        errno = state.error.load();
        return -1;
    }
    return closed;
}

// --- Names -------------------------------------------------------------------------------------

int rename(const char* from, const char* to) {
    if (Strikes({"rename", AT_FDCWD, from, to})) {
        return -1;
    }
    if (const auto next = WL_NEXT(rename)) {
        return next(from, to);
    }
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    if (Strikes({"renameat", fromFolder, from, to, toFolder})) {
        return -1;
    }
    if (const auto next = WL_NEXT(renameat)) {
        return next(fromFolder, from, toFolder, to);
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, 0));
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
    if (Strikes({"renameat2", fromFolder, from, to, toFolder})) {
        return -1;
    }
    if (const auto next = WL_NEXT(renameat2)) {
        return next(fromFolder, from, toFolder, to, flags);
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
}

int link(const char* from, const char* to) {
    if (Strikes({"link", AT_FDCWD, from, to})) {
        return -1;
    }
    if (const auto next = WL_NEXT(link)) {
        return next(from, to);
    }
    return static_cast<int>(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    if (Strikes({"linkat", fromFolder, from, to, toFolder})) {
        return -1;
    }
    if (const auto next = WL_NEXT(linkat)) {
        return next(fromFolder, from, toFolder, to, flags);
    }
    return static_cast<int>(::syscall(SYS_linkat, fromFolder, from, toFolder, to, flags));
}

int unlink(const char* path) {
    if (Strikes({"unlink", AT_FDCWD, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(unlink)) {
        return next(path);
    }
    return static_cast<int>(::syscall(SYS_unlinkat, AT_FDCWD, path, 0));
}

int unlinkat(int folderFd, const char* path, int flags) {
    if (Strikes({"unlinkat", folderFd, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(unlinkat)) {
        return next(folderFd, path, flags);
    }
    return static_cast<int>(::syscall(SYS_unlinkat, folderFd, path, flags));
}

int rmdir(const char* path) {
    if (Strikes({"rmdir", AT_FDCWD, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(rmdir)) {
        return next(path);
    }
    return static_cast<int>(::syscall(SYS_unlinkat, AT_FDCWD, path, AT_REMOVEDIR));
}

// std::filesystem::remove goes through remove(), which reaches unlink and rmdir inside libc.
int remove(const char* path) {
    if (Strikes({"remove", AT_FDCWD, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(remove)) {
        return next(path);
    }
    errno = ENOSYS;
    return -1;
}

int mkdir(const char* path, mode_t mode) {
    if (Strikes({"mkdir", AT_FDCWD, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(mkdir)) {
        return next(path, mode);
    }
    return static_cast<int>(::syscall(SYS_mkdirat, AT_FDCWD, path, mode));
}

int mkdirat(int folderFd, const char* path, mode_t mode) {
    if (Strikes({"mkdirat", folderFd, path})) {
        return -1;
    }
    if (const auto next = WL_NEXT(mkdirat)) {
        return next(folderFd, path, mode);
    }
    return static_cast<int>(::syscall(SYS_mkdirat, folderFd, path, mode));
}

}  // extern "C"

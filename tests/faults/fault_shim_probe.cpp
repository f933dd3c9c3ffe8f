// A program with a known sequence of six file calls, for the fault shim's own test: it creates,
// writes, flushes, closes, renames and removes one file in its working folder, prints after each
// call whether it worked, and ends through exit(), after which the shim must still write its log.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Report(const char* call, long result) {
    if (result < 0) {
        std::printf("%s failed: %s\n", call, std::strerror(errno));
    } else {
        std::printf("%s ok\n", call);
    }
}

}  // namespace

int main() {
    const int fd = ::open("probe.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Report("open", fd);
    Report("write", ::write(fd, "abc", 3));
    Report("fsync", ::fsync(fd));
    Report("close", ::close(fd));
    // A close that fails still closes the descriptor, as on Linux.
    std::printf("descriptor %s\n", ::fcntl(fd, F_GETFD) < 0 && errno == EBADF ? "closed" : "open");
    Report("rename", ::rename("probe.txt", "renamed.txt"));
    Report("unlink", ::unlink("renamed.txt"));
    std::exit(EXIT_SUCCESS);
}

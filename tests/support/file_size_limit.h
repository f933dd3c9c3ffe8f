#pragma once
// A limit on the size of files this process writes, standing in for a full disk: a write past it
// stops part of the way with EFBIG instead of ending the process. Lifted when it goes out of scope.

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

namespace wl::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(uint64_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace wl::test

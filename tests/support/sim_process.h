#pragma once
// wayload-instrument-sim as a separate process on its own pseudo-terminal, for end-to-end tests
// of the serial link. The including test defines WAYLOAD_INSTRUMENT_SIM, the program's path.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace wl::test {

// Running with the given arguments; its first line of output is the terminal's path. Stopped
// when it goes out of scope.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), WAYLOAD_INSTRUMENT_SIM);
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            std::vector<char*> argv;
            for (auto& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* stream = ::fdopen(out[0], "r");
        char line[256] = {};
        if (stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) {
            port_ = std::string(line, std::strcspn(line, "\n"));
        }
        if (stream != nullptr) {
            std::fclose(stream);
        }
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& port() const { return port_; }

  private:
    pid_t pid_ = -1;
    std::string port_;
};

}  // namespace wl::test

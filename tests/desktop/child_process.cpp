#include "tests/desktop/child_process.h"
#include "tests/support/argv_pointers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

extern char** environ;

namespace wl::desktop {
namespace {

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& changes) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : changes) {
        merged[name] = value;
    }
    std::vector<std::string> lines;
    for (const auto& [name, value] : merged) {
        lines.push_back(name + "=" + value);
    }
    return lines;
}

// Where the child's standard descriptors go; -1 leaves /dev/null there.
struct ChildDescriptors {
    int output = -1;
    int errors = -1;
    int three = -1;
};

// Starts the program in a process group of its own, so that whatever it starts in turn ends
// with it, and bound to this process's life: should the test be killed (a crash, CTest's time
// limit), the kernel ends the child too instead of leaving a server or a window behind.
pid_t Spawn(const std::vector<std::string>& commandLine, std::vector<std::string> environment,
            const ChildDescriptors& descriptors) {
    std::string program = commandLine.empty() ? std::string() : commandLine.front();
    if (program.find('/') == std::string::npos) {
        program = FindProgram(program);
    }
    if (program.empty()) {
        return -1;
    }
    std::vector<std::string> arguments = commandLine;
    std::vector<char*> argv = test::ArgvPointers(arguments);
    std::vector<char*> envp = test::ArgvPointers(environment);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    // The child: only calls that are safe between fork and exec.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(127);  // the test ended before the child was bound to it
    }
    ::setpgid(0, 0);
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(descriptors.output >= 0 ? descriptors.output : nothing, STDOUT_FILENO);
    ::dup2(descriptors.errors >= 0 ? descriptors.errors : nothing, STDERR_FILENO);
    if (descriptors.three == 3) {
        ::fcntl(3, F_SETFD, 0);  // kept open across exec
    } else if (descriptors.three >= 0) {
        ::dup2(descriptors.three, 3);  // the copy does not close on exec
    }
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& commandLine,
                           const ChildOptions& options) {
    const int log = options.log.empty() ? -1
                                        : ::open(options.log.c_str(),
                                                 O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ChildDescriptors descriptors{log, log, options.descriptorThree.value_or(-1)};
    const pid_t pid = Spawn(commandLine, MergedEnvironment(options.environment), descriptors);
    if (log >= 0) {
        ::close(log);
    }
    if (pid > 0) {
        pid_ = pid;
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), ended_(std::exchange(other.ended_, false)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Stop();
        pid_ = std::exchange(other.pid_, -1);
        ended_ = std::exchange(other.ended_, false);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Running() {
    if (pid_ <= 0 || ended_) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
    }
    return !ended_;
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) {
        return;
    }
    // The group may outlive its leader (a helper it started), so it is signalled in any case.
    ::kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (Running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(-pid_, SIGKILL);
    if (!ended_) {
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    ended_ = false;
}

CommandResult RunCommand(const std::vector<std::string>& commandLine,
                         std::chrono::milliseconds limit, bool withErrors) {
    CommandResult result;
    int pipeEnds[2];
    if (commandLine.empty() || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return result;
    }
    const ChildDescriptors descriptors{pipeEnds[1], withErrors ? pipeEnds[1] : -1, -1};
    const pid_t pid = Spawn(commandLine, MergedEnvironment({}), descriptors);
    ::close(pipeEnds[1]);
    if (pid <= 0) {
        ::close(pipeEnds[0]);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool timedOut = false;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            continue;  // the deadline check above ends the loop
        }
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;  // end of output: the command has closed it, normally by ending
        }
        result.output.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    bool ended = false;
    while (!timedOut && !ended) {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        timedOut = !ended && std::chrono::steady_clock::now() >= deadline;
        if (!ended && !timedOut) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (!ended) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

}  // namespace wl::desktop

#pragma once
// Programs the tests start and must not leave behind: each runs in a process group of its own,
// the whole group is ended when its object goes, whichever way the test leaves, and the kernel
// ends it should the test process itself be killed.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wl::desktop {

struct ChildOptions {
    // Added to (or replacing in) the test's own environment.
    std::map<std::string, std::string> environment;
    // Standard output and error go here (appended); /dev/null when empty.
    std::filesystem::path log;
    // A descriptor of the test's that the child gets as descriptor 3.
    std::optional<int> descriptorThree;
};

class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const std::vector<std::string>& commandLine, const ChildOptions& options);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True while the program has not ended (and was started).
    bool Running();
    // Ends the process group: SIGTERM, then SIGKILL when it has not gone within the grace time.
    void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

// The full path of a program found in PATH; empty when it is not installed.
std::string FindProgram(const std::string& name);

struct CommandResult {
    int exitCode = -1;   // -1: it could not start, was killed or did not end in time
    std::string output;  // standard output; standard error goes with it when asked
};

// Runs a short command to its end and returns what it printed. One that has not ended within
// the time limit is ended with its group, so no wait is unbounded.
CommandResult RunCommand(const std::vector<std::string>& commandLine,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(10000),
                         bool withErrors = false);

}  // namespace wl::desktop

#include "tests/faults/program_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

#include "tests/support/argv_pointers.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

// The test's own environment, without anything that would steer the shim or the temporary
// folder, then the run's settings.
std::vector<std::string> Environment(const fs::path& scratch, const std::optional<Fault>& fault) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("LD_PRELOAD=") && !text.starts_with("WAYLOAD_FAULT_") &&
            !text.starts_with("TMPDIR=") && !(fault && text.starts_with("ASAN_OPTIONS="))) {
            environment.emplace_back(text);
        }
    }
    if (fault) {
        // A program built with AddressSanitizer insists that its runtime is loaded first; the
        // shim in front of it passes every call on to the runtime's own interceptors.
        const char* sanitizerOptions = ::getenv("ASAN_OPTIONS");
        environment.push_back("ASAN_OPTIONS=" +
                              (sanitizerOptions != nullptr && *sanitizerOptions != '\0'
                                   ? std::string(sanitizerOptions) + ":"
                                   : std::string()) +
                              "verify_asan_link_order=0");
        environment.push_back(std::string("LD_PRELOAD=") + WAYLOAD_FAULT_SHIM);
        environment.push_back("WAYLOAD_FAULT_AT=" + std::to_string(fault->at));
        environment.push_back("WAYLOAD_FAULT_ERRNO=" + ErrnoName(fault->error));
        if (fault->lasting) {
            environment.push_back("WAYLOAD_FAULT_LASTING=1");
        }
        environment.push_back("WAYLOAD_FAULT_LOG=" + (scratch / "shim.log").string());
    }
    environment.push_back("TMPDIR=" + (scratch / "tmp").string());
    return environment;
}

std::string ReadIfThere(const fs::path& file) {
    std::error_code error;
    return fs::exists(file, error) ? test::ReadFile(file) : std::string();
}

// "calls K" and "injected DESCRIPTION", as the shim writes them.
void ReadShimLog(const fs::path& log, RunResult& result) {
    std::istringstream lines(ReadIfThere(log));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("calls ")) {
            result.calls = std::stol(line.substr(6));
        } else if (line.starts_with("injected ")) {
            result.injectedCall = line.substr(9);
        }
    }
}

std::string EndingOf(int status) {
    if (WIFEXITED(status)) {
        return "exit " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        return "no end within " + std::to_string(kRunTimeLimitSeconds) + " s";
    }
    if (WIFSIGNALED(status)) {
        return std::string("killed by signal ") + ::strsignal(WTERMSIG(status));
    }
    return "ended oddly (status " + std::to_string(status) + ")";
}

}  // namespace

RunResult RunProgram(const std::string& program, const fs::path& fixture, const fs::path& scratch,
                     const std::vector<std::string>& arguments, const std::optional<Fault>& fault) {
    fs::create_directories(scratch / "tmp");
    std::vector<std::string> argumentTexts = {program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = Environment(scratch, fault);
    const std::vector<char*> argv = test::ArgvPointers(argumentTexts);
    const std::vector<char*> envp = test::ArgvPointers(environmentTexts);
    const fs::path outPath = scratch / "stdout";
    const fs::path errPath = scratch / "stderr";

    // Opened before the fork, so that the child makes only async-signal-safe calls before exec.
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t child = in >= 0 && out >= 0 && err >= 0 ? ::fork() : -1;
    if (child == 0) {
        if (::chdir(fixture.c_str()) != 0 || ::dup2(in, STDIN_FILENO) < 0 ||
            ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0) {
            ::_exit(126);
        }
        ::signal(SIGALRM, SIG_DFL);
        // The alarm outlives exec: a program that hangs is ended by it.
        ::alarm(kRunTimeLimitSeconds);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    for (const int fd : {in, out, err}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    RunResult result;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        result.crashed = true;
        result.ending = "could not be started";
        return result;
    }
    result.ending = EndingOf(status);
    result.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.crashed = !WIFEXITED(status);
    result.otherText = ReadIfThere(outPath);
    result.errorText = ReadIfThere(errPath);
    ReadShimLog(scratch / "shim.log", result);
    return result;
}

}  // namespace wl::faults

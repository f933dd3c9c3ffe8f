#pragma once
// Runs the real wayload-cli as a user does and collects what it said: its exit code, stdout and
// stderr, with stdin and stderr optionally pseudo-terminals.

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace wl::test {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// What the program's stdin and stderr are: stdin is /dev/null unless text is typed on a terminal.
struct Terminals {
    std::optional<std::string> typed;
    bool stderrTerminal = false;
    // A limit on the program's address space, as `prlimit --as` sets it.
    std::optional<rlim_t> addressSpace;
    // Runs the program as the unprivileged user "nobody" (the test must be root to ask it).
    bool asNobody = false;
};

inline std::string Drain(int fd) {
    std::string bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

// Runs wayload-cli in `folder`, with `folder`/.tmp as its temporary folder (removed afterwards
// when nothing was left in it).
inline Outcome RunCli(const fs::path& folder, std::vector<std::string> args,
                      const Terminals& terminals = {}) {
    args.insert(args.begin(), WAYLOAD_CLI);
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const fs::path outPath = folder / ".cli-out";
    const fs::path errPath = folder / ".cli-err";
    const fs::path tempFolder = folder / ".tmp";
    fs::create_directories(tempFolder);
    int inMaster = -1;
    int inSlave = -1;
    int errMaster = -1;
    int errSlave = -1;
    if ((terminals.typed && ::openpty(&inMaster, &inSlave, nullptr, nullptr, nullptr) != 0) ||
        (terminals.stderrTerminal &&
         ::openpty(&errMaster, &errSlave, nullptr, nullptr, nullptr) != 0)) {
        ADD_FAILURE() << "openpty failed";
        return {};
    }
    // Typed ahead: the terminal keeps the line until the program reads it.
    if (terminals.typed && ::write(inMaster, terminals.typed->data(), terminals.typed->size()) !=
                               static_cast<ssize_t>(terminals.typed->size())) {
        ADD_FAILURE() << "typing failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::chdir(folder.c_str());
        ::setenv("TMPDIR", tempFolder.c_str(), 1);
        if (terminals.addressSpace) {
            const rlimit limit{*terminals.addressSpace, *terminals.addressSpace};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        const int in = terminals.typed ? inSlave : ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = terminals.stderrTerminal
                            ? errSlave
                            : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (terminals.asNobody &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(126);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Outcome outcome;
    if (terminals.typed) {
        ::close(inSlave);
    }
    if (terminals.stderrTerminal) {
        ::close(errSlave);
        outcome.err = Drain(errMaster);  // ends with EIO once the child has closed the terminal
        ::close(errMaster);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (terminals.typed) {
        ::close(inMaster);
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = wl::test::ReadFile(outPath);
    if (!terminals.stderrTerminal) {
        outcome.err = wl::test::ReadFile(errPath);
    }
    fs::remove(outPath);
    fs::remove(errPath);
    // Kept only when a transfer left its work folders in it.
    std::error_code notEmpty;
    fs::remove(tempFolder, notEmpty);
    return outcome;
}

// The names in a folder, sorted.
inline std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace wl::test

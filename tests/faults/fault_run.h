#pragma once
// One run of an operation under a fault: which call fails, how the run ended, what the user was
// told, and the rules it broke.

#include <cerrno>
#include <string>
#include <vector>

namespace wl::faults {

// Which intercepted call fails, and with what; `at` 0 fails none and only counts. A lasting
// fault fails every call from `at` on: the drive is pulled out at that moment.
struct Fault {
    long at = 0;
    int error = 0;
    bool lasting = false;
};

// A rule a run broke ("the earlier export was changed") and what was seen.
struct Problem {
    std::string rule;
    std::string detail;
};
using Problems = std::vector<Problem>;

// How one run ended and what the user was told.
struct RunResult {
    bool succeeded = false;    // exit code 0, or TransferOutcome::kDone
    bool crashed = false;      // ended by a signal, or did not end in time
    std::string ending;        // "exit 1", "killed by signal 11", "kFailed", ...
    std::string errorText;     // stderr, or the error messages shown through the Ui
    std::string otherText;     // stdout, or the other messages shown
    long calls = 0;            // the intercepted calls counted
    bool driveGone = false;    // the fault lasted: nothing could be written or removed after it
    std::string injectedCall;  // the call failed, as the shim describes it; empty when none was
    // What the run itself saw wrong, where only it can look (inside a simulated instrument).
    Problems observed;
};

// ENOSPC and EIO by name, as the shim's environment takes them.
inline std::string ErrnoName(int error) {
    switch (error) {
        case ENOSPC:
            return "ENOSPC";
        case EIO:
            return "EIO";
        default:
            return std::to_string(error);
    }
}

}  // namespace wl::faults

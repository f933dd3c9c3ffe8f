#pragma once
// Runs a real program (wayload-cli above all) as an operator's shell would start it, with the
// fault shim preloaded or without it, and reports how it ended, what it said and what the shim
// counted and failed.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/faults/fault_run.h"

namespace wl::faults {

// A run that has not ended by then is taken as hung and killed.
inline constexpr unsigned kRunTimeLimitSeconds = 10;

// Runs `program` with `arguments` in the folder `fixture` (its working folder), with stdin from
// /dev/null; its stdout, stderr and the shim's log go to `scratch`, and so does its TMPDIR. With
// a fault the shim is preloaded and set to it; without one the program runs as it is.
RunResult RunProgram(const std::string& program, const std::filesystem::path& fixture,
                     const std::filesystem::path& scratch,
                     const std::vector<std::string>& arguments, const std::optional<Fault>& fault);

// wayload-cli with the shim preloaded.
inline RunResult RunCliWithFault(const std::filesystem::path& fixture,
                                 const std::filesystem::path& scratch,
                                 const std::vector<std::string>& arguments, const Fault& fault) {
    return RunProgram(WAYLOAD_CLI, fixture, scratch, arguments, fault);
}

}  // namespace wl::faults

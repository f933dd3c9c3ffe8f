#pragma once
// The sweep: an operation is run once to count its file calls, then once per call and errno with
// that call failing, each time on a fresh fixture, and what it left is checked after every run.
// Every run that breaks a rule becomes one entry of the operation's report.

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/faults/fault_run.h"

namespace wl::faults {

// One operation under test. It makes its reference data once, when constructed, and then any
// number of fresh fixtures.
class Operation {
  public:
    virtual ~Operation() = default;
    virtual std::string Name() const = 0;
    // Lays out the fixture of one run in the empty folder `fixture`.
    virtual void LayOut(const std::filesystem::path& fixture) const = 0;
    // Runs the operation on the fixture with the fault; `scratch` is an empty folder of its own
    // for captured output.
    virtual RunResult Run(const std::filesystem::path& fixture,
                          const std::filesystem::path& scratch, const Fault& fault) const = 0;
    // What is wrong with the fixture after the run (beyond the checks every run gets).
    virtual void Check(const std::filesystem::path& fixture, const std::filesystem::path& scratch,
                       const RunResult& result, Problems& problems) const = 0;
};

// How often one rule was broken, and by failures of which calls ("write ENOSPC").
struct RuleTally {
    int runs = 0;
    std::set<std::string> calls;
};

struct SweepReport {
    long calls = 0;  // K, from the counting run
    int runs = 0;    // the counting run included
    int violatingRuns = 0;
    std::chrono::duration<double> time{};
    // One readable entry per run that broke a rule.
    std::vector<std::string> violations;
    std::map<std::string, RuleTally> rules;
};

// Counts the operation's calls, then fails each one with ENOSPC and with EIO, and then fails
// every call from each one on with EIO (the drive pulled out).
SweepReport Sweep(const Operation& operation);

// The report as one text: every violating run, then how often each rule was broken and by
// failures of which calls.
std::string Describe(const std::string& operation, const SweepReport& report);

}  // namespace wl::faults

#include "tests/faults/fault_sweep.h"

#include <cerrno>
#include <cstdio>
#include "tests/faults/fault_checks.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

constexpr int kErrors[] = {ENOSPC, EIO};
constexpr size_t kLongestQuotedOutput = 600;

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

// The run's folder is a new temporary name each time; "{fixture}" keeps the report readable and
// lets equal failures read alike.
std::string Readable(std::string text, const fs::path& fixture) {
    ReplaceAll(text, fixture.string(), "{fixture}");
    ReplaceAll(text, "\r\n", " / ");
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    ReplaceAll(text, "\n", " / ");
    if (text.size() > kLongestQuotedOutput) {
        text = text.substr(0, kLongestQuotedOutput) + "...";
    }
    return text;
}

// The rules of every run: it ends by itself, and a failure is told with its cause.
void CheckEnding(const RunResult& result, const Fault& fault, Problems& problems) {
    if (result.crashed) {
        problems.push_back({"crashed or hung", result.ending});
        return;
    }
    if (result.succeeded) {
        return;
    }
    if (fault.at == 0) {
        problems.push_back({"fails without any fault", ""});
        return;
    }
    CheckCauseTold(result.errorText, fault.error, "what it says on failure", problems);
}

std::string Entry(const std::string& operation, const Fault& fault, const RunResult& result,
                  const Problems& problems, const fs::path& fixture) {
    std::string entry = "[" + operation + "] ";
    if (fault.at == 0) {
        entry += "no fault";
    } else {
        entry +=
            ErrnoName(fault.error) + (fault.lasting ? " from call " : " at call ") +
            std::to_string(fault.at) + " (" +
            (result.injectedCall.empty() ? "not reached" : Readable(result.injectedCall, fixture)) +
            ")";
    }
    entry += " -> " + result.ending + "\n";
    entry += "    told: " +
             (result.errorText.empty() ? "(nothing)" : Readable(result.errorText, fixture)) + "\n";
    if (!result.otherText.empty()) {
        entry += "    said: " + Readable(result.otherText, fixture) + "\n";
    }
    for (const Problem& problem : problems) {
        entry += "    - " + problem.rule;
        if (!problem.detail.empty()) {
            entry += ": " + Readable(problem.detail, fixture);
        }
        entry += "\n";
    }
    return entry;
}

// The kind of the call a description names: "call 7: write /x ENOSPC" gives "write".
std::string CallKind(const std::string& injectedCall) {
    const size_t colon = injectedCall.find(": ");
    if (colon == std::string::npos) {
        return "none";
    }
    const size_t end = injectedCall.find(' ', colon + 2);
    return injectedCall.substr(colon + 2, end - colon - 2);
}

}  // namespace

SweepReport Sweep(const Operation& operation) {
    SweepReport report;
    const auto start = std::chrono::steady_clock::now();
    const auto runOnce = [&](const Fault& fault) {
        const test::TempFolder run;
        const fs::path fixture = run / "fixture";
        const fs::path scratch = run / "scratch";
        fs::create_directories(fixture);
        fs::create_directories(scratch);
        operation.LayOut(fixture);
        RunResult result = operation.Run(fixture, scratch, fault);
        result.driveGone = fault.lasting;
        ++report.runs;
        Problems problems = result.observed;
        CheckEnding(result, fault, problems);
        operation.Check(fixture, scratch, result, problems);
        if (!problems.empty()) {
            ++report.violatingRuns;
            for (const Problem& problem : problems) {
                RuleTally& tally = report.rules[problem.rule];
                ++tally.runs;
                tally.calls.insert(fault.at == 0
                                       ? "no fault"
                                       : CallKind(result.injectedCall) + " " +
                                             ErrnoName(fault.error) + (fault.lasting ? " on" : ""));
            }
            report.violations.push_back(Entry(operation.Name(), fault, result, problems, fixture));
        }
        return result;
    };

    report.calls = runOnce({0, ENOSPC}).calls;
    for (const int error : kErrors) {
        for (long at = 1; at <= report.calls; ++at) {
            runOnce({at, error});
        }
    }
    // The drive pulled out at each call: from there on every call fails.
    for (long at = 1; at <= report.calls; ++at) {
        runOnce({at, EIO, true});
    }
    report.time = std::chrono::steady_clock::now() - start;
    return report;
}

std::string Describe(const std::string& operation, const SweepReport& report) {
    char header[256];
    std::snprintf(header, sizeof header, "%s: %ld calls, %d runs, %d broke a rule, in %.2f s\n",
                  operation.c_str(), report.calls, report.runs, report.violatingRuns,
                  report.time.count());
    std::string text = header;
    for (const std::string& entry : report.violations) {
        text += entry;
    }
    if (!report.rules.empty()) {
        text += "Rules broken, with the failed calls that broke them:\n";
    }
    for (const auto& [rule, tally] : report.rules) {
        text += "  " + std::to_string(tally.runs) + " runs: " + rule + " (";
        bool first = true;
        for (const std::string& call : tally.calls) {
            text += (first ? "" : ", ") + call;
            first = false;
        }
        text += ")\n";
    }
    return text;
}

}  // namespace wl::faults

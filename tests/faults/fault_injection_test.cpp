// Every file call of the data paths fails once, as a full disk (ENOSPC) and as a failing device
// (EIO). Each time the operation must either end with a complete, correct result or say why it
// failed, naming the cause, and leave every earlier export, analyzer route and anything else as
// it was. All runs of an operation are made; those that break a rule are reported together.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>

#include "tests/faults/operations.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {
namespace {

namespace fs = std::filesystem;

struct OperationCase {
    const char* name;
    std::unique_ptr<Operation> (*make)(const fs::path& reference);
};

const OperationCase kOperations[] = {
    {"Pack", MakePack},
    {"Extract", MakeExtract},
    {"AnalyzerDownload", MakeAnalyzerDownload},
    {"AnalyzerUpload", MakeAnalyzerUpload},
    {"SerialDownload", MakeSerialDownload},
    {"SerialUpload", MakeSerialUpload},
};

void PrintTo(const OperationCase& operation, std::ostream* out) {
    *out << operation.name;
}

class FaultSweep : public testing::TestWithParam<OperationCase> {};

TEST_P(FaultSweep, EveryFailingCallKeepsTheDataAndIsToldWithItsCause) {
    const test::TempFolder reference;
    const std::unique_ptr<Operation> operation = GetParam().make(reference.path());
    const SweepReport report = Sweep(*operation);

    RecordProperty("calls", static_cast<int>(report.calls));
    RecordProperty("runs", report.runs);
    RecordProperty("violating_runs", report.violatingRuns);
    ASSERT_GT(report.calls, 0) << "the shim counted no call: it is not interposing";
    if (report.violatingRuns > 0) {
        ADD_FAILURE() << Describe(operation->Name(), report);
    } else {
        std::printf("%s: %ld calls, %d runs, none broke a rule, %.2f s\n",
                    operation->Name().c_str(), report.calls, report.runs, report.time.count());
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, testing::ValuesIn(kOperations),
                         [](const testing::TestParamInfo<OperationCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace wl::faults

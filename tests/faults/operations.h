#pragma once
// The operations the sweep puts through every fault: wayload-cli's pack, extract, analyzer
// download and analyzer upload as real processes, and the serial download and upload in process
// against the simulated instrument on a virtual clock. Each makes its reference data (containers,
// earlier exports) in `reference` when it is made.

#include <filesystem>
#include <memory>

#include "tests/faults/fault_sweep.h"

namespace wl::faults {

std::unique_ptr<Operation> MakePack(const std::filesystem::path& reference);
std::unique_ptr<Operation> MakeExtract(const std::filesystem::path& reference);
std::unique_ptr<Operation> MakeAnalyzerDownload(const std::filesystem::path& reference);
std::unique_ptr<Operation> MakeAnalyzerUpload(const std::filesystem::path& reference);
std::unique_ptr<Operation> MakeSerialDownload(const std::filesystem::path& reference);
std::unique_ptr<Operation> MakeSerialUpload(const std::filesystem::path& reference);

}  // namespace wl::faults

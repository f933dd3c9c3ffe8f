#pragma once
// Which instrument the last detection found, as the whole program shares it.

#include <cstdint>
#include <filesystem>

namespace wl {

enum InstrumentKind : int32_t {
    kInstrumentNone = 0,
    kInstrumentAnalyzerTKA = 1,
    kInstrumentAnalyzerTKB = 2,
    kInstrumentSerial = 3,
    kInstrumentAnalyzerTKC = 4,
};

inline bool IsAnalyzerKind(int32_t kind) {
    return kind == kInstrumentAnalyzerTKA || kind == kInstrumentAnalyzerTKB ||
           kind == kInstrumentAnalyzerTKC;
}

// The program-wide answer of detection. `drivePath` is written only when an analyzer is found
// and never cleared: readers look at `kind` first.
struct DetectedInstrument {
    int32_t kind = kInstrumentNone;
    std::filesystem::path drivePath;
};

}  // namespace wl

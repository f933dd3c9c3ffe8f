#include "transfer/analyzer_folders.h"

#include "common/instrument_kind.h"

namespace wl {

std::filesystem::path AnalyzerRouteFolder(int32_t kind, const std::filesystem::path& base) {
    if (kind == kInstrumentAnalyzerTKA) {
        return base / "route";
    }
    if (kind == kInstrumentAnalyzerTKB || kind == kInstrumentAnalyzerTKC) {
        return base / "TKBRoute";
    }
    return {};
}

std::filesystem::path AnalyzerDataFolder(int32_t kind, const std::filesystem::path& base) {
    if (kind == kInstrumentAnalyzerTKA) {
        return base / "analyzer";
    }
    if (kind == kInstrumentAnalyzerTKB || kind == kInstrumentAnalyzerTKC) {
        return base / "TKBanalyser";
    }
    return {};
}

}  // namespace wl

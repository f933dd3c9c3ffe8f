#pragma once
// Where an analyzer keeps its routes and its measured data, below the folder detection found.

#include <cstdint>
#include <filesystem>

namespace wl {

// "route" for a TKA analyzer, "TKBRoute" for TKB and TKC; empty for any other kind.
std::filesystem::path AnalyzerRouteFolder(int32_t kind, const std::filesystem::path& base);

// "analyzer" for a TKA analyzer, "TKBanalyser" for TKB and TKC; empty for any other kind.
std::filesystem::path AnalyzerDataFolder(int32_t kind, const std::filesystem::path& base);

}  // namespace wl

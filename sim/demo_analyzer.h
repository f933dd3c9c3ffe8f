#pragma once
// The demo's analyzer: a folder laid out as a TKB analyzer's drive, filled at first use with a few
// routes and measured-data sets, so that a new user sees the whole job without hardware.

#include <filesystem>

namespace wl {

// The volume label the demo analyzer is found under.
inline constexpr const char* kDemoAnalyzerLabel = "TKB_DEMO";

// $XDG_DATA_HOME/wayload/demo, else ~/.local/share/wayload/demo; empty when there is no home.
std::filesystem::path DemoDataFolder();

// The drive root of the demo analyzer below `dataFolder` (with a trailing separator), its route
// and data folders filled when they are missing. Empty when the folders cannot be made.
std::filesystem::path PrepareDemoAnalyzer(const std::filesystem::path& dataFolder);

}  // namespace wl

#include "sim/demo_analyzer.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace wl {
namespace {

struct DemoFile {
    const char* path;  // below the drive root
    const char* content;
};

// Small, readable stand-ins for what an analyzer holds: route definitions and measured points.
constexpr DemoFile kDemoFiles[] = {
    {"TKBRoute/North hall fans/route.dat", "ROUTE North hall fans\nPOINTS 3\n"},
    {"TKBRoute/North hall fans/points/P1.def", "P1 Fan 1 drive end\nVELOCITY mm/s\n"},
    {"TKBRoute/North hall fans/points/P2.def", "P2 Fan 1 free end\nVELOCITY mm/s\n"},
    {"TKBRoute/North hall fans/points/P3.def", "P3 Fan 2 drive end\nVELOCITY mm/s\n"},
    {"TKBRoute/Cooling pumps/route.dat", "ROUTE Cooling pumps\nPOINTS 2\n"},
    {"TKBRoute/Cooling pumps/points/P1.def", "P1 Pump A motor\nACCELERATION g\n"},
    {"TKBRoute/Cooling pumps/points/P2.def", "P2 Pump A bearing\nACCELERATION g\n"},
    {"TKBRoute/Compressor line B/route.dat", "ROUTE Compressor line B\nPOINTS 1\n"},
    {"TKBRoute/Compressor line B/points/P1.def", "P1 Compressor B\nVELOCITY mm/s\n"},
    {"TKBanalyser/North hall fans 2026-12-09/P1.csv", "time;value\n0;1.8\n1;1.9\n2;2.1\n"},
    {"TKBanalyser/North hall fans 2026-12-09/P2.csv", "time;value\n0;0.9\n1;1.0\n2;0.9\n"},
    {"TKBanalyser/Cooling pumps 2026-12-10/P1.csv", "time;value\n0;0.31\n1;0.29\n2;0.33\n"},
};

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return {};
}

}  // namespace

std::filesystem::path DemoDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return std::filesystem::path(data) / "wayload" / "demo";
    }
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? home : home / ".local" / "share" / "wayload" / "demo";
}

std::filesystem::path PrepareDemoAnalyzer(const std::filesystem::path& dataFolder) {
    if (dataFolder.empty()) {
        return {};
    }
    const std::filesystem::path root = dataFolder / kDemoAnalyzerLabel;
    std::error_code failed;
    // Filled once: what the user stored or deleted in the demo stays as it is.
    if (!std::filesystem::exists(root / "TKBRoute", failed)) {
        for (const DemoFile& file : kDemoFiles) {
            const std::filesystem::path path = root / file.path;
            std::filesystem::create_directories(path.parent_path(), failed);
            std::ofstream(path, std::ios::binary) << file.content;
        }
    }
    std::filesystem::create_directories(root / "TKBanalyser", failed);
    if (!std::filesystem::is_directory(root / "TKBRoute", failed)) {
        return {};
    }
    return root / "";
}

}  // namespace wl

#include "tests/desktop/wayload_program.h"

#include <utility>

#include "locale/settings_file.h"
#include "tests/support/temp_folder.h"

namespace wl::desktop {

DemoAnalyzerFolder::DemoAnalyzerFolder(std::filesystem::path dataHome)
    : dataHome_(std::move(dataHome)) {
    std::filesystem::create_directories(root() / "TKBRoute");
    std::filesystem::create_directories(root() / "TKBanalyser");
}

std::filesystem::path DemoAnalyzerFolder::root() const {
    return dataHome_ / "wayload" / "demo" / "TKB_DEMO";
}

std::filesystem::path DemoAnalyzerFolder::RouteFolder(const std::string& name) const {
    return root() / "TKBRoute" / name;
}

void DemoAnalyzerFolder::AddRoute(const std::string& name, const std::string& definition) {
    test::WriteFile(RouteFolder(name) / "route.dat", definition);
}

void DemoAnalyzerFolder::AddMeasuredData(const std::string& name, int files, size_t smallest,
                                         size_t largest) {
    const std::filesystem::path folder = root() / "TKBanalyser" / name;
    for (int i = 0; i < files; ++i) {
        const size_t size = files > 1 ? smallest + (largest - smallest) * static_cast<size_t>(i) /
                                                       static_cast<size_t>(files - 1)
                                      : smallest;
        test::WriteFile(folder / ("P" + std::to_string(i + 1) + ".dat"),
                        test::RandomBytes(size, static_cast<uint32_t>(i + 1)));
    }
}

WayloadProgram::WayloadProgram(const std::filesystem::path& folder,
                               const DemoAnalyzerFolder& analyzer, const std::string& display,
                               const ProgramSetup& setup)
    : log_(folder / "wayload.log") {
    // A stored language, so the first-start question does not hold up the window.
    SaveLanguageSetting(folder / "config" / "wayload.ini", setup.language);
    ChildOptions options;
    options.log = log_;
    options.environment = {
        {"DISPLAY", display},
        {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_CONFIG_HOME", (folder / "config").string()},
        {"XDG_DATA_HOME", analyzer.dataHome().string()},
        // No converter is asked for: the serial probe finds nothing on a path that is not there.
        {"WAYLOAD_PORT", (folder / "no-port").string()},
    };
    process_ = ChildProcess({setup.program.string(), "--demo"}, options);
}

bool PackRouteFile(const std::filesystem::path& routeFile,
                   const std::vector<std::filesystem::path>& folders) {
    std::vector<std::string> commandLine = {WAYLOAD_CLI, "pack", "--type", "1", routeFile.string()};
    for (const std::filesystem::path& folder : folders) {
        commandLine.push_back(folder.string());
    }
    return RunCommand(commandLine).exitCode == 0;
}

bool ExportFileIsComplete(const std::filesystem::path& exportFile) {
    return RunCommand({WAYLOAD_CLI, "verify", exportFile.string()}, std::chrono::seconds(60))
               .exitCode == 0;
}

std::string ListedProjects(const std::filesystem::path& container) {
    return RunCommand({WAYLOAD_CLI, "list", container.string()}).output;
}

}  // namespace wl::desktop

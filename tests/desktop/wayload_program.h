#pragma once
// The window program as an operator starts it on the demo analyzer: `wayload --demo` with its
// own settings (a language already chosen), its own demo folder laid out by the test, and no
// serial converter to probe.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/desktop/child_process.h"

namespace wl::desktop {

// The simulated analyzer's drive, below the XDG_DATA_HOME the program is given. The program
// fills it with its own demo routes only when TKBRoute is missing, so what is laid out here is
// what it finds.
class DemoAnalyzerFolder {
  public:
    explicit DemoAnalyzerFolder(std::filesystem::path dataHome);

    const std::filesystem::path& dataHome() const { return dataHome_; }
    std::filesystem::path root() const;
    std::filesystem::path RouteFolder(const std::string& name) const;

    void AddRoute(const std::string& name, const std::string& definition);
    // A measured-data folder of `files` files of incompressible bytes, their sizes spread evenly
    // from `smallest` to `largest`, so that packing them takes a while.
    void AddMeasuredData(const std::string& name, int files, size_t smallest, size_t largest);

  private:
    std::filesystem::path dataHome_;
};

// Which program is started, and the language stored for it.
struct ProgramSetup {
    std::filesystem::path program = WAYLOAD_PROGRAM;
    std::u16string language = u"eng.lng";
    // The status line once the demo analyzer is found, in that language.
    std::string analyzerFound = "Found instrument TKBMax";
};

class WayloadProgram {
  public:
    // Starts the program on the display; `folder` takes its settings and its log.
    WayloadProgram(const std::filesystem::path& folder, const DemoAnalyzerFolder& analyzer,
                   const std::string& display, const ProgramSetup& setup = {});

    pid_t pid() const { return process_.pid(); }
    bool Running() { return process_.Running(); }
    const std::filesystem::path& log() const { return log_; }

  private:
    std::filesystem::path log_;
    ChildProcess process_;
};

// wayload-cli pack --type 1: a route file holding each folder as a route named after it.
bool PackRouteFile(const std::filesystem::path& routeFile,
                   const std::vector<std::filesystem::path>& folders);

// wayload-cli verify: every packed file restores to its recorded size.
bool ExportFileIsComplete(const std::filesystem::path& exportFile);

// wayload-cli list: the names of the projects a container holds.
std::string ListedProjects(const std::filesystem::path& container);

}  // namespace wl::desktop

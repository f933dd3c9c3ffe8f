#include "tests/desktop/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace wl::desktop {
namespace {

constexpr auto kServerStartLimit = std::chrono::seconds(15);
constexpr auto kManagerStartLimit = std::chrono::seconds(10);

// Reads the display number Xvfb writes once it accepts clients; empty when none came in time.
std::string ReadDisplayNumber(int descriptor) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + kServerStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{descriptor, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(std::max<long>(left.count(), 1))) <= 0) {
            continue;
        }
        char byte = 0;
        if (::read(descriptor, &byte, 1) != 1) {
            break;  // the server ended before it was ready
        }
        if (byte == '\n') {
            return number;
        }
        number += byte;
    }
    return {};
}

// twm needs core fonts; Xvfb's built-in "fixed" serves in the C locale. Windows without a
// position of their own are placed at once instead of waiting for a click.
constexpr const char* kTwmSettings =
    "RandomPlacement\n"
    "UsePPosition \"on\"\n"
    "TitleFont \"fixed\"\n"
    "ResizeFont \"fixed\"\n"
    "MenuFont \"fixed\"\n"
    "IconFont \"fixed\"\n"
    "IconManagerFont \"fixed\"\n";

// What a program wrote before it failed; its log goes with the test's folder.
std::string LogText(const std::filesystem::path& log) {
    std::ifstream file(log);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    constexpr size_t kShown = 1500;
    return text.size() > kShown ? text.substr(text.size() - kShown) : text;
}

struct ManagerLaunch {
    std::vector<std::string> commandLine;
    ChildOptions options;
    // The name of a window the manager makes once it has taken the display, as xwininfo -tree
    // quotes it.
    std::string readyWindowName;
};

ManagerLaunch LaunchOf(WindowManager manager, const std::string& display,
                       const std::filesystem::path& scratch) {
    ManagerLaunch launch;
    launch.options.environment["DISPLAY"] = display;
    // Its settings and caches stay in the test's folder, away from the user's.
    launch.options.environment["HOME"] = scratch.string();
    launch.options.environment["XDG_CONFIG_HOME"] = (scratch / "config").string();
    launch.options.environment["XDG_CACHE_HOME"] = (scratch / "cache").string();
    launch.options.log = scratch / (std::string(WindowManagerName(manager)) + ".log");
    if (manager == WindowManager::kTwm) {
        const std::filesystem::path settings = scratch / "twmrc";
        std::ofstream(settings) << kTwmSettings;
        launch.commandLine = {FindProgram("twm"), "-f", settings.string()};
        launch.options.environment["LC_ALL"] = "C";
        launch.readyWindowName = "\"TWM Icon Manager\"";
    } else if (manager == WindowManager::kOpenbox) {
        launch.commandLine = {FindProgram("openbox"), "--sm-disable"};
        launch.readyWindowName = "\"Openbox\"";
    }
    return launch;
}

}  // namespace

XvfbDisplay::XvfbDisplay(const std::filesystem::path& log) {
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) {
        failure_ = "Xvfb is not installed (Debian package xvfb)";
        return;
    }
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        failure_ = "no pipe for Xvfb's display number";
        return;
    }
    ChildOptions options;
    options.log = log;
    options.descriptorThree = pipeEnds[1];
    // -displayfd: the server takes the first free display number and tells it when ready.
    server_ =
        ChildProcess({xvfb, "-displayfd", "3", "-screen", "0",
                      std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                      "-nolisten", "tcp", "-noreset"},
                     options);
    ::close(pipeEnds[1]);
    const std::string number = server_.started() ? ReadDisplayNumber(pipeEnds[0]) : std::string();
    ::close(pipeEnds[0]);
    if (number.empty()) {
        failure_ = "Xvfb did not start: " + LogText(log);
        server_.Stop();
        return;
    }
    name_ = ":" + number;
}

const char* WindowManagerName(WindowManager manager) {
    switch (manager) {
        case WindowManager::kTwm:
            return "twm";
        case WindowManager::kOpenbox:
            return "openbox";
        case WindowManager::kNone:
            break;
    }
    return "none";
}

std::string MissingWindowManager(WindowManager manager) {
    if (manager == WindowManager::kNone) {
        return {};
    }
    const std::string name = WindowManagerName(manager);
    if (FindProgram(name).empty()) {
        return name + " is not installed (Debian package " + name + ")";
    }
    return {};
}

RunningWindowManager::RunningWindowManager(WindowManager manager, const std::string& display,
                                           const std::filesystem::path& scratch) {
    if (manager == WindowManager::kNone) {
        return;
    }
    failure_ = MissingWindowManager(manager);
    if (!failure_.empty()) {
        return;
    }
    std::filesystem::create_directories(scratch);
    const ManagerLaunch launch = LaunchOf(manager, display, scratch);
    process_ = ChildProcess(launch.commandLine, launch.options);
    const auto deadline = std::chrono::steady_clock::now() + kManagerStartLimit;
    while (std::chrono::steady_clock::now() < deadline && process_.Running()) {
        const CommandResult windows =
            RunCommand({"xwininfo", "-root", "-tree"}, std::chrono::seconds(5));
        if (windows.output.find(launch.readyWindowName) != std::string::npos) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failure_ = std::string(WindowManagerName(manager)) +
               " did not take over the display: " + LogText(launch.options.log);
    process_.Stop();
}

}  // namespace wl::desktop

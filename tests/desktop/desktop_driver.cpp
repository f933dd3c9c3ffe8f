#include "tests/desktop/desktop_driver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <sstream>

#include "tests/desktop/child_process.h"

namespace wl::desktop {
namespace {

constexpr milliseconds kPollInterval(50);

std::vector<WindowId> ParseWindowIds(const std::string& output) {
    std::vector<WindowId> windows;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) {
            windows.push_back(std::stoul(line));
        }
    }
    return windows;
}

// The number after `label` in xwininfo's report, or nothing.
std::optional<int> ReportedNumber(const std::string& report, const std::string& label) {
    const size_t at = report.find(label);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream value(report.substr(at + label.size()));
    int number = 0;
    if (!(value >> number)) {
        return std::nullopt;
    }
    return number;
}

std::string Point(int coordinate) {
    return std::to_string(coordinate);
}

}  // namespace

void Pause(milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (std::chrono::steady_clock::now() < until);
}

std::string MissingDriverTools() {
    if (FindProgram("xdotool").empty()) {
        return "xdotool is not installed (Debian package xdotool)";
    }
    if (FindProgram("xwininfo").empty()) {
        return "xwininfo is not installed (Debian package x11-utils)";
    }
    return {};
}

std::vector<WindowId> Desktop::FindWindows(const std::string& namePattern) const {
    return ParseWindowIds(
        RunCommand({"xdotool", "search", "--onlyvisible", "--name", namePattern}).output);
}

std::vector<WindowId> Desktop::WindowsOf(pid_t pid) const {
    return ParseWindowIds(
        RunCommand({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}).output);
}

std::optional<QRect> Desktop::WindowRect(WindowId window) const {
    const CommandResult report = RunCommand({"xwininfo", "-id", std::to_string(window)});
    const auto x = ReportedNumber(report.output, "Absolute upper-left X:");
    const auto y = ReportedNumber(report.output, "Absolute upper-left Y:");
    const auto width = ReportedNumber(report.output, "Width:");
    const auto height = ReportedNumber(report.output, "Height:");
    if (report.exitCode != 0 || !x || !y || !width || !height) {
        return std::nullopt;
    }
    return QRect(*x, *y, *width, *height);
}

bool Desktop::IsShown(WindowId window) const {
    const CommandResult report = RunCommand({"xwininfo", "-id", std::to_string(window)});
    return report.exitCode == 0 && report.output.find("Map State: IsViewable") != std::string::npos;
}

std::optional<WindowId> Desktop::WaitForWindow(const std::string& namePattern, milliseconds limit,
                                               const std::vector<WindowId>& known) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (WindowId window : FindWindows(namePattern)) {
            if (std::find(known.begin(), known.end(), window) == known.end()) {
                return window;
            }
        }
        Pause(kPollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

bool Desktop::WaitUntilGone(WindowId window, milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        if (!IsShown(window)) {
            return true;
        }
        Pause(kPollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void Desktop::MovePointer(QPoint where) const {
    // xdotool's --sync waits for a motion, and there is none when the pointer is there already.
    const std::string location = RunCommand({"xdotool", "getmouselocation"}).output;
    if (location.rfind("x:" + Point(where.x()) + " y:" + Point(where.y()) + " ", 0) == 0) {
        return;
    }
    RunCommand({"xdotool", "mousemove", "--sync", Point(where.x()), Point(where.y())});
}

void Desktop::Click(QPoint where) const {
    MovePointer(where);
    RunCommand({"xdotool", "click", "1"});
}

void Desktop::Focus(WindowId window) const {
    if (const auto rect = WindowRect(window)) {
        MovePointer(rect->center());
    }
    RunCommand({"xdotool", "windowfocus", std::to_string(window)});
    Pause(milliseconds(100));
}

void Desktop::Type(const std::string& text) const {
    RunCommand({"xdotool", "type", "--delay", "8", text});
}

void Desktop::Key(const std::string& keyName) const {
    RunCommand({"xdotool", "key", keyName});
}

}  // namespace wl::desktop

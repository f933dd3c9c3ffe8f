#pragma once
// A private X server (Xvfb) on a display number nobody else uses, and the window managers the
// tests put on it. Both are ended, with everything they started, when their objects go.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/desktop/child_process.h"

namespace wl::desktop {

inline constexpr int kScreenWidth = 1280;
inline constexpr int kScreenHeight = 1024;

class XvfbDisplay {
  public:
    // Starts Xvfb and waits until it accepts clients; name() is empty when that failed, and
    // failure() says why.
    explicit XvfbDisplay(const std::filesystem::path& log);

    const std::string& name() const { return name_; }  // ":N"
    const std::string& failure() const { return failure_; }

  private:
    ChildProcess server_;
    std::string name_;
    std::string failure_;
};

enum class WindowManager { kNone, kTwm, kOpenbox };

// "none", "twm" or "openbox", as test names show it.
const char* WindowManagerName(WindowManager manager);

// Why the tests cannot run under this window manager on this machine; empty when they can.
std::string MissingWindowManager(WindowManager manager);

// A window manager running on the display until the object goes. Nothing runs for kNone.
class RunningWindowManager {
  public:
    RunningWindowManager(WindowManager manager, const std::string& display,
                         const std::filesystem::path& scratch);

    // Empty when it started and took over the display, else why not.
    const std::string& failure() const { return failure_; }

  private:
    ChildProcess process_;
    std::string failure_;
};

}  // namespace wl::desktop

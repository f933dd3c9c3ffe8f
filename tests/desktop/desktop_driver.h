#pragma once
// The operator's hands and eyes on the X display: windows found by their names with xdotool,
// their places read with xwininfo, the real pointer and keyboard moved with xdotool. Every wait
// is bounded and keeps the test's own windows answering meanwhile.

#include <sys/types.h>

#include <QPoint>
#include <QRect>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace wl::desktop {

using WindowId = unsigned long;
using std::chrono::milliseconds;

// Lets the test's own Qt windows handle their events for that long.
void Pause(milliseconds time);

// Why the driver cannot work on this machine; empty when xdotool and xwininfo are there.
std::string MissingDriverTools();

class Desktop {
  public:
    // Shown windows whose name matches the pattern (a regular expression, as xdotool takes it).
    std::vector<WindowId> FindWindows(const std::string& namePattern) const;
    // Shown windows of a process (by the _NET_WM_PID that Qt sets).
    std::vector<WindowId> WindowsOf(pid_t pid) const;
    // The window's area on the screen, without a window manager's frame.
    std::optional<QRect> WindowRect(WindowId window) const;
    bool IsShown(WindowId window) const;

    // The first shown window matching the pattern that is not one of `known`.
    std::optional<WindowId> WaitForWindow(const std::string& namePattern, milliseconds limit,
                                          const std::vector<WindowId>& known = {}) const;
    bool WaitUntilGone(WindowId window, milliseconds limit) const;

    void MovePointer(QPoint where) const;
    // A real press and release of the left button there.
    void Click(QPoint where) const;
    // Gives the window the keyboard, with the pointer over it for managers whose focus follows
    // the pointer.
    void Focus(WindowId window) const;
    void Type(const std::string& text) const;
    void Key(const std::string& keyName) const;
};

}  // namespace wl::desktop

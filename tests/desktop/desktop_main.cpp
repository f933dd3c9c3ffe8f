// The desktop tests run as a Qt application on an X display of their own: it takes the screen's
// pixels and shows the windows of "another program" that must keep receiving clicks. The display
// is started before the application connects to it and ended after the application has gone.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "tests/desktop/desktop_fixture.h"
#include "tests/desktop/x_display.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    using namespace wl::desktop;
    std::unique_ptr<wl::test::TempFolder> serverFolder;
    std::unique_ptr<XvfbDisplay> display;
    TestDisplay& shared = TheTestDisplay();
    if (GTEST_FLAG_GET(list_tests)) {
        shared.unavailable = "only listing";
    } else {
        serverFolder = std::make_unique<wl::test::TempFolder>();
        display = std::make_unique<XvfbDisplay>(serverFolder->path() / "Xvfb.log");
        shared.name = display->name();
        shared.unavailable = display->failure();
    }
    // No session bus: a private display has none, and looking for one on it leaks in libdbus (the
    // sanitizer build reports that) or, where dbus-launch is installed, starts a bus daemon that
    // outlives the tests.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    if (shared.name.empty()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        setenv("DISPLAY", shared.name.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        // The tests open and close windows of their own one after another; the last one
        // closing must not end the application.
        QApplication::setQuitOnLastWindowClosed(false);
        result = RUN_ALL_TESTS();
    }
    return result;
}

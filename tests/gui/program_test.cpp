// The window program itself: it starts, stays up while it polls, and shows its window, on the
// offscreen platform and, where Xvfb is installed, under a real X display.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

#include "locale/settings_file.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

// Long enough for a few ticks of the 500 ms timer.
constexpr int kPollingTimeMs = 1600;

class ProgramTest : public testing::Test {
  protected:
    ProgramTest() {
        // A stored language, so the first-start question does not hold up the window.
        EXPECT_TRUE(SaveLanguageSetting(folder / "config/wayload.ini", u"deu.lng"));
    }

    QProcessEnvironment Environment(const char* platform) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((folder / "config").string()));
        environment.insert("QT_QPA_PLATFORM", platform);
        // No converter is asked for: the serial probe finds nothing on a path that is not there.
        environment.insert("WAYLOAD_PORT", QString::fromStdString((folder / "no-port").string()));
        return environment;
    }

    test::TempFolder folder;
};

TEST_F(ProgramTest, StartsAndPollsOffscreen) {
    QProcess program;
    program.setProcessEnvironment(Environment("offscreen"));
    program.start(WAYLOAD_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_FALSE(program.waitForFinished(kPollingTimeMs)) << program.readAllStandardError().data();
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);
}

TEST_F(ProgramTest, ShowsItsWindowUnderARealDisplay) {
    const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
    const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
    if (xvfbRun.isEmpty() || xwininfo.isEmpty()) {
        GTEST_SKIP() << "xvfb-run or xwininfo is not installed";
    }
    // The program and a look at the display's windows run inside one xvfb-run.
    const QString script =
        QStringLiteral("'%1' & pid=$!; sleep %2; xwininfo -root -tree; kill $pid; wait $pid")
            .arg(WAYLOAD_PROGRAM)
            .arg(kPollingTimeMs / 1000.0 + 1);
    QProcess display;
    display.setProcessEnvironment(Environment("xcb"));
    display.start(xvfbRun, {"-a", "sh", "-c", script});
    ASSERT_TRUE(display.waitForStarted(5000));
    ASSERT_TRUE(display.waitForFinished(30000));
    const QString windows = QString::fromUtf8(display.readAllStandardOutput());
    EXPECT_TRUE(windows.contains("\"Tarvek Trailpack v")) << windows.toStdString();
}

}  // namespace
}  // namespace wl

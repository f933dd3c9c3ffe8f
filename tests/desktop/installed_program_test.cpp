// The program as installed: under a prefix of its own, moved away from where it was built for, it
// still finds its language files beside it and shows the chosen language.

#include "tests/desktop/desktop_fixture.h"
#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {
namespace {

using InstalledProgram = ProgramOnDesktop;

TEST_P(InstalledProgram, UnderAnotherPrefixShowsTheChosenLanguage) {
    const std::filesystem::path prefix = folder / "elsewhere" / "opt" / "wayload";
    const CommandResult install =
        RunCommand({CMAKE_COMMAND, "--install", WAYLOAD_BUILD_FOLDER, "--prefix", prefix.string()},
                   std::chrono::seconds(60));
    ASSERT_EQ(install.exitCode, 0) << install.output;
    ASSERT_TRUE(std::filesystem::is_regular_file(prefix / "bin" / "wayload"));

    // The main window comes up with the German status line, read from the screen.
    StartProgram({prefix / "bin" / "wayload", u"deu.lng", "Instrument TKBMax gefunden"});
    SaveScreenshot(GrabScreen(), ScreenshotName("german"));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, InstalledProgram, testing::Values(WindowManager::kNone),
                         ManagerParamName);

}  // namespace
}  // namespace wl::desktop

// Names from a drive are shown as they are: a route whose folder is named like markup ("<b>x")
// appears with its angle brackets in the route selection, in the overwrite question and in the
// closing message, never rendered as rich text (a bold "x").

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <set>

#include "tests/desktop/desktop_fixture.h"
#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {
namespace {

// Folder names (so no "/") that rich text would show as bold, italic or underlined words.
const std::vector<std::string> kMarkupNames = {"<b>x", "<i>Pumps", "<u>Fans"};

QString Question(const std::string& name) {
    return QString::fromStdString("Overwrite following route '" + name + "' in instrument?");
}

// The check below must tell plain from rich rendering; this holds it to that, on the same
// display and fonts, with labels drawing the question both ways.
TEST(PlainTextFinder, FindsTheLiteralNameOnlyWhereItIsDrawnAsPlainText) {
    if (TheTestDisplay().name.empty()) {
        GTEST_SKIP() << "no X display for the test: " << TheTestDisplay().unavailable;
    }
    for (const std::string& name : kMarkupNames) {
        for (const Qt::TextFormat format : {Qt::PlainText, Qt::RichText}) {
            QLabel label;
            label.setTextFormat(format);
            label.setText(Question(name));
            label.adjustSize();
            const QImage drawn = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
            const bool found =
                FindPlainText(drawn, drawn.rect(), Question(name), QApplication::font())
                    .has_value();
            EXPECT_EQ(found, format == Qt::PlainText)
                << name << " drawn as " << (format == Qt::PlainText ? "plain" : "rich");
        }
    }
}

using NamesShownLiterally = ProgramOnDesktop;

TEST_P(NamesShownLiterally, MarkupInRouteNamesIsShownAsTyped) {
    std::vector<std::filesystem::path> newRoutes;
    for (const std::string& name : kMarkupNames) {
        analyzer.AddRoute(name, "ROUTE old\n");
        newRoutes.push_back(folder / "new" / name);
        test::WriteFile(newRoutes.back() / "route.dat", "ROUTE new\n");
    }
    const std::filesystem::path routeFile = folder / "markup.rdi";
    ASSERT_TRUE(PackRouteFile(routeFile, newRoutes));
    ASSERT_NO_FATAL_FAILURE(StartProgram());

    // The route selection lists the analyzer's folders.
    desktop.Click(op().DownloadButton().center());
    const auto selection = op().WaitForWindow(kRouteSelectionName);
    ASSERT_TRUE(selection) << "the download button brought no route selection";
    QImage screen = GrabScreen();
    SaveScreenshot(screen.copy(selection->rect), ScreenshotName("route_selection"));
    for (const std::string& name : kMarkupNames) {
        EXPECT_TRUE(
            op().WaitForText(*selection, {QString::fromStdString(name)}, milliseconds(2000)))
            << "the route selection does not show " << name << " as typed";
    }
    ASSERT_TRUE(op().PressButton(*selection, "Cancel"));
    ASSERT_TRUE(desktop.WaitUntilGone(selection->id, milliseconds(5000)));

    // Each of them is on the analyzer already: the upload asks about each.
    desktop.Click(op().UploadButton().center());
    const auto open = op().WaitForWindow(kOpenDialogName);
    ASSERT_TRUE(open) << "the upload button brought no open dialog";
    ASSERT_TRUE(op().SubmitFileDialog(*open, routeFile));
    std::vector<WindowId> asked;
    std::set<std::string> shownAsTyped;
    for (size_t i = 0; i < kMarkupNames.size(); ++i) {
        const auto question = op().WaitForWindow(kMessageBoxName, asked);
        ASSERT_TRUE(question) << "question " << i + 1 << " did not come";
        asked.push_back(question->id);
        // The questions come in the route file's order; each is matched to its name by its text.
        std::string matched;
        for (int attempt = 0; attempt < 5 && matched.empty(); ++attempt) {
            screen = GrabScreen();
            for (const std::string& name : kMarkupNames) {
                if (FindPlainText(screen, question->rect, Question(name), QApplication::font())) {
                    matched = name;
                }
            }
            Pause(milliseconds(100));
        }
        SaveScreenshot(screen.copy(question->rect),
                       ScreenshotName("question_" + std::to_string(i + 1)));
        EXPECT_FALSE(matched.empty()) << "question " << i + 1 << " (about " << kMarkupNames[i]
                                      << ") shows no route name as typed";
        shownAsTyped.insert(matched);
        // Answered from the keyboard: this test is about what the question shows.
        desktop.Focus(question->id);
        desktop.Key("Return");
        ASSERT_TRUE(desktop.WaitUntilGone(question->id, milliseconds(5000)));
    }
    shownAsTyped.erase("");
    EXPECT_EQ(shownAsTyped.size(), kMarkupNames.size());

    const auto closing = op().WaitForWindow(kMessageBoxName, asked);
    ASSERT_TRUE(closing) << "no closing message came";
    std::vector<QString> lines = {"Following routes were uploaded into instrument :"};
    for (const std::string& name : kMarkupNames) {
        lines.push_back(QString::fromStdString(name));
    }
    EXPECT_TRUE(op().WaitForText(*closing, lines, milliseconds(3000), &screen))
        << "the closing message does not list the routes as typed";
    SaveScreenshot(screen.copy(closing->rect), ScreenshotName("closing_message"));
    EXPECT_TRUE(op().PressButton(*closing, "OK"));
    for (const std::string& name : kMarkupNames) {
        EXPECT_EQ(test::ReadFile(analyzer.RouteFolder(name) / "route.dat"), "ROUTE new\n") << name;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, NamesShownLiterally,
                         testing::Values(WindowManager::kTwm, WindowManager::kOpenbox),
                         ManagerParamName);

}  // namespace
}  // namespace wl::desktop

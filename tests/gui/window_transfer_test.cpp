// The window program's wiring to the transfers: a whole analyzer download from the demo analyzer,
// started by the window's button and answered in its real Qt dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/demo_instruments.h"
#include "common/utf16.h"
#include "container/container_file.h"
#include "gui/main_window.h"
#include "gui/qt_transfer_ui.h"
#include "gui/select_routes_dlg.h"
#include "locale/settings_file.h"
#include "tests/gui/grab_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/virtual_clock.h"
#include "transfer/transfer_sequences.h"

namespace wl {
namespace {

// Waits, on the event loop, for a modal window of type T and acts on it once. A window that never
// comes fails the test instead of hanging it.
template <typename T>
void WhenModal(const std::function<void(T&)>& act, int attemptsLeft = 500) {
    QTimer::singleShot(10, [act, attemptsLeft] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(*window);
        } else if (attemptsLeft > 0) {
            WhenModal<T>(act, attemptsLeft - 1);
        } else {
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " came";
            if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
        }
    });
}

// Types a path into a file dialog's name field and presses Return, as a user does.
void TypeFileName(QFileDialog& dialog, const std::filesystem::path& path) {
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path.string()));
    QTest::keyClick(name, Qt::Key_Return);
}

// The window program on the demo analyzer, with the transfers' Qt dialogs.
class WindowTransfer : public testing::Test {
  protected:
    WindowTransfer() {
        EXPECT_TRUE(SaveLanguageSetting(folder / "wayload.ini", u"eng.lng"));
        EXPECT_FALSE(demo.analyzerRoot().empty());
    }

    // Shows the window and waits for its first tick to find the analyzer; the buttons are
    // enabled from the start, before any instrument is found.
    void ShowWindow() {
        ui.SetOwner(&window);
        window.Initialise();
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.statusLine().text(), QString("Found instrument TKBMax "),
                                  3000);
    }

    test::TempFolder folder;
    DemoInstruments demo{DemoInstrument::kAnalyzer, folder / "demo"};
    test::VirtualClock clock;
    QtTransferUi ui{nullptr, clock};
    TransferSequences transfers{ui, demo.instrument(), folder.path()};
    CWayloadDlg window{demo.serial(), demo.drives(), transfers,
                       LanguageSetup{folder / "languages", folder / "wayload.ini", std::nullopt}};
};

TEST_F(WindowTransfer, DownloadsFromTheDemoAnalyzerThroughTheRealDialogs) {
    ShowWindow();

    const std::filesystem::path exportFile = folder / "day.rdx";
    QString closing;
    bool routesOffered = false;
    WhenModal<CSelectRoutesDlg>([&](CSelectRoutesDlg& dialog) {
        routesOffered = true;
        EXPECT_TRUE(test::SaveGrab(dialog, "window_route_selection"));
        // The routes are ticked by themselves; OK takes them.
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == "OK") {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        }
    });
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.defaultSuffix(), "rdx");
        // Typed without an extension: the chooser adds it.
        TypeFileName(dialog, folder / "day");
    });
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        closing = box.text();
        EXPECT_EQ(box.windowTitle(), "Tarvek Trailpack");
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        box.button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(&window.instrumentToPcButton(), Qt::LeftButton);

    EXPECT_TRUE(routesOffered);
    EXPECT_EQ(closing, QString::fromStdString("Routes saved into '" + exportFile.string() + "'"));
    BDL::ContainerFile container;
    ASSERT_TRUE(container.Open(exportFile));
    std::vector<std::string> names;
    for (const auto& project : container.GetProjectList().projects) {
        EXPECT_EQ(project->type, 1);
        names.push_back(Utf16ToUtf8(project->name));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Compressor line B", "Cooling pumps", "North hall fans"}));
}

TEST_F(WindowTransfer, UploadsIntoTheDemoAnalyzerAskingBeforeAnOverwrite) {
    const std::filesystem::path routes = demo.analyzerRoot() / "TKBRoute";
    // A route file holding a new "Cooling pumps", which the analyzer already has.
    test::WriteFile(folder / "new/route.dat", "ROUTE Cooling pumps\nPOINTS 9\n");
    {
        BDL::ContainerFile container;
        ASSERT_TRUE(container.Create(folder / "week.rdi"));
        std::u16string error;
        ASSERT_NE(container.AddFolder(u"Cooling pumps", 1, folder / "new", nullptr, 0, 100, error),
                  nullptr);
        int cause = 0;
        ASSERT_TRUE(container.Finish(cause));
        ASSERT_TRUE(container.Close());
    }
    ShowWindow();

    QString question;
    QString closing;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.nameFilters(), QStringList{"Import (*.rdi)"});
        TypeFileName(dialog, folder / "week.rdi");
    });
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        question = box.text();
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        box.button(QMessageBox::Yes)->click();
        WhenModal<QMessageBox>([&](QMessageBox& closingBox) {
            closing = closingBox.text();
            closingBox.button(QMessageBox::Ok)->click();
        });
    });
    QTest::mouseClick(&window.pcToInstrumentButton(), Qt::LeftButton);

    EXPECT_EQ(question, "Overwrite following route 'Cooling pumps' in instrument?");
    // The dialog shows the "\r\n" of the texts as line breaks.
    EXPECT_EQ(closing, "Following routes were uploaded into instrument : \nCooling pumps");
    EXPECT_EQ(test::ReadFile(routes / "Cooling pumps/route.dat"),
              "ROUTE Cooling pumps\nPOINTS 9\n");
    EXPECT_FALSE(std::filesystem::exists(routes / "Cooling pumps/points"));
}

}  // namespace
}  // namespace wl

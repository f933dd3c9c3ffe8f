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
#include "gui/info_window.h"
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

// While the strip is open, the question about a route named with markup shows the name as it is,
// takes the user's click, and the main window's buttons start nothing meanwhile.
TEST_F(WindowTransfer, AQuestionDuringTheStripShowsTheNameLiterallyAndBlocksTheMainWindow) {
    const std::u16string name = u"<font color=red size=6>Hot";
    const std::filesystem::path routes = demo.analyzerRoot() / "TKBRoute";
    test::WriteFile(routes / *Utf16ToPath(name) / "route.dat", "old");
    test::WriteFile(folder / "new/route.dat", "new");
    {
        BDL::ContainerFile container;
        ASSERT_TRUE(container.Create(folder / "hot.rdi"));
        std::u16string error;
        ASSERT_NE(container.AddFolder(name, 1, folder / "new", nullptr, 0, 100, error), nullptr);
        int cause = 0;
        ASSERT_TRUE(container.Finish(cause));
        ASSERT_TRUE(container.Close());
    }
    ShowWindow();

    int dialogsWhileAsked = 0;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) { TypeFileName(dialog, folder / "hot.rdi"); });
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(CMyInfoWindow::openCount(), 1);
        const QString shown =
            "Overwrite following route '<font color=red size=6>Hot' in instrument?";
        EXPECT_EQ(box.text(), shown);
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        // As rich text the name would be drawn large and red; as plain text no pixel is red.
        const QImage drawn = label->grab().toImage();
        int red = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                red += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
            }
        }
        EXPECT_EQ(red, 0);
        // A click on the main window's other button starts no second transfer.
        // Through the window system, as a real click comes, where the modality is applied.
        CImageButton& other = window.instrumentToPcButton();
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                          other.mapTo(&window, other.rect().center()));
        dialogsWhileAsked = QApplication::activeModalWidget() == &box ? 0 : 1;
        QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
        WhenModal<QMessageBox>(
            [](QMessageBox& closing) { closing.button(QMessageBox::Ok)->click(); });
    });
    QTest::mouseClick(&window.pcToInstrumentButton(), Qt::LeftButton);

    EXPECT_EQ(dialogsWhileAsked, 0);
    EXPECT_EQ(test::ReadFile(routes / *Utf16ToPath(name) / "route.dat"), "new");
    EXPECT_EQ(CMyInfoWindow::openCount(), 0);
}

}  // namespace
}  // namespace wl

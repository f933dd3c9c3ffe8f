// The main window on the offscreen platform: real widgets, real pictures from the resources, a
// fake serial link and fake drives.

#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "gui/dialog_units.h"
#include "gui/lng_dlg.h"
#include "gui/qt_text.h"
#include "locale/settings_file.h"
#include "locale/string_table.h"
#include "tests/app/fake_mounts.h"
#include "tests/gui/grab_folder.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

class CountingTransfers : public ITransferHooks {
  public:
    void UploadToAnalyzer(const DetectedInstrument&) override { ++uploads; }
    void DownloadFromAnalyzer(const DetectedInstrument&) override { ++downloads; }
    void UploadToSerialInstrument() override { ++uploads; }
    void DownloadFromSerialInstrument() override { ++downloads; }
    int uploads = 0;
    int downloads = 0;
};

QImage Resource(int number) {
    return QImage(QStringLiteral(":/png/%1.png").arg(number))
        .convertToFormat(QImage::Format_ARGB32);
}

class MainWindowTest : public testing::Test {
  protected:
    MainWindowTest() {
        test::WriteFile(folder / "languages/eng.lng", "[Language]\nThisLang=English\n");
        test::WriteFile(folder / "languages/deu.lng",
                        "[Language]\nThisLang=Deutsch\n[strBDL]\nLanguage=Sprache\n"
                        "ConnectInstrument=Instrument anschlie\xc3\x9f"
                        "en...\n");
    }
    ~MainWindowTest() override { StringTable().LoadFromFile(folder / "none.lng"); }

    CWayloadDlg& Window() {
        window.emplace(serial, drives, transfers,
                       LanguageSetup{folder / "languages", settings, ProgramVersion{1, 8, 1}});
        return *window;
    }
    CWayloadDlg& ShownWindow() {
        EXPECT_TRUE(SaveLanguageSetting(settings, u"eng.lng"));
        CWayloadDlg& w = Window();
        w.Initialise();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }
    void Plug(const char* label) { drives.drives = {{"/", ""}, {"/media/u/A/", label}}; }

    test::TempFolder folder;
    std::filesystem::path settings = folder / "config/wayload.ini";
    test::FakeSerialProbe serial;
    test::FakeDriveLister drives;
    CountingTransfers transfers;
    std::optional<CWayloadDlg> window;
};

TEST_F(MainWindowTest, AsksForTheLanguageBeforeTheWindowShowsOnTheFirstRunOnly) {
    CWayloadDlg& w = Window();
    bool mainWindowWasHidden = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<LngDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        mainWindowWasHidden = !w.isVisible();
        auto* list = dialog->findChild<QTableWidget*>();
        // Sorted by name: Deutsch first. A double click comes after a click, as from a mouse.
        const QPoint row = list->visualItemRect(list->item(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the language dialog stayed open";
            dialog->done(QDialog::Rejected);
        }
    });
    w.Initialise();
    EXPECT_TRUE(mainWindowWasHidden);
    EXPECT_EQ(GetLanguageFileName(settings), u"deu.lng");
    // The choice is applied at once by the menu that is built next.
    EXPECT_EQ(w.statusLine().text(), QString::fromUtf8("Instrument anschlie\xc3\x9f"
                                                       "en..."));
    EXPECT_EQ(w.menuBar()->actions().at(0)->text(), "Sprache");

    CWayloadDlg again(serial, drives, transfers,
                      LanguageSetup{folder / "languages", settings, std::nullopt});
    QTimer::singleShot(0, [&] { EXPECT_EQ(QApplication::activeModalWidget(), nullptr); });
    again.Initialise();
    QTest::qWait(1);
    EXPECT_EQ(again.windowTitle(), "Tarvek Trailpack");
}

// The template's places in dialog units of the window's font, below the menu bar: at the
// default font and at a large one, the status line holds its line whole.
TEST_F(MainWindowTest, IsLaidOutLikeItsTemplateInItsFontWithTitleMenuAndStatus) {
    const QFont defaultFont = QApplication::font();
    QFont large = defaultFont;
    large.setPixelSize(24);
    for (const QFont& font : {defaultFont, large}) {
        QApplication::setFont(font);
        CWayloadDlg& w = ShownWindow();
        const DialogUnits units(w.font());
        EXPECT_EQ(w.windowTitle(), "Tarvek Trailpack v1.8.1");
        ASSERT_NE(w.menuBar(), nullptr);
        const int top = w.menuBar()->height();
        EXPECT_EQ(w.size(), units.Rect(0, 0, 173, 80).size() + QSize(0, top));
        EXPECT_EQ(w.pcToInstrumentButton().geometry(), units.Rect(7, 6, 77, 43).translated(0, top));
        EXPECT_EQ(w.instrumentToPcButton().geometry(),
                  units.Rect(91, 6, 75, 43).translated(0, top));
        EXPECT_EQ(w.statusLine().geometry(), units.Rect(7, 53, 159, 8).translated(0, top));
        EXPECT_GE(w.statusLine().height(), QFontMetrics(w.statusLine().font()).height());
        EXPECT_EQ(w.statusLine().text(), "Connect instrument...");
        QMenu* languages = w.menuBar()->actions().at(0)->menu();
        ASSERT_NE(languages, nullptr);
        ASSERT_EQ(languages->actions().size(), 2);
        EXPECT_EQ(languages->actions().at(0)->text(), "Deutsch");
        EXPECT_EQ(languages->actions().at(1)->text(), "English");
        EXPECT_FALSE(w.windowIcon().isNull());
        EXPECT_TRUE(test::SaveGrab(
            w, font == large ? "main_window_large_font" : "main_window_no_instrument"));
        window.reset();
    }
    QApplication::setFont(defaultFont);
}

// Texts from language files are shown as they are: no rich text in the status line, no shortcut
// mark in the menu, no placeholder in the title.
TEST_F(MainWindowTest, ShowsTextsOfLanguageFilesLiterally) {
    test::WriteFile(folder / "languages/odd.lng",
                    "[Language]\nThisLang=R&D\n[strBDL]\nAppTitle=Tarvek [*] Trailpack\n"
                    "ConnectInstrument=<img src=missing.png><b>Connect</b>\n");
    EXPECT_TRUE(SaveLanguageSetting(settings, u"odd.lng"));
    CWayloadDlg& w = Window();
    w.Initialise();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QString status = "<img src=missing.png><b>Connect</b>";
    EXPECT_EQ(w.statusLine().text(), status);
    // As plain text the label needs the width of every character; as rich text far less.
    EXPECT_GE(w.statusLine().sizeHint().width(),
              QFontMetrics(w.statusLine().font()).horizontalAdvance(status));
    EXPECT_EQ(w.windowHandle()->title(), "Tarvek [*] Trailpack v1.8.1");
    QAction* odd = w.menuBar()->actions().at(0)->menu()->actions().at(2);
    EXPECT_EQ(odd->text(), "R&&D");
    EXPECT_TRUE(QKeySequence::mnemonic(odd->text()).isEmpty());
}

// A converter that cannot be opened is told once, in a message that leaves the window polling.
TEST_F(MainWindowTest, TellsAConverterThatCannotBeOpenedOnceWithoutStoppingThePolling) {
    serial.refusal = ConverterRefusal{"/dev/ttyUSB0", EACCES};
    CWayloadDlg& w = ShownWindow();
    const auto boxes = [&] { return w.findChildren<QMessageBox*>(); };
    QTRY_COMPARE_WITH_TIMEOUT(boxes().size(), 1, 2000);
    QMessageBox* box = boxes().at(0);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_TRUE(
        box->text().startsWith("The converter /dev/ttyUSB0 is connected but cannot be "
                               "opened: Permission denied."));
    // Later ticks run and tell it no more.
    const int probes = serial.calls;
    QTRY_VERIFY_WITH_TIMEOUT(serial.calls >= probes + 2, 2000);
    EXPECT_EQ(boxes().size(), 1);
}

TEST_F(MainWindowTest, PollsAndShowsTheAnalyzerFoundWithItsPictures) {
    CWayloadDlg& w = ShownWindow();
    EXPECT_EQ(w.pcToInstrumentButton().picture(PictureSlot::kEnabled), Resource(146));
    EXPECT_EQ(w.instrumentToPcButton().picture(PictureSlot::kDisabled), Resource(147));

    Plug("TKB_0417");
    // The real 500 ms timer drives the tick.
    QTRY_COMPARE_WITH_TIMEOUT(w.statusLine().text(), QString("Found instrument TKBMax "), 2000);
    EXPECT_TRUE(w.pcToInstrumentButton().isEnabled());
    EXPECT_TRUE(w.instrumentToPcButton().isEnabled());
    EXPECT_EQ(w.pcToInstrumentButton().picture(PictureSlot::kEnabled), Resource(149));
    EXPECT_EQ(w.instrumentToPcButton().picture(PictureSlot::kEnabled), Resource(152));
    EXPECT_EQ(w.pcToInstrumentButton().picture(PictureSlot::kDisabled), Resource(146));
    EXPECT_TRUE(test::SaveGrab(w, "main_window_tkb_found"));

    QTest::mouseClick(&w.instrumentToPcButton(), Qt::LeftButton);
    QTest::mouseClick(&w.pcToInstrumentButton(), Qt::LeftButton);
    EXPECT_EQ(transfers.downloads, 1);
    EXPECT_EQ(transfers.uploads, 1);

    drives.drives = {{"/", ""}};
    QTRY_VERIFY_WITH_TIMEOUT(!w.pcToInstrumentButton().isEnabled(), 2000);
    EXPECT_EQ(w.statusLine().text(), "Connect instrument...");
    EXPECT_EQ(w.pcToInstrumentButton().picture(PictureSlot::kEnabled), Resource(149));
    QTest::mouseClick(&w.instrumentToPcButton(), Qt::LeftButton);
    EXPECT_EQ(transfers.downloads, 1);
}

TEST_F(MainWindowTest, ChoosingALanguageFromTheMenuRelabelsTheWindowAtOnce) {
    CWayloadDlg& w = ShownWindow();
    QMenu* languages = w.menuBar()->actions().at(0)->menu();
    languages->actions().at(0)->trigger();
    EXPECT_EQ(w.menuBar()->actions().at(0)->text(), "Sprache");
    EXPECT_EQ(w.statusLine().text(), QString::fromUtf8("Instrument anschlie\xc3\x9f"
                                                       "en..."));
    EXPECT_EQ(GetLanguageFileName(settings), u"deu.lng");
    EXPECT_EQ(languages->actions().size(), 2);
}

TEST_F(MainWindowTest, EscapeEnterAndTheCloseBoxEndTheWindow) {
    for (const int key : {int(Qt::Key_Escape), int(Qt::Key_Return), 0}) {
        CWayloadDlg& w = ShownWindow();
        QTimer::singleShot(0, &w, [&] {
            if (key == 0) {
                w.close();
            } else {
                QTest::keyClick(&w, Qt::Key(key));
            }
        });
        // A window that stays open fails the test through the guard instead of hanging it.
        QTimer guard;
        guard.setSingleShot(true);
        bool endedByGuard = false;
        QObject::connect(&guard, &QTimer::timeout, &w, [&] {
            endedByGuard = true;
            w.done(7);
        });
        guard.start(3000);
        w.exec();
        EXPECT_FALSE(endedByGuard) << key;
        EXPECT_EQ(w.menuBar(), nullptr) << "the menu bar is deleted when the window ends";
    }
}

}  // namespace
}  // namespace wl

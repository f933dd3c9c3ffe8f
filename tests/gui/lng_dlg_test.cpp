// The language dialog of the first start, with real language files and a real settings file.

#include "gui/lng_dlg.h"

#include "gui/dialog_units.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/qt_text.h"
#include "locale/settings_file.h"
#include "tests/gui/grab_folder.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

// What exec() returns when the dialog was still open after the test's input.
constexpr int kStillOpen = 2;

class LngDlgTest : public ::testing::Test {
  protected:
    LngDlgTest() {
        // Listed sorted by name: Deutsch, English, fin.
        test::WriteFile(languages_ / "eng.lng", "[Language]\nThisLang=English\n");
        test::WriteFile(languages_ / "deu.lng", "[Language]\nThisLang=Deutsch\n");
        test::WriteFile(languages_ / "fin.lng", "[strBDL]\nError=Virhe\n");
    }

    static QTableWidget& ListOf(LngDlg& dialog) { return *dialog.findChild<QTableWidget*>(); }
    static QPushButton& OkOf(LngDlg& dialog) { return *dialog.findChild<QPushButton*>(); }

    static void ClickRow(LngDlg& dialog, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTableWidget& list = ListOf(dialog);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                          list.visualItemRect(list.item(row, 0)).center());
    }

    // Runs the dialog modally; `input` comes once it is open, and a dialog still open after it is
    // ended with kStillOpen so that a fault fails the test instead of hanging it.
    static int ExecWith(LngDlg& dialog, const std::function<void()>& input) {
        QTimer::singleShot(0, &dialog, [&] {
            input();
            if (dialog.isVisible()) {
                dialog.done(kStillOpen);
            }
        });
        return dialog.exec();
    }

    std::u16string StoredChoice() const { return GetLanguageFileName(settings_); }

    test::TempFolder folder_;
    std::filesystem::path languages_ = folder_ / "languages";
    std::filesystem::path settings_ = folder_ / "config" / "wayload.ini";
};

TEST_F(LngDlgTest, ShowsEachLanguageFileInARow) {
    LngDlg dialog(languages_, settings_);
    QTableWidget& list = ListOf(dialog);
    ASSERT_EQ(list.rowCount(), 3);
    ASSERT_EQ(list.columnCount(), 2);
    const std::pair<const char*, const char*> rows[] = {
        {"Deutsch", "deu.lng"}, {"English", "eng.lng"}, {"fin", "fin.lng"}};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.item(row, 0)->text(), rows[row].first);
        EXPECT_EQ(list.item(row, 1)->text(), rows[row].second);
    }
    EXPECT_EQ(list.horizontalHeaderItem(0)->text(), "Lng");
    EXPECT_EQ(list.horizontalHeaderItem(1)->text(), "File");
    EXPECT_EQ(dialog.windowTitle(), "Language");
    EXPECT_EQ(OkOf(dialog).text(), "OK");

    dialog.show();
    ClickRow(dialog, 1);
    EXPECT_TRUE(test::SaveGrab(dialog, "language_dialog"));
}

TEST_F(LngDlgTest, IsLaidOutInDialogUnits) {
    LngDlg dialog(languages_, settings_);
    QTableWidget& list = ListOf(dialog);
    const DialogUnits units(dialog.font());
    EXPECT_EQ(dialog.size(), units.Rect(0, 0, 135, 113).size());
    EXPECT_EQ(list.geometry(), units.Rect(7, 7, 120, 75));
    EXPECT_EQ(list.columnWidth(0), list.width() / 2);
    EXPECT_EQ(list.columnWidth(1), list.width() / 2 - 4);
    EXPECT_EQ(OkOf(dialog).geometry(), units.Rect(42, 88, 50, 14));
    EXPECT_TRUE(list.horizontalHeader()->isHidden());
    EXPECT_TRUE(list.verticalHeader()->isHidden());
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(list.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(list.showGrid());
}

TEST_F(LngDlgTest, HasACaptionButNoCloseBox) {
    LngDlg dialog(languages_, settings_);
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(dialog.isModal());
}

TEST_F(LngDlgTest, OkIsEnabledWhileARowIsSelected) {
    LngDlg dialog(languages_, settings_);
    dialog.show();
    QPushButton& ok = OkOf(dialog);
    EXPECT_FALSE(ok.isEnabled());
    EXPECT_FALSE(ListOf(dialog).selectionModel()->hasSelection());

    ClickRow(dialog, 2);
    EXPECT_TRUE(ok.isEnabled());
    ClickRow(dialog, 2, Qt::ControlModifier);
    EXPECT_FALSE(ok.isEnabled());

    // Even if it were pressed without a row, nothing would be chosen.
    ok.click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(std::filesystem::exists(settings_));
}

TEST_F(LngDlgTest, ADoubleClickChoosesTheRow) {
    LngDlg dialog(languages_, settings_);
    const int result = ExecWith(dialog, [&] {
        // As from a real mouse: the first click of the pair comes as a click.
        QTableWidget& list = ListOf(dialog);
        const QPoint cell = list.visualItemRect(list.item(1, 1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(StoredChoice(), u"eng.lng");
}

TEST_F(LngDlgTest, OkChoosesTheTopmostSelectedRow) {
    LngDlg dialog(languages_, settings_);
    // Selected last-first, so neither the current row nor the first selected is the topmost.
    const int result = ExecWith(dialog, [&] {
        ClickRow(dialog, 2);
        ClickRow(dialog, 0, Qt::ControlModifier);
        ClickRow(dialog, 1, Qt::ControlModifier);
        ASSERT_EQ(ListOf(dialog).currentRow(), 1);
        QTest::mouseClick(&OkOf(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(StoredChoice(), u"deu.lng");
}

TEST_F(LngDlgTest, EndsOnlyWithAChoice) {
    LngDlg dialog(languages_, settings_);
    int finished = 0;
    QObject::connect(&dialog, &QDialog::finished, [&](int result) {
        if (result != kStillOpen) {
            ++finished;
        }
    });
    const int result = ExecWith(dialog, [&] {
        ClickRow(dialog, 0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.close());
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(result, kStillOpen);
    EXPECT_EQ(finished, 0);
    EXPECT_FALSE(std::filesystem::exists(settings_));
}

TEST_F(LngDlgTest, WithoutLanguageFilesEndsAtOnce) {
    test::TempFolder empty;
    test::WriteFile(empty / "readme.txt", "");
    {
        LngDlg dialog(empty.path(), settings_);
        EXPECT_EQ(ExecWith(dialog, [] {}), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        // Opened without exec(), it would have no way to be closed; it closes itself.
        LngDlg dialog(empty.path(), settings_);
        int finishedWith = -1;
        QObject::connect(&dialog, &QDialog::finished, [&](int result) { finishedWith = result; });
        dialog.open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
        EXPECT_EQ(finishedWith, QDialog::Rejected);
    }
    EXPECT_FALSE(std::filesystem::exists(settings_));
}

}  // namespace
}  // namespace wl

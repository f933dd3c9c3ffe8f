// Qt's own texts (message box buttons, file dialogs) in the language chosen, from Qt's installed
// translations, directly and through the main window's language.

#include "gui/qt_translation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "gui/main_window.h"
#include "locale/language.h"
#include "locale/settings_file.h"
#include "tests/app/fake_mounts.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

// The texts as Qt shows them, without the '&' of their mnemonics.
struct QtTexts {
    QString yes;
    QString no;
    QString save;
    QString open;
};

QString WithoutMnemonic(QString text) {
    return text.remove(QLatin1Char('&'));
}

QString AcceptButtonText(QFileDialog::AcceptMode mode) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (buttons == nullptr) {
        return {};
    }
    QPushButton* accept = buttons->button(mode == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                          : QDialogButtonBox::Open);
    return accept ? WithoutMnemonic(accept->text()) : QString();
}

QtTexts ShownTexts() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Title"), QStringLiteral("Question?"),
                    QMessageBox::Yes | QMessageBox::No);
    return {WithoutMnemonic(box.button(QMessageBox::Yes)->text()),
            WithoutMnemonic(box.button(QMessageBox::No)->text()),
            AcceptButtonText(QFileDialog::AcceptSave), AcceptButtonText(QFileDialog::AcceptOpen)};
}

class QtTranslationTest : public testing::Test {
  protected:
    QtTranslationTest() {
        const QString german =
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
        if (!QFile::exists(german)) {
            missing_ = german;
        }
    }
    // Qt's language and the program's texts are the process's one set: back to the built-in.
    ~QtTranslationTest() override {
        ApplyQtLanguage(QStringLiteral("en"));
        LoadLanguage(folder / "none.lng");
    }

    void SetUp() override {
        if (!missing_.isEmpty()) {
            GTEST_SKIP() << "Qt's German translation is not installed (" << missing_.toStdString()
                         << ", package qt6-translations-l10n)";
        }
    }

    test::TempFolder folder;

  private:
    QString missing_;
};

TEST_F(QtTranslationTest, EachLanguageReplacesTheOneBefore) {
    struct Step {
        const char* locale;
        bool translated;  // Qt has a translation for it
        QString localeName;
        QtTexts texts;
    };
    const QtTexts english{"Yes", "No", "Save", "Open"};
    const QtTexts german{"Ja", "Nein", "Speichern", QStringLiteral("\u00d6ffnen")};
    const Step steps[] = {
        {"de", true, "de_DE", german},
        // Qt's texts are English already: its English translation is empty and is not taken.
        {"en", false, "en_US", english},
        {"de_AT", true, "de_AT", german},
        // Icelandic has no translation of Qt's: its texts are the built-in English ones.
        {"is", false, "is_IS", english},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(ApplyQtLanguage(QString::fromLatin1(step.locale)), step.translated)
            << step.locale;
        EXPECT_EQ(QLocale().name(), step.localeName) << step.locale;
        const QtTexts shown = ShownTexts();
        EXPECT_EQ(shown.yes, step.texts.yes) << step.locale;
        EXPECT_EQ(shown.no, step.texts.no) << step.locale;
        EXPECT_EQ(shown.save, step.texts.save) << step.locale;
        EXPECT_EQ(shown.open, step.texts.open) << step.locale;
    }
}

class NoTransfers : public ITransferHooks {
  public:
    void UploadToAnalyzer(const DetectedInstrument&) override {}
    void DownloadFromAnalyzer(const DetectedInstrument&) override {}
    void UploadToSerialInstrument() override {}
    void DownloadFromSerialInstrument() override {}
};

TEST_F(QtTranslationTest, TheWindowsLanguageTakesQtAlong) {
    const std::filesystem::path shipped = WAYLOAD_LANGUAGE_SOURCE_FOLDER;
    for (const char* file : {"eng.lng", "deu.lng"}) {
        std::filesystem::create_directories(folder / "languages");
        std::filesystem::copy_file(shipped / file, folder / "languages" / file);
    }
    ASSERT_TRUE(SaveLanguageSetting(folder / "wayload.ini", u"deu.lng"));
    test::FakeSerialProbe serial;
    test::FakeDriveLister drives;
    NoTransfers transfers;
    CWayloadDlg window(serial, drives, transfers,
                       LanguageSetup{folder / "languages", folder / "wayload.ini", std::nullopt});
    window.Initialise();
    EXPECT_EQ(ShownTexts().yes, "Ja");
    EXPECT_EQ(ShownTexts().save, "Speichern");

    ASSERT_NE(window.menuBar(), nullptr);
    QMenu* languages = window.menuBar()->actions().at(0)->menu();
    ASSERT_NE(languages, nullptr);
    for (QAction* action : languages->actions()) {
        if (action->text() == "English") {
            action->trigger();
        }
    }
    EXPECT_EQ(ShownTexts().yes, "Yes");
    EXPECT_EQ(QLocale().name(), "en_US");
}

}  // namespace
}  // namespace wl

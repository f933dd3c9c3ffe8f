// Loading a language: both sections of texts from one file, and the file's locale.

#include "locale/language.h"

#include <gtest/gtest.h>

#include <string>

#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

class LanguageTest : public testing::Test {
  protected:
    // The texts are the program's one set: leave them as the next test expects them.
    ~LanguageTest() override { LoadLanguage(folder_ / "none.lng"); }

    std::filesystem::path File(const std::string& content) {
        const std::filesystem::path file = folder_ / "test.lng";
        test::WriteFile(file, content);
        return file;
    }

    test::TempFolder folder_;
};

TEST_F(LanguageTest, FillsBothSectionsAndGivesTheLocale) {
    const std::u16string locale =
        LoadLanguage(File("[Language]\nThisLang=Deutsch\nLocale=de\n[strBDL]\nError=Fehler\n"
                          "[Wayload]\nNoTempFolder=Kein Ordner.\n"));
    EXPECT_EQ(locale, u"de");
    EXPECT_EQ(StringTable().Error, u"Fehler");
    EXPECT_EQ(ProgramTextTable().NoTempFolder, u"Kein Ordner.");
}

TEST_F(LanguageTest, TheNextLanguageLeavesNothingOfTheLastOne) {
    LoadLanguage(
        File("[Language]\nLocale=de\n[strBDL]\nError=Fehler\n"
             "[Wayload]\nNoTempFolder=Kein Ordner.\n"));
    EXPECT_EQ(LoadLanguage(File("[Language]\nThisLang=Other\n[strBDL]\nAll=Tout\n")), u"en");
    EXPECT_EQ(StringTable().Error, u"Error");
    EXPECT_EQ(StringTable().All, u"Tout");
    EXPECT_EQ(ProgramTextTable().NoTempFolder, u"There is no temporary folder to use.");

    EXPECT_EQ(LoadLanguage(folder_ / "absent.lng"), u"en");
    EXPECT_EQ(StringTable().All, u"All");
}

TEST_F(LanguageTest, ReadsTheLocaleKeyOrGivesTheBuiltInOne) {
    struct Case {
        const char* content;
        std::u16string locale;
    };
    for (const Case& c : {
             Case{"[Language]\nLocale=de\n", u"de"},
             Case{"[language]\nlocale=  de_AT  \n", u"de_AT"},
             Case{"[Language]\nLocale=pt_BR\n", u"pt_BR"},
             Case{"[Language]\nLocale=sr-Latn-RS\n", u"sr-Latn-RS"},
             Case{"[Language]\nLocale=\"fr\"\n", u"fr"},
             Case{"[Language]\nThisLang=Deutsch\n", u"en"},
             Case{"[Language]\nLocale=\n", u"en"},
             Case{"[Language]\nLocale=Deutsch\n", u"en"},
             Case{"[Language]\nLocale=d\n", u"en"},
             Case{"[Language]\nLocale=de_\n", u"en"},
             Case{"[Language]\nLocale=de DE\n", u"en"},
             Case{"[Language]\nLocale=../de\n", u"en"},
             Case{"[strBDL]\nLocale=de\n", u"en"},
         }) {
        EXPECT_EQ(LanguageLocale(File(c.content)), c.locale) << c.content;
    }
    EXPECT_EQ(LanguageLocale(folder_ / "absent.lng"), u"en");
}

}  // namespace
}  // namespace wl

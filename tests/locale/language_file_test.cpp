// Loading language files into the string table.

#include <gtest/gtest.h>

#include <string>

#include "locale/string_table.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

class LanguageFileTest : public ::testing::Test {
  protected:
    // Loads a file whose section strBDL holds `lines`.
    void Load(const std::string& lines) {
        test::WriteFile(file_, "[Language]\nThisLang=Test\n[strBDL]\n" + lines);
        table_.LoadFromFile(file_);
    }

    void ExpectDefaults() const {
        for (const auto& binding : table_.bindings()) {
            EXPECT_EQ(*binding.member, binding.defaultText);
        }
    }

    test::TempFolder folder_;
    std::filesystem::path file_ = folder_ / "test.lng";
    strBDL table_;
};

struct ValueCase {
    const char* name;
    std::string line;
    std::u16string strBDL::*member;
    std::u16string expected;
};

class LanguageValueTest : public LanguageFileTest,
                          public ::testing::WithParamInterface<ValueCase> {};

TEST_P(LanguageValueTest, BecomesTheText) {
    Load(GetParam().line + "\n");
    EXPECT_EQ(table_.*GetParam().member, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageValueTest,
    ::testing::Values(
        ValueCase{"Plain", "AppTitle=Wegweiser", &strBDL::AppTitle, u"Wegweiser"},
        ValueCase{"KeyInOtherCase", "apptitle=X", &strBDL::AppTitle, u"X"},
        ValueCase{"EmptyValueKeepsDefault", "Error=", &strBDL::Error, u"Error"},
        ValueCase{"HashesAloneMakeEmpty", "Error=##", &strBDL::Error, u""},
        ValueCase{"HashesKeepBlanks", "Error=##  Fehler", &strBDL::Error, u"  Fehler"},
        ValueCase{"OnlyLeadingHashesRemoved", "Error=###x##", &strBDL::Error, u"#x##"},
        ValueCase{"HashesInsideKept", "Error=a##b", &strBDL::Error, u"a##b"},
        ValueCase{"CrLfMarkers", "RoutesUploaded=Uploaded:<CR><LF>", &strBDL::RoutesUploaded,
                  u"Uploaded:\r\n"},
        ValueCase{"MarkersAnywhere", "PellixEraseMsg=<LF>a<CR>b<CR><LF>", &strBDL::PellixEraseMsg,
                  u"\na\rb\r\n"},
        ValueCase{"MarkersAreCaseSensitive", "Error=<cr><Lf>", &strBDL::Error, u"<cr><Lf>"},
        ValueCase{"QuotedWithBlanks", "Error=\"  Fehler  \"", &strBDL::Error, u"  Fehler  "},
        ValueCase{"OneConversionTaken", "RoutesSavedFmt=Gespeichert: %s", &strBDL::RoutesSavedFmt,
                  u"Gespeichert: %s"},
        ValueCase{"NoConversionRefused", "RoutesSavedFmt=Gespeichert", &strBDL::RoutesSavedFmt,
                  u"Routes saved into '%s'"},
        ValueCase{"TwoConversionsRefused", "RoutesSavedFmt=%s %s", &strBDL::RoutesSavedFmt,
                  u"Routes saved into '%s'"},
        ValueCase{"PercentSignRefused", "PellixNotRunning=100%", &strBDL::PellixNotRunning,
                  u"Instrument is not running."},
        ValueCase{"NumberForTextRefused", "RoutesSavedFmt=%d", &strBDL::RoutesSavedFmt,
                  u"Routes saved into '%s'"},
        ValueCase{"PrintfOnlyConversionRefused", "RoutesSavedFmt=%n", &strBDL::RoutesSavedFmt,
                  u"Routes saved into '%s'"},
        ValueCase{"WidthRefused", "InstrumentConnedtedFmt=%5s", &strBDL::InstrumentConnedtedFmt,
                  u"Found instrument %s "},
        ValueCase{"UnknownKeyIgnored", "NoSuchKey=x", &strBDL::AppTitle, u"Tarvek Trailpack"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanguageFileTest, ValuesAreCutBefore511CharactersAreDecoded) {
    // 511 characters are read; "<CR>" markers then shrink the text.
    Load("PellixNotRunning=" + std::string(600, 'y') + "\nError=" + std::string(505, 'a') +
         "<CR><LF>tail\n");
    EXPECT_EQ(table_.PellixNotRunning, std::u16string(511, u'y'));
    EXPECT_EQ(table_.Error, std::u16string(505, u'a') + u"\r<L");
}

TEST_F(LanguageFileTest, ReloadingStartsFromTheDefaults) {
    Load("Error=Fehler\nAppTitle=Titel\n");
    ASSERT_EQ(table_.Error, u"Fehler");
    Load("AppTitle=Otsikko\n");
    EXPECT_EQ(table_.Error, u"Error");
    EXPECT_EQ(table_.AppTitle, u"Otsikko");

    table_.LoadFromFile(folder_ / "absent.lng");
    ExpectDefaults();
}

TEST_F(LanguageFileTest, AFileWithoutTheSectionLeavesTheDefaults) {
    Load("Error=Fehler\n");
    test::WriteFile(file_, "[Language]\nThisLang=Test\n[other]\nError=x\n");
    table_.LoadFromFile(file_);
    ExpectDefaults();
}

TEST_F(LanguageFileTest, GarbageNeverCrashes) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        const std::string garbage = test::RandomBytes(3000 + seed * 97, seed);
        for (const std::string& content :
             {garbage, "\xFF\xFE" + garbage, "\xEF\xBB\xBF" + garbage, "[strBDL]\nError=" + garbage,
              "[strBDL]\n" + std::string(5000, '%'), std::string(4096, '\0')}) {
            test::WriteFile(file_, content);
            table_.LoadFromFile(file_);
            for (const auto& binding : table_.bindings()) {
                EXPECT_LE(binding.member->size(), 511u);
            }
        }
    }
}

TEST_F(LanguageFileTest, AFolderInsteadOfAFileLeavesTheDefaults) {
    Load("Error=Fehler\n");
    std::filesystem::create_directory(folder_ / "folder.lng");
    table_.LoadFromFile(folder_ / "folder.lng");
    ExpectDefaults();
}

}  // namespace
}  // namespace wl

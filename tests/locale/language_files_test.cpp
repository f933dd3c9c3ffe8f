// The language files shipped with the program: complete, accepted by the loader, and UTF-8.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/utf16.h"
#include "locale/language.h"
#include "locale/profile.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

const std::filesystem::path kFolder = WAYLOAD_LANGUAGE_SOURCE_FOLDER;
const std::filesystem::path kEnglish = kFolder / "eng.lng";
const std::filesystem::path kGerman = kFolder / "deu.lng";

// The loader does not tell when it refuses a value, it falls back to the default. A section with
// the same keys whose defaults differ from the section's only by a character that no file holds
// makes that visible: a key that comes back with its probe default was missing or refused. The
// extra character is no '%', so the probe accepts exactly what the section accepts.
template <typename Section>
class ProbeSection : public CStrSection {
  public:
    static constexpr char16_t kMark = u'\x01';

    ProbeSection() : CStrSection(Section().sectionName()), texts_(table_.bindings().size()) {
        for (size_t i = 0; i < texts_.size(); ++i) {
            const auto& binding = table_.bindings()[i];
            AddString(binding.key, texts_[i], binding.defaultText + kMark);
        }
    }

    // The keys the file left to the default.
    std::vector<std::u16string> KeysNotTaken() const {
        std::vector<std::u16string> keys;
        for (const auto& binding : bindings()) {
            if (*binding.member == binding.defaultText) {
                keys.push_back(binding.key);
            }
        }
        return keys;
    }

  private:
    Section table_;
    std::vector<std::u16string> texts_;  // sized once, so the bindings' pointers stay valid
};

template <typename Section>
std::vector<std::u16string> KeysNotTakenFrom(const std::filesystem::path& file) {
    ProbeSection<Section> probe;
    probe.LoadFromFile(file);
    return probe.KeysNotTaken();
}

// The keys whose text the file leaves as the built-in one, whether it holds the key or not.
template <typename Section>
std::vector<std::u16string> KeysAtTheirDefaultAfter(const std::filesystem::path& file) {
    Section section;
    section.LoadFromFile(file);
    std::vector<std::u16string> keys;
    for (const auto& binding : section.bindings()) {
        if (*binding.member == binding.defaultText) {
            keys.push_back(binding.key);
        }
    }
    return keys;
}

template <typename Section>
std::vector<std::u16string> AllKeys() {
    const Section section;
    std::vector<std::u16string> keys;
    for (const auto& binding : section.bindings()) {
        keys.push_back(binding.key);
    }
    return keys;
}

TEST(LanguageFilesTest, EveryKeyOfBothFilesIsTaken) {
    for (const std::filesystem::path& file : {kEnglish, kGerman}) {
        EXPECT_EQ(KeysNotTakenFrom<strBDL>(file), std::vector<std::u16string>{}) << file;
        EXPECT_EQ(KeysNotTakenFrom<ProgramTexts>(file), std::vector<std::u16string>{}) << file;
    }
}

TEST(LanguageFilesTest, EnglishGivesBackEveryDefaultExactly) {
    EXPECT_EQ(KeysAtTheirDefaultAfter<strBDL>(kEnglish), AllKeys<strBDL>());
    EXPECT_EQ(KeysAtTheirDefaultAfter<ProgramTexts>(kEnglish), AllKeys<ProgramTexts>());
}

TEST(LanguageFilesTest, GermanChangesEveryTextButNames) {
    // Product and model names, and words that are the same in German.
    EXPECT_EQ(KeysAtTheirDefaultAfter<strBDL>(kGerman),
              (std::vector<std::u16string>{u"AppTitle", u"BtnOK", u"InstrTKC", u"InstrTKB",
                                           u"InstrTKA", u"InstrPellix", u"Route"}));
    EXPECT_EQ(KeysAtTheirDefaultAfter<ProgramTexts>(kGerman), std::vector<std::u16string>{});
}

TEST(LanguageFilesTest, GermanTextsAreWrittenAsMeant) {
    strBDL table;
    table.LoadFromFile(kGerman);
    struct Case {
        std::u16string strBDL::*member;
        std::u16string_view text;
    };
    for (const Case& c : {
             Case{&strBDL::ConnectInstrument, u"Instrument anschlie\u00dfen..."},
             Case{&strBDL::InstrumentConnedtedFmt, u"Instrument %s gefunden "},
             Case{&strBDL::OverwritePromptFmt,
                  u"Folgende Route '%s' im Instrument \u00fcberschreiben?"},
             Case{&strBDL::ErrCreateTempDirectory,
                  u"Tempor\u00e4res Verzeichnis kann nicht erstellt werden"},
             Case{&strBDL::RoutesUploaded,
                  u"Folgende Routen wurden in das Instrument \u00fcbertragen:\r\n"},
             Case{&strBDL::PellixEraseMsg,
                  u"Der Speicher des Instruments wird gel\u00f6scht!\r\nFortfahren?"},
             Case{&strBDL::PellixErrSavingRoute,
                  u"Beim \u00dcbertragen der Route in das Instrument ist ein Fehler aufgetreten"},
             Case{&strBDL::TitleSelectRouteDlg, u"Routen ausw\u00e4hlen"},
             Case{&strBDL::Error, u"Fehler"},
             Case{&strBDL::All, u"Alle"},
             Case{&strBDL::BtnCANCEL, u"Abbrechen"},
         }) {
        EXPECT_EQ(table.*c.member, c.text) << Utf16ToUtf8(c.text);
    }
}

TEST(LanguageFilesTest, GermanProgramTextsAreWrittenAsMeant) {
    ProgramTexts texts;
    texts.LoadFromFile(kGerman);
    struct Case {
        std::u16string ProgramTexts::*member;
        std::u16string_view text;
    };
    for (const Case& c : {
             Case{&ProgramTexts::NoAnalyzerConnected, u"Es ist kein Analysator angeschlossen."},
             Case{&ProgramTexts::NoMemoryToFinishTransfer,
                  u"Nicht genug Speicher, um die \u00dcbertragung abzuschlie\u00dfen."},
             Case{&ProgramTexts::ErrWriteFolderToDeviceFmt,
                  u"Ordner %s kann nicht auf das Ger\u00e4t geschrieben werden"},
             Case{&ProgramTexts::ErrListFolderFmt, u"Ordner %s kann nicht aufgelistet werden - %s"},
             Case{&ProgramTexts::NoTempFolder,
                  u"Es steht kein tempor\u00e4rer Ordner zur Verf\u00fcgung."},
             Case{&ProgramTexts::WorkFolderBlocked,
                  u"An seiner Stelle steht etwas, das sich nicht entfernen l\u00e4sst."},
         }) {
        EXPECT_EQ(texts.*c.member, c.text) << Utf16ToUtf8(c.text);
    }
}

TEST(LanguageFilesTest, EachNamesItsLanguageAndLocale) {
    EXPECT_EQ(GetProfileString(kEnglish, u"Language", u"ThisLang", u""), u"English");
    EXPECT_EQ(GetProfileString(kGerman, u"Language", u"ThisLang", u""), u"Deutsch");
    EXPECT_EQ(LanguageLocale(kEnglish), u"en");
    EXPECT_EQ(LanguageLocale(kGerman), u"de");
}

TEST(LanguageFilesTest, AreUtf8) {
    for (const auto& file : {kEnglish, kGerman}) {
        const std::string bytes = test::ReadFile(file);
        EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF")) << file;
        EXPECT_TRUE(Utf8ToUtf16Exact(bytes).has_value()) << file;
    }
}

}  // namespace
}  // namespace wl

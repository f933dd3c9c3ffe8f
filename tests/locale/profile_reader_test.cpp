// Reading profile files: names without regard to letter case, trimmed and unquoted values, the
// length limit, the accepted encodings and missing files.

#include <gtest/gtest.h>

#include <string>

#include "common/utf16.h"
#include "locale/profile.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

std::string Utf16LeWithBom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

class ProfileReaderTest : public ::testing::Test {
  protected:
    std::u16string Read(const std::string& content, std::u16string_view section,
                        std::u16string_view key) {
        test::WriteFile(file_, content);
        return GetProfileString(file_, section, key, u"default");
    }

    test::TempFolder folder_;
    std::filesystem::path file_ = folder_ / "test.ini";
};

struct LookupCase {
    const char* name;
    std::string content;
    std::u16string section;
    std::u16string key;
    std::u16string expected;
};

class ProfileLookupTest : public ProfileReaderTest,
                          public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ProfileLookupTest, FindsTheValue) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(Read(c.content, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookupTest,
    ::testing::Values(
        LookupCase{"ExactNames", "[Settings]\nLanguage=deu.lng\n", u"Settings", u"Language",
                   u"deu.lng"},
        LookupCase{"KeyInOtherCase", "[Settings]\nlanguage=deu.lng\n", u"Settings", u"LANGUAGE",
                   u"deu.lng"},
        LookupCase{"SectionInOtherCase", "[SETTINGS]\nLanguage=deu.lng\n", u"settings", u"Language",
                   u"deu.lng"},
        LookupCase{"LatinLettersInOtherCase", "[Sprache]\n\xC3\x84nderung=ja\n", u"SPRACHE",
                   u"\u00E4NDERUNG", u"ja"},
        LookupCase{"BlanksAroundEverything", "  [ Settings ]  \n  Language  =  deu.lng  \n",
                   u"Settings", u"Language", u"deu.lng"},
        LookupCase{"CrLfLineEnds", "[Settings]\r\nLanguage=deu.lng\r\n", u"Settings", u"Language",
                   u"deu.lng"},
        LookupCase{"DoubleQuotesRemoved", "[s]\nk=\"  quoted  \"\n", u"s", u"k", u"  quoted  "},
        LookupCase{"SingleQuotesRemoved", "[s]\nk='quoted'\n", u"s", u"k", u"quoted"},
        LookupCase{"OnlyOnePairRemoved", "[s]\nk=\"\"twice\"\"\n", u"s", u"k", u"\"twice\""},
        LookupCase{"MismatchedQuotesKept", "[s]\nk=\"half'\n", u"s", u"k", u"\"half'"},
        LookupCase{"LoneQuoteKept", "[s]\nk=\"\n", u"s", u"k", u"\""},
        LookupCase{"TextAfterFirstEquals", "[s]\nk=a=b\n", u"s", u"k", u"a=b"},
        LookupCase{"EmptyValue", "[s]\nk=\n", u"s", u"k", u""},
        LookupCase{"FirstOfTwoKeys", "[s]\nk=first\nk=second\n", u"s", u"k", u"first"},
        LookupCase{"FirstOfTwoSections", "[s]\nk=first\n[S]\nk=second\n", u"s", u"k", u"first"},
        LookupCase{"KeyOfAnotherSection", "[a]\nk=a\n[b]\nj=b\n", u"b", u"k", u"default"},
        LookupCase{"KeyBeforeAnySection", "k=loose\n[s]\n", u"s", u"k", u"default"},
        LookupCase{"MissingSection", "[other]\nk=v\n", u"s", u"k", u"default"},
        LookupCase{"LastLineWithoutLineEnd", "[s]\nk=v", u"s", u"k", u"v"},
        LookupCase{"Utf8Text", "[s]\nk=Gr\xC3\xBC\xC3\x9F\x65\n", u"s", u"k", u"Gr\u00FC\u00DFe"},
        LookupCase{"Utf8WithBom", "\xEF\xBB\xBF[s]\nk=v\n", u"s", u"k", u"v"},
        LookupCase{"Utf16LeWithBom", Utf16LeWithBom(u"[s]\r\nk=\u043F\u0440\u0438\r\n"), u"s", u"k",
                   u"\u043F\u0440\u0438"},
        LookupCase{"Utf16LeWithOddLastByte", Utf16LeWithBom(u"[s]\nk=v") + "\x01", u"s", u"k",
                   u"v"},
        LookupCase{"EmptyFile", "", u"s", u"k", u"default"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ProfileReaderTest, MissingFileYieldsTheDefault) {
    EXPECT_EQ(GetProfileString(folder_ / "absent.ini", u"s", u"k", u"default"), u"default");
}

TEST_F(ProfileReaderTest, FolderYieldsTheDefault) {
    std::filesystem::create_directory(folder_ / "folder.ini");
    EXPECT_EQ(GetProfileString(folder_ / "folder.ini", u"s", u"k", u"default"), u"default");
}

TEST_F(ProfileReaderTest, ValuesAreCutTo511Characters) {
    for (size_t length : {510u, 511u, 512u, 2000u}) {
        const std::string value(length, 'x');
        EXPECT_EQ(Read("[s]\nk=" + value + "\n", u"s", u"k").size(), std::min<size_t>(length, 511))
            << length;
    }
    EXPECT_EQ(GetProfileString(folder_ / "absent.ini", u"s", u"k", std::u16string(600, u'd')),
              std::u16string(511, u'd'));
}

TEST_F(ProfileReaderTest, ReadProfileStringSaysWhetherAValueWasThere) {
    struct Case {
        std::string content;
        bool found;
        std::u16string text;
    };
    for (const Case& c :
         {Case{"[s]\nk=v\n", true, u"v"}, Case{"[s]\nk=\n", false, u"fallback"},
          Case{"[s]\nk=\"\"\n", false, u"fallback"}, Case{"[s]\n", false, u"fallback"}}) {
        test::WriteFile(file_, c.content);
        std::u16string text = u"earlier";
        EXPECT_EQ(ReadProfileString(file_, u"s", u"k", u"fallback", text), c.found) << c.content;
        EXPECT_EQ(text, c.text) << c.content;
    }
}

}  // namespace
}  // namespace wl

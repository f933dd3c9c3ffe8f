// The string table's keys, default texts and bindings.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/utf16.h"
#include "locale/string_table.h"

namespace wl {
namespace {

TEST(StringTableTest, HoldsEveryKeyWithItsDefaultInOrder) {
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"AppTitle", u"Tarvek Trailpack"},
        {u"BtnOK", u"OK"},
        {u"BtnCANCEL", u"Cancel"},
        {u"Language", u"Language"},
        {u"ConnectInstrument", u"Connect instrument..."},
        {u"InstrumentConnedtedFmt", u"Found instrument %s "},
        {u"InstrTKC", u"TKCMax"},
        {u"InstrTKB", u"TKBMax"},
        {u"InstrTKA", u"TKA"},
        {u"InstrPellix", u"Pellix S"},
        {u"ExportFile", u"Export File"},
        {u"ImportFile", u"Import File"},
        {u"OverwritePromptFmt", u"Overwrite following route '%s' in instrument?"},
        {u"Error", u"Error"},
        {u"ErrorCreateBDL", u"Can't create route file"},
        {u"ErrCreateTempDirectory", u"Can't create temp. directory"},
        {u"ErrGresaRoutePellixInstrument", u"Can't store Gresa route into Pellix instrument"},
        {u"ErrPellixRouteGresaInstrument", u"Can't store Pellix route into Gresa instrument"},
        {u"RoutesSavedFmt", u"Routes saved into '%s'"},
        {u"ErrSavingRoutesFmt", u"Error saving route(s) into %s"},
        {u"RoutesUploaded", u"Following routes were uploaded into instrument : \r\n"},
        {u"RoutesNotUploaded", u"Following routes were NOT uploaded into instrument : \r\n"},
        {u"PellixEraseMsg", u"Instrument memory will be erased !\r\nContinue?"},
        {u"PellixNotRunning", u"Instrument is not running."},
        {u"PellixRouteSaved", u"Route '%s' was uploaded into instrument"},
        {u"PellixErrSavingRoute", u"Error appeared while uploading route into instrument"},
        {u"PellixWrongFormat", u"Not a Pellix S rd file?)"},
        {u"PellixErrDownloadingData", u"Error appeared when downloading data from Pellix S"},
        {u"TitleSelectRouteDlg", u"Select Routes"},
        {u"All", u"All"},
        {u"Analyzer", u"Analyzer"},
        {u"Route", u"Route"},
        {u"NoRotuesWereSelected", u"No routes(s) were selected!!"},
    };
    const strBDL table;
    EXPECT_EQ(table.sectionName(), u"strBDL");
    ASSERT_EQ(table.bindings().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& binding = table.bindings()[i];
        EXPECT_EQ(binding.key, expected[i].first) << i;
        EXPECT_EQ(binding.defaultText, expected[i].second) << i;
        EXPECT_EQ(*binding.member, expected[i].second) << i;
    }
}

TEST(StringTableTest, EachKeyFillsTheMemberNamedAfterIt) {
    const strBDL table;
    const std::vector<std::pair<const char16_t*, const std::u16string*>> members = {
        {u"AppTitle", &table.AppTitle},
        {u"InstrumentConnedtedFmt", &table.InstrumentConnedtedFmt},
        {u"Error", &table.Error},
        {u"RoutesUploaded", &table.RoutesUploaded},
        {u"NoRotuesWereSelected", &table.NoRotuesWereSelected},
    };
    for (const auto& [key, member] : members) {
        EXPECT_EQ(table.Find(key), member) << Utf16ToUtf8(key);
    }
}

TEST(StringTableTest, FindsKeysWhateverTheirLetterCase) {
    const strBDL table;
    for (const char16_t* key : {u"AppTitle", u"apptitle", u"APPTITLE", u"aPPtITLE"}) {
        ASSERT_NE(table.Find(key), nullptr);
        EXPECT_EQ(*table.Find(key), u"Tarvek Trailpack");
    }
    EXPECT_EQ(table.Find(u"AppTitl"), nullptr);
    EXPECT_EQ(table.Find(u""), nullptr);
}

TEST(StringTableTest, CitesATextByKeyAndDefault) {
    strBDL table;
    table.Error = u"Fehler";
    EXPECT_EQ(table.Text(u"Error", u"Error"), u"Fehler");
    EXPECT_EQ(table.Text(u"NoSuchKey", u"fallback"), u"fallback");
}

TEST(StringTableTest, TheProgramHasOneTable) {
    EXPECT_EQ(&StringTable(), &StringTable());
    EXPECT_EQ(StringTable().bindings().size(), 33u);
}

class OneKeySection : public CStrSection {
  public:
    OneKeySection() : CStrSection(u"test") {
        AddString(u"Key", first, u"first default");
        AddString(u"Key", second, u"second default");
        AddString(u"key", third, u"third default");  // bound keys compare exactly
    }
    std::u16string first, second = u"untouched", third;
};

TEST(StringSectionTest, ASecondBindingOfAKeyIsIgnored) {
    const OneKeySection section;
    ASSERT_EQ(section.bindings().size(), 2u);
    EXPECT_EQ(section.first, u"first default");
    EXPECT_EQ(section.second, u"untouched");
    EXPECT_EQ(section.third, u"third default");
    EXPECT_EQ(section.bindings()[0].member, &section.first);
}

}  // namespace
}  // namespace wl

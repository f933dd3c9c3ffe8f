// The program's own texts: their keys and defaults, and how a language file fills them.

#include "locale/program_texts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace wl {
namespace {

TEST(ProgramTextsTest, HoldsEveryKeyWithItsDefaultInOrder) {
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"NoAnalyzerConnected", u"No analyzer is connected."},
        {u"NoMemoryToFinishTransfer", u"Not enough memory to finish the transfer."},
        {u"NoMemoryToUnpackRoute", u"Not enough memory to unpack this route."},
        {u"ExportInsidePackedFolderFmt",
         u"The export file cannot be written inside %s, a folder it packs"},
        {u"RouteFileInWorkFolderFmt",
         u"The route file cannot be read from %s, the folder it is unpacked into"},
        {u"RouteFileInRouteFolderFmt", u"the route file %s lies in this route's folder"},
        {u"OldRouteKeptFmt", u"The old route is kept in %s"},
        {u"ErrCreateFolderFmt", u"Can't create folder %s"},
        {u"ErrReplaceFolderFmt", u"Can't replace folder %s"},
        {u"ErrWriteFolderToDeviceFmt", u"Can't write folder %s to the device"},
        {u"ErrListFolderFmt", u"Can't list folder %s - %s"},
        {u"NoTempFolder", u"There is no temporary folder to use."},
        {u"WorkFolderBlocked", u"Something stands in its place that cannot be removed."},
        {u"ConverterRefusedFmt", u"The converter %s is connected but cannot be opened: %s."},
        {u"ConverterNotAllowed",
         u"Install the program's udev rule (60-wayload.rules), which lets the logged-in user use "
         u"it, or join the group \"dialout\" and log in again."},
        {u"ConverterBusy",
         u"Another program holds it: close that program. ModemManager and brltty are known to "
         u"take such converters."},
    };
    const ProgramTexts texts;
    EXPECT_EQ(texts.sectionName(), u"Wayload");
    ASSERT_EQ(texts.bindings().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& binding = texts.bindings()[i];
        EXPECT_EQ(binding.key, expected[i].first) << i;
        EXPECT_EQ(binding.defaultText, expected[i].second) << i;
        EXPECT_EQ(*binding.member, expected[i].second) << i;
        EXPECT_EQ(texts.Find(binding.key), binding.member) << i;
    }
    EXPECT_EQ(&ProgramTextTable(), &ProgramTextTable());
}

struct LoadCase {
    const char* name;
    std::string lines;  // the file after its "[Language]" section
    std::u16string ProgramTexts::*member;
    std::u16string expected;
};

// Named in test listings by its name, not by its bytes.
void PrintTo(const LoadCase& loadCase, std::ostream* out) {
    *out << loadCase.name;
}

class ProgramTextsLoadTest : public testing::TestWithParam<LoadCase> {
  protected:
    test::TempFolder folder_;
};

TEST_P(ProgramTextsLoadTest, TakesWhatTheFileHoldsWhereItFits) {
    const std::filesystem::path file = folder_ / "test.lng";
    test::WriteFile(file, "[Language]\nThisLang=Test\n" + GetParam().lines);
    ProgramTexts texts;
    texts.LoadFromFile(file);
    EXPECT_EQ(texts.*GetParam().member, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramTextsLoadTest,
    testing::Values(
        LoadCase{"GermanReplacesTheDefault",
                 "[Wayload]\nNoAnalyzerConnected=Es ist kein Analysator angeschlossen.\n",
                 &ProgramTexts::NoAnalyzerConnected, u"Es ist kein Analysator angeschlossen."},
        LoadCase{"KeyInOtherCase", "[wayload]\nnotempfolder=Kein Ordner.\n",
                 &ProgramTexts::NoTempFolder, u"Kein Ordner."},
        LoadCase{"MissingKeyKeepsTheDefault", "[Wayload]\nNoTempFolder=Kein Ordner.\n",
                 &ProgramTexts::NoAnalyzerConnected, u"No analyzer is connected."},
        LoadCase{"MissingSectionKeepsTheDefault", "", &ProgramTexts::NoAnalyzerConnected,
                 u"No analyzer is connected."},
        LoadCase{"TheStringTablesSectionIsNotRead",
                 "[strBDL]\nNoAnalyzerConnected=Kein Analysator.\n",
                 &ProgramTexts::NoAnalyzerConnected, u"No analyzer is connected."},
        LoadCase{"SameConversionsTaken", "[Wayload]\nErrListFolderFmt=%s: %s\n",
                 &ProgramTexts::ErrListFolderFmt, u"%s: %s"},
        LoadCase{"ConversionLeftOutRefused",
                 "[Wayload]\nErrListFolderFmt=Ordner %s kann nicht aufgelistet werden\n",
                 &ProgramTexts::ErrListFolderFmt, u"Can't list folder %s - %s"},
        LoadCase{"NumberForTextRefused", "[Wayload]\nOldRouteKeptFmt=Alte Route in %d\n",
                 &ProgramTexts::OldRouteKeptFmt, u"The old route is kept in %s"},
        LoadCase{"PercentSignRefused", "[Wayload]\nNoTempFolder=100% voll\n",
                 &ProgramTexts::NoTempFolder, u"There is no temporary folder to use."}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace wl

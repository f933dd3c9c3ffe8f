// Listing the language files of a folder for the first-start dialog and the menu.

#include "locale/language_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace wl {
namespace {

using Shown = std::vector<std::pair<std::u16string, std::u16string>>;  // display name, file name

Shown ShownOf(const std::vector<LanguageEntry>& entries, const std::filesystem::path& folder) {
    Shown shown;
    for (const LanguageEntry& entry : entries) {
        EXPECT_EQ(entry.path, folder / std::filesystem::path(entry.fileName));
        shown.emplace_back(entry.displayName, entry.fileName);
    }
    return shown;
}

struct ListCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // name, content
    Shown dialog;
    Shown menu;
};

class LanguageListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(LanguageListTest, ListsTheLanguageFiles) {
    test::TempFolder folder;
    for (const auto& [name, content] : GetParam().files) {
        test::WriteFile(folder / name, content);
    }
    EXPECT_EQ(ShownOf(ListLanguagesForDialog(folder.path()), folder.path()), GetParam().dialog);
    EXPECT_EQ(ShownOf(ListLanguagesForMenu(folder.path()), folder.path()), GetParam().menu);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageListTest,
    ::testing::Values(
        ListCase{"OneWithoutThisLang",
                 {{"deu.lng", "[Language]\nThisLang=Deutsch\n"}, {"eng.lng", "[strBDL]\n"}},
                 {{u"Deutsch", u"deu.lng"}, {u"eng", u"eng.lng"}},
                 {{u"Deutsch", u"deu.lng"}}},
        ListCase{"MenuKeepsTheOrder",
                 {{"a.lng", "[strBDL]\nThisLang=A\n"},
                  {"b.lng", "[Language]\nThisLang=Bee\n"},
                  {"c.lng", "[Language]\nThisLang=Cee\n"}},
                 {{u"a", u"a.lng"}, {u"Bee", u"b.lng"}, {u"Cee", u"c.lng"}},
                 {{u"Bee", u"b.lng"}, {u"Cee", u"c.lng"}}},
        ListCase{"EmptyThisLangCountsAsNone",
                 {{"x.lng", "[Language]\nThisLang=\n"}, {"y.lng", "[Language]\nThisLang=\"\"\n"}},
                 {{u"x", u"x.lng"}, {u"y", u"y.lng"}},
                 {}},
        ListCase{"SortedByNameInByteOrder",
                 {{"zz.lng", ""},
                  {"deu.lng", ""},
                  {"Fin.LNG", ""},
                  {"a.b.lng", ""},
                  {"\xC3\xA9.lng", ""},
                  {"eng.lng", ""}},
                 {{u"Fin", u"Fin.LNG"},
                  {u"a.b", u"a.b.lng"},
                  {u"deu", u"deu.lng"},
                  {u"eng", u"eng.lng"},
                  {u"zz", u"zz.lng"},
                  {u"\u00e9", u"\u00e9.lng"}},
                 {}},
        ListCase{"OnlyLanguageFiles",
                 {{"eng.lng.bak", "[Language]\nThisLang=English\n"},
                  {"readme", "[Language]\nThisLang=English\n"}},
                 {},
                 {}},
        // Such a name could not be stored in the settings file and found again.
        ListCase{"NameThatIsNotUtf8Left",
                 {{"bad\xFF.lng", "[Language]\nThisLang=Bad\n"},
                  {"eng.lng", "[Language]\nThisLang=English\n"}},
                 {{u"English", u"eng.lng"}},
                 {{u"English", u"eng.lng"}}}),
    [](const auto& info) { return info.param.name; });

TEST(LanguageListFolderTest, AFolderNamedLikeALanguageFileIsNotListed) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder / "x.lng");
    test::WriteFile(folder / "x.lng" / "deu.lng", "[Language]\nThisLang=Deutsch\n");
    test::WriteFile(folder / "eng.lng", "[Language]\nThisLang=English\n");
    const Shown english{{u"English", u"eng.lng"}};
    EXPECT_EQ(ShownOf(ListLanguagesForDialog(folder.path()), folder.path()), english);
    EXPECT_EQ(ShownOf(ListLanguagesForMenu(folder.path()), folder.path()), english);
}

TEST(LanguageListFolderTest, AMissingFolderListsNothing) {
    test::TempFolder folder;
    EXPECT_TRUE(ListLanguagesForDialog(folder / "absent").empty());
    EXPECT_TRUE(ListLanguagesForMenu(folder / "absent").empty());
}

TEST(LanguageListFolderTest, TheListIsNotCutAtTheMenuCommands) {
    test::TempFolder folder;
    const int count = kLanguageCommandCount + 1;
    for (int i = 0; i < count; ++i) {
        test::WriteFile(folder / ("l" + std::to_string(100 + i) + ".lng"),
                        "[Language]\nThisLang=L" + std::to_string(i) + "\n");
    }
    const std::vector<LanguageEntry> menu = ListLanguagesForMenu(folder.path());
    ASSERT_EQ(menu.size(), static_cast<size_t>(count));
    EXPECT_EQ(menu.back().displayName, u"L30");
}

}  // namespace
}  // namespace wl

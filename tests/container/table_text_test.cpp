#include "container/table_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "container/container_model.h"
#include "platform/file_error.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

using test::TempFolder;
using test::Utf16Le;
using test::WriteFile;

std::u16string WithoutLineFeeds(std::u16string text) {
    std::erase(text, u'\n');
    return text;
}

// The table decoded whole, line feeds and all, up to the first NUL code unit.
std::u16string WholeText(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                                    static_cast<uint8_t>(bytes[i + 1]) << 8);
        if (unit == 0) {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

// The record list a text reads as, written out again for comparison.
std::u16string ReadBack(const std::u16string& text) {
    BDL::ProjectList list;
    list.FromText(text);
    return list.ToText();
}

const std::u16string kTable =
    u"<ProjectList><Ver>1</Ver>\n<Projects><Project><Name>R1</Name>\n<Items><ProjectItem>"
    u"<Name>\\a.dat</Name>\n<Type>0</Type>\n<Size>10</Size>\n<CompSize>86</CompSize>\n"
    u"<Pos>0</Pos>\n</ProjectItem>\n</Items>\n<Type>2</Type>\n</Project>\n</Projects>\n"
    u"</ProjectList>\n";
const std::u16string kFlatTable = WithoutLineFeeds(kTable);
const std::u16string kTableEnd =
    u"<Projects><Project><Name>R1</Name><Items></Items><Type>2</Type></Project></Projects>"
    u"</ProjectList>";

struct TableCase {
    const char* what;
    // The table's bytes as stored.
    std::string bytes;
    // The text the reader is given.
    std::u16string kept;
};

std::vector<TableCase> TableCases() {
    const std::string nul(2, '\0');
    // A name with a surrogate pair and units whose one byte alone would be a NUL or a line feed:
    // U+1F600, U+0100, U+0A00, U+010A.
    const std::u16string oddName = u"\\\xD83D\xDE00\x0100\x0A00\x010A";
    const std::u16string oddTable = u"<ProjectList><Projects><Project><Name>" + oddName +
                                    u"</Name></Project></Projects>"
                                    u"</ProjectList>";
    return {
        {"a table as it is written", Utf16Le(kTable), kFlatTable},
        {"text before the opening tag, with tags and a part of one",
         Utf16Le(u"junk</ProjectList><Projects><ProjectLis\n<Project" + kTable), kFlatTable},
        {"an opening tag that forms once its line feeds are gone",
         Utf16Le(u"junk<Proj\nect\n\nList>" + kTableEnd), u"<ProjectList>" + kTableEnd},
        {"the first of two opening tags", Utf16Le(u"<ProjectList><Ver>7</Ver>" + kTable),
         u"<ProjectList><Ver>7</Ver>" + kFlatTable},
        {"a NUL inside the table", Utf16Le(u"<ProjectList><Ver>3</Ver>") + nul + Utf16Le(kTable),
         u"<ProjectList><Ver>3</Ver>"},
        {"a NUL before the opening tag", Utf16Le(u"junk") + nul + Utf16Le(kTable), u""},
        {"a NUL within the opening tag", Utf16Le(u"<Project") + nul + Utf16Le(u"List>"), u""},
        {"no opening tag", Utf16Le(u"<ProjectLis><Ver>2</Ver></ProjectList>"), u""},
        {"only a closing tag before the opening tag",
         Utf16Le(u"</ProjectList>junk<ProjectList><Ver>4</Ver>"), u"<ProjectList><Ver>4</Ver>"},
        {"an odd byte count", Utf16Le(kTable) + "<", kFlatTable},
        {"surrogate pairs and units that look like NUL or line feed by one byte", Utf16Le(oddTable),
         oddTable},
        {"nothing", "", u""},
        {"zeros", std::string(1000, '\0'), u""},
    };
}

// Every table, at an even and an odd offset, read in pieces of many sizes: pieces that split the
// opening tag, a surrogate pair or a single code unit. The text kept must read as the whole text
// would, and nothing past the table's length may be read.
TEST(TableText, PiecesOfAnySizeKeepWhatReadingTheWholeTextSees) {
    TempFolder temp;
    const size_t pieceSizes[] = {1, 2, 3, 4, 5, 7, 13, 26, 27, 64, kTablePieceBytes};
    for (const TableCase& c : TableCases()) {
        for (const size_t lead : {0, 1, 4}) {
            const std::string after = "zzzzzzzz";  // where the trailer stands
            WriteFile(temp / "c", std::string(lead, 'i') + c.bytes + after);
            for (const size_t pieceBytes : pieceSizes) {
                SCOPED_TRACE(std::string(c.what) + ", offset " + std::to_string(lead) +
                             ", pieces of " + std::to_string(pieceBytes));
                ByteFile file;
                int error = 0;
                ASSERT_TRUE(file.OpenForReading(temp / "c", error));
                std::u16string text = u"left from before";
                ASSERT_TRUE(ReadTableText(file, static_cast<int64_t>(lead),
                                          static_cast<int64_t>(c.bytes.size()), u"ProjectList",
                                          text, pieceBytes));
                EXPECT_EQ(text, c.kept);
                EXPECT_EQ(ReadBack(text), ReadBack(WholeText(c.bytes)));
            }
        }
    }
}

TEST(TableText, ReadingStopsWithThePieceThatHoldsTheNul) {
    TempFolder temp;
    // The NUL code unit takes bytes 26 and 27; pieces of 16 bytes end the second at 32.
    WriteFile(temp / "c",
              "ii" + Utf16Le(u"<ProjectList>") + std::string(2, '\0') + std::string(1000, 'a'));
    ByteFile file;
    int error = 0;
    ASSERT_TRUE(file.OpenForReading(temp / "c", error));
    std::u16string text;
    ASSERT_TRUE(ReadTableText(file, 2, 1028, u"ProjectList", text, 16));
    EXPECT_EQ(text, u"<ProjectList>");
    EXPECT_EQ(file.Position(), 2 + 32);
}

TEST(TableText, AFileThatEndsBeforeTheTableFailsUnlessANulCameFirst) {
    TempFolder temp;
    struct Case {
        std::string bytes;
        bool read;
    };
    const Case cases[] = {
        {Utf16Le(u"<ProjectList><Ver>1</Ver>"), false},
        {Utf16Le(u"<ProjectList>") + std::string(2, '\0'), true},
    };
    for (const Case& c : cases) {
        WriteFile(temp / "c", c.bytes);
        ByteFile file;
        int error = 0;
        ASSERT_TRUE(file.OpenForReading(temp / "c", error));
        std::u16string text;
        EXPECT_EQ(ReadTableText(file, 0, static_cast<int64_t>(c.bytes.size()) + 100, u"ProjectList",
                                text, 8),
                  c.read);
    }
}

TEST(TableText, TheDecoderTakesNothingAfterTheNul) {
    TableTextDecoder decoder(u"ProjectList");
    const std::string before = Utf16Le(u"<ProjectList><Ver>");
    EXPECT_TRUE(decoder.Take({reinterpret_cast<const uint8_t*>(before.data()), before.size()}));
    const std::string rest = "1" + std::string(3, '\0') + Utf16Le(u"</Ver>");
    EXPECT_FALSE(decoder.Take({reinterpret_cast<const uint8_t*>(rest.data()), rest.size()}));
    EXPECT_TRUE(decoder.Ended());
    EXPECT_FALSE(decoder.Take({reinterpret_cast<const uint8_t*>(before.data()), before.size()}));
    EXPECT_EQ(decoder.TakeText(), u"<ProjectList><Ver>1");
}

}  // namespace
}  // namespace wl

#include "container/tagged_text.h"

#include <gtest/gtest.h>

#include "container/container_model.h"

namespace wl {
namespace {

TEST(ReplaceAll, ReplacesLeftmostFirstUntilNoneIsLeft) {
    struct Case {
        std::u16string text, pattern, replacement, expected;
    };
    const Case cases[] = {
        {u"a<b<c", u"<", u"&$&lt##", u"a&$&lt##b&$&lt##c"},
        {u"&$&lt##x&$&gt##", u"&$&lt##", u"<", u"<x&$&gt##"},
        {u"line\nfeed\n\n", u"\n", u"", u"linefeed"},
        // A removal that brings a new occurrence together removes that one too.
        {u"aabb", u"ab", u"", u""},
        {u"xaabby", u"ab", u"", u"xy"},
        // A replacement forms a new occurrence with the text before it.
        {u"aab", u"ab", u"b", u"b"},
        {u"no match", u"zz", u"y", u"no match"},
        {u"", u"a", u"b", u""},
    };
    for (const Case& c : cases) {
        std::u16string text = c.text;
        ReplaceAll(text, c.pattern, c.replacement);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(FindLast, AnswersTheLastOccurrenceOrMinusOne) {
    EXPECT_EQ(FindLast(u"</a>x</a>y", u"</a>"), 5);
    EXPECT_EQ(FindLast(u"abc", u"d"), -1);
    EXPECT_EQ(FindLast(u"aaaa", u"aa"), 2);
}

TEST(ParseDecimal, IsLenientAndSaturates) {
    struct Case {
        std::u16string text;
        int64_t expected64;
        int32_t expected32;
    };
    const Case cases[] = {
        {u" -12x", -12, -12},
        {u"", 0, 0},
        {u"abc", 0, 0},
        {u"+7", 7, 7},
        {u"\t\r\n 42", 42, 42},
        {u"99999999999", 99999999999, 2147483647},
        {u"-99999999999", -99999999999, -2147483647 - 1},
        {u"-2147483648", -2147483648LL, -2147483647 - 1},
        {u"123456789012345678901234", INT64_MAX, INT32_MAX},
        {u"-123456789012345678901234", INT64_MIN, INT32_MIN},
        {u"- 5", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseInt64(c.text), c.expected64) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(ParseInt32(c.text), c.expected32) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(SplitElements, PairsTopLevelElementsAndSkipsTextBetween) {
    std::vector<TaggedElement> elements;
    EXPECT_TRUE(SplitElements(u"junk<a>1</a> between <b><c>2</c></b><open", elements));
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].tag, u"a");
    EXPECT_EQ(elements[0].content, u"1");
    EXPECT_EQ(elements[1].tag, u"b");
    EXPECT_EQ(elements[1].content, u"<c>2</c>");
}

TEST(SplitElements, FailsOnAnUnclosedOrSelfNestedElementKeepingEarlierPairs) {
    for (const std::u16string text : {u"<a>1</a><b>2", u"<a>1</a><b><b>2</b></b>"}) {
        std::vector<TaggedElement> elements;
        EXPECT_FALSE(SplitElements(text, elements));
        ASSERT_EQ(elements.size(), 1u);
        EXPECT_EQ(elements[0].content, u"1");
    }
}

// A record with one field of each kind, to exercise the framework apart from the container.
class Sample : public ISDStructure {
  public:
    Sample() : ISDStructure(u"Sample") { DeclareFields(); }
    std::u16string text;
    int32_t small;
    int64_t big;

  protected:
    void DeclareFields() override {
        text = u"default";
        small = 7;
        big = 8;
        AddField(u"Text", text);
        AddField(u"Small", small);
        AddField(u"Big", big);
    }
};

TEST(TaggedRecord, WritesFieldsInDeclarationOrderWithLineFeeds) {
    Sample sample;
    sample.text = u"a<b>c&d";
    sample.small = -3;
    sample.big = 5000000000;
    EXPECT_EQ(sample.ToText(),
              u"<Sample><Text>a&$&lt##b&$&gt##c&d</Text>\n<Small>-3</Small>\n"
              u"<Big>5000000000</Big>\n</Sample>\n");
}

TEST(TaggedRecord, StringValuesReadBackAsTheEscapesAllow) {
    struct Case {
        std::u16string written, readBack;
    };
    const Case cases[] = {
        {u"<tag> & </tag>", u"<tag> & </tag>"},
        // An escape already in a value is written unchanged and reads back as the character.
        {u"x&$&lt##y", u"x<y"},
        // A line feed is lost on reading, a carriage return survives.
        {u"one\r\ntwo", u"one\rtwo"},
    };
    for (const Case& c : cases) {
        Sample out;
        out.text = c.written;
        Sample in;
        in.FromText(out.ToText());
        EXPECT_EQ(in.text, c.readBack);
    }
}

TEST(TaggedRecord, ReadingToleratesWhatTheWriterNeverMakes) {
    struct Case {
        const char* what;
        std::u16string text;
        std::u16string expectedText;
        int32_t expectedSmall;
        int64_t expectedBig;
    };
    const Case cases[] = {
        {"no outer tags", u"<Text>x</Text>", u"default", 7, 8},
        {"missing field keeps default", u"<Sample><Small>1</Small></Sample>", u"default", 1, 8},
        {"text after the outer element and repeated closing tags",
         u"pre<Sample><Text>a</Text><Big>9</Big></Sample>tail</Sample>", u"a", 7, 9},
        {"second field unclosed: the first is read", u"<Sample><Text>a</Text><Small>3</Sample>",
         u"a", 7, 8},
        {"unknown and repeated tags ignored",
         u"<Sample><Foo>z</Foo><Small>1</Small><Small>2</Small></Sample>", u"default", 1, 8},
        {"closing tag before opening tag", u"</Sample><Sample><Small>1</Small>", u"default", 7, 8},
        {"not a number", u"<Sample><Small>x</Small><Big></Big></Sample>", u"default", 0, 0},
    };
    for (const Case& c : cases) {
        Sample sample;
        sample.FromText(c.text);
        EXPECT_EQ(sample.text, c.expectedText) << c.what;
        EXPECT_EQ(sample.small, c.expectedSmall) << c.what;
        EXPECT_EQ(sample.big, c.expectedBig) << c.what;
    }
}

TEST(TaggedList, EndsAtAForeignTagAndEmptiesOnAnUnclosedElement) {
    struct Case {
        const char* what;
        std::u16string projects;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {"foreign tag ends the list",
         u"<Project><Name>A</Name></Project><Foo></Foo><Project><Name>B</Name></Project>",
         {u"A"}},
        {"unclosed second element empties it",
         u"<Project><Name>A</Name></Project><Project><Name>B</Name>",
         {}},
        {"empty list", u"", {}},
        {"two projects",
         u"<Project><Name>A</Name></Project>\n<Project><Name>B</Name></Project>",
         {u"A", u"B"}},
    };
    for (const Case& c : cases) {
        BDL::ProjectList list;
        list.FromText(u"<ProjectList><Projects>" + c.projects + u"</Projects></ProjectList>");
        ASSERT_EQ(list.projects.Count(), static_cast<int32_t>(c.names.size())) << c.what;
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(list.projects.Get(static_cast<int64_t>(i))->name, c.names[i]) << c.what;
        }
    }
}

TEST(TaggedList, IndexOutsideTheListYieldsNoElement) {
    BDL::ProjectList list;
    list.projects.Append(std::make_unique<BDL::Project>());
    EXPECT_NE(list.projects.Get(0), nullptr);
    EXPECT_EQ(list.projects.Get(1), nullptr);
    EXPECT_EQ(list.projects.Get(-1), nullptr);
}

TEST(TaggedList, ReadingStaysLinearInTheNumberOfElements) {
    // 200,000 items read quickly only if no step rescans the text per element.
    std::u16string items;
    for (int i = 0; i < 200000; ++i) {
        items += u"<ProjectItem><Name>\\f</Name>\n<Type>0</Type>\n</ProjectItem>\n";
    }
    BDL::Project project;
    project.FromText(u"<Project><Name>R</Name>\n<Items>" + items + u"</Items>\n</Project>\n");
    EXPECT_EQ(project.items.Count(), 200000);
}

}  // namespace
}  // namespace wl

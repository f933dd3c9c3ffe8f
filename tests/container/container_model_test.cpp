#include "container/container_model.h"

#include <gtest/gtest.h>

namespace BDL {
namespace {

std::unique_ptr<ProjectItem> Item(std::u16string name, int32_t type, int64_t size, int64_t compSize,
                                  int64_t pos) {
    auto item = std::make_unique<ProjectItem>();
    item->name = std::move(name);
    item->type = type;
    item->size = size;
    item->compSize = compSize;
    item->pos = pos;
    return item;
}

TEST(ContainerModel, DefaultsAreThoseOfAnEmptyTable) {
    ProjectList list;
    EXPECT_EQ(list.ver, 1);
    EXPECT_EQ(list.projects.Count(), 0);
    Project project;
    EXPECT_EQ(project.type, 0);
    EXPECT_TRUE(project.name.empty());
    ProjectItem item;
    EXPECT_EQ(item.type, 0);
    EXPECT_EQ(item.size + item.compSize + item.pos, 0);
}

TEST(ContainerModel, WorkedExampleIsNineteenLines) {
    ProjectList list;
    auto project = std::make_unique<Project>();
    project->name = u"R1";
    project->type = 2;
    project->items.Append(Item(u"\\S", 1, 0, 0, 0));
    project->items.Append(Item(u"\\S\\F", 0, 10, 86, 0));
    list.projects.Append(std::move(project));

    const std::u16string expected =
        u"<ProjectList><Ver>1</Ver>\n"
        u"<Projects><Project><Name>R1</Name>\n"
        u"<Items><ProjectItem><Name>\\S</Name>\n"
        u"<Type>1</Type>\n"
        u"<Size>0</Size>\n"
        u"<CompSize>0</CompSize>\n"
        u"<Pos>0</Pos>\n"
        u"</ProjectItem>\n"
        u"<ProjectItem><Name>\\S\\F</Name>\n"
        u"<Type>0</Type>\n"
        u"<Size>10</Size>\n"
        u"<CompSize>86</CompSize>\n"
        u"<Pos>0</Pos>\n"
        u"</ProjectItem>\n"
        u"</Items>\n"
        u"<Type>2</Type>\n"
        u"</Project>\n"
        u"</Projects>\n"
        u"</ProjectList>\n";
    const std::u16string text = list.ToText();
    EXPECT_EQ(text, expected);
    EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 19);

    ProjectList back;
    back.FromText(text);
    ASSERT_EQ(back.projects.Count(), 1);
    const Project& read = *back.projects.Get(0);
    EXPECT_EQ(read.name, u"R1");
    EXPECT_EQ(read.type, 2);
    ASSERT_EQ(read.items.Count(), 2);
    EXPECT_EQ(read.items.Get(1)->name, u"\\S\\F");
    EXPECT_EQ(read.items.Get(1)->size, 10);
    EXPECT_EQ(read.items.Get(1)->compSize, 86);
    EXPECT_EQ(read.items.Get(0)->type, 1);
}

TEST(ContainerModel, RoundTripsNamesTypesAndEmptyProjects) {
    ProjectList list;
    for (auto [name, type] :
         {std::pair{u"A<1>", 1}, std::pair{u"A<1>", 2}, std::pair{u"Empty", 1}}) {
        auto project = std::make_unique<Project>();
        project->name = name;
        project->type = type;
        if (type == 2) {
            project->items.Append(Item(u"\\x>y", 0, 1, 70, 123456789012));
        }
        list.projects.Append(std::move(project));
    }
    const std::u16string text = list.ToText();
    EXPECT_NE(text.find(u"<Items></Items>"), std::u16string::npos);

    ProjectList back;
    back.FromText(text);
    ASSERT_EQ(back.projects.Count(), 3);
    EXPECT_EQ(back.projects.Get(0)->name, u"A<1>");
    EXPECT_EQ(back.projects.Get(0)->type, 1);
    EXPECT_EQ(back.projects.Get(1)->type, 2);
    EXPECT_EQ(back.projects.Get(1)->items.Get(0)->name, u"\\x>y");
    EXPECT_EQ(back.projects.Get(1)->items.Get(0)->pos, 123456789012);
    EXPECT_EQ(back.projects.Get(2)->items.Count(), 0);
}

TEST(ContainerModel, ReadsWithoutVersionAndIgnoresUnknownElements) {
    ProjectList list;
    list.FromText(
        u"<ProjectList><Projects><Project><Name>P</Name><Items><ProjectItem><Name>\\a</Name>"
        u"<Extra>zz</Extra><Size>5</Size></ProjectItem></Items></Project></Projects>"
        u"</ProjectList>");
    EXPECT_EQ(list.ver, 1);
    ASSERT_EQ(list.projects.Count(), 1);
    ASSERT_EQ(list.projects.Get(0)->items.Count(), 1);
    EXPECT_EQ(list.projects.Get(0)->items.Get(0)->size, 5);
}

}  // namespace
}  // namespace BDL

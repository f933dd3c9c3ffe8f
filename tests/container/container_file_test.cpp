#include "container/container_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <random>

#include "common/utf16.h"
#include "container/compressed_image.h"
#include "container/item_names.h"
#include "container/table_text.h"
#include "fs/file_ops.h"
#include "tests/support/recording_progress.h"
#include "tests/support/temp_folder.h"

namespace BDL {
namespace {

namespace fs = std::filesystem;
using wl::test::ReadFile;
using wl::test::TempFolder;
using wl::test::TreeSnapshot;
using wl::test::Utf16Le;
using wl::test::WriteFile;

std::string Trailer(uint64_t offset) {
    std::string bytes;
    for (int i = 0; i < 8; ++i) {
        bytes.push_back(static_cast<char>(offset >> (8 * i)));
    }
    return bytes;
}

std::string Image(const std::string& data) {
    std::vector<uint8_t> image(wl::CompressedImageBound(static_cast<uint32_t>(data.size())));
    uint32_t capacity = static_cast<uint32_t>(image.size());
    EXPECT_TRUE(wl::CompressImage(reinterpret_cast<const uint8_t*>(data.data()),
                                  static_cast<uint32_t>(data.size()), image.data(), capacity));
    return std::string(image.begin(), image.begin() + capacity);
}

// Packs each folder as a project of type 1 named after it; fails the test on any error.
void Pack(const fs::path& out, const std::vector<fs::path>& folders) {
    ContainerFile container;
    ASSERT_TRUE(container.Create(out));
    for (const fs::path& folder : folders) {
        std::u16string error;
        ASSERT_NE(container.AddFolder(wl::PathToUtf16(folder.filename()), 1, folder, nullptr, 0,
                                      100, error),
                  nullptr)
            << wl::Utf16ToUtf8(error);
    }
    int cause = -1;
    ASSERT_TRUE(container.Finish(cause));
    EXPECT_EQ(cause, 0);
    ASSERT_TRUE(container.Close());
}

// A container written by hand from a table of contents and the bytes before it.
void WriteContainer(const fs::path& path, const std::string& images, const std::u16string& table) {
    WriteFile(path, images + Utf16Le(table) + Trailer(images.size()));
}

std::u16string OneFileTable(const std::u16string& name, int64_t size, int64_t compSize, int64_t pos,
                            int32_t type = 0) {
    return u"<ProjectList><Ver>1</Ver><Projects><Project><Name>P</Name><Items><ProjectItem>"
           u"<Name>" +
           name + u"</Name><Type>" + wl::AsciiToUtf16(std::to_string(type)) + u"</Type><Size>" +
           wl::AsciiToUtf16(std::to_string(size)) + u"</Size><CompSize>" +
           wl::AsciiToUtf16(std::to_string(compSize)) + u"</CompSize><Pos>" +
           wl::AsciiToUtf16(std::to_string(pos)) +
           u"</Pos></ProjectItem></Items><Type>1</Type></Project></Projects></ProjectList>";
}

TEST(ContainerFile, EmptyFolderHoldsNoImagesAndATableAtOffsetZero) {
    TempFolder temp;
    fs::create_directory(temp / "E");
    Pack(temp / "out.rdx", {temp / "E"});
    const std::u16string table =
        u"<ProjectList><Ver>1</Ver>\n<Projects><Project><Name>E</Name>\n<Items></Items>\n"
        u"<Type>1</Type>\n</Project>\n</Projects>\n</ProjectList>\n";
    EXPECT_EQ(ReadFile(temp / "out.rdx"), Utf16Le(table) + Trailer(0));
}

TEST(ContainerFile, LayoutIsImagesThenTableThenTrailerByteForByte) {
    TempFolder temp;
    const std::string f = "0123456789";
    const std::string g = wl::test::CompressibleBytes(300000, 3);
    WriteFile(temp / "R1" / "S" / "F", f);
    WriteFile(temp / "R2" / "G", g);
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R1", 2, temp / "R1", nullptr, 0, 50, error), nullptr);
    ASSERT_NE(container.AddFolder(u"R2", 1, temp / "R2", nullptr, 50, 100, error), nullptr);
    int cause = -1;
    ASSERT_TRUE(container.Finish(cause));
    container.Close();

    const std::string imageF = Image(f);
    const std::string imageG = Image(g);
    EXPECT_EQ(imageF.size(), 86u);
    const std::u16string table =
        u"<ProjectList><Ver>1</Ver>\n<Projects><Project><Name>R1</Name>\n<Items>"
        u"<ProjectItem><Name>\\S</Name>\n<Type>1</Type>\n<Size>0</Size>\n<CompSize>0</CompSize>\n"
        u"<Pos>0</Pos>\n</ProjectItem>\n"
        u"<ProjectItem><Name>\\S\\F</Name>\n<Type>0</Type>\n<Size>10</Size>\n"
        u"<CompSize>86</CompSize>\n<Pos>0</Pos>\n</ProjectItem>\n</Items>\n<Type>2</Type>\n"
        u"</Project>\n<Project><Name>R2</Name>\n<Items><ProjectItem><Name>\\G</Name>\n"
        u"<Type>0</Type>\n<Size>300000</Size>\n<CompSize>" +
        wl::AsciiToUtf16(std::to_string(imageG.size())) +
        u"</CompSize>\n<Pos>86</Pos>\n</ProjectItem>\n</Items>\n<Type>1</Type>\n</Project>\n"
        u"</Projects>\n</ProjectList>\n";
    EXPECT_TRUE(ReadFile(temp / "out.rdx") ==
                imageF + imageG + Utf16Le(table) + Trailer(imageF.size() + imageG.size()));
}

TEST(ContainerFile, ItemsFollowPackingOrderWithNamesBelowTheFolder) {
    TempFolder temp;
    // The folder's own name recurs below it: names come from the path below the folder.
    WriteFile(temp / "d" / "d" / "d", "x");
    WriteFile(temp / "d" / "top.txt", "y");
    const fs::path previous = fs::current_path();
    fs::current_path(temp.path());
    ContainerFile container;
    ASSERT_TRUE(container.Create("out.rdx"));
    std::u16string error;
    Project* project = container.AddFolder(u"d", 1, "d", nullptr, 0, 100, error);
    fs::current_path(previous);
    ASSERT_NE(project, nullptr) << wl::Utf16ToUtf8(error);
    ASSERT_EQ(project->items.Count(), 3);
    EXPECT_EQ(project->items.Get(0)->name, u"\\top.txt");
    EXPECT_EQ(project->items.Get(1)->name, u"\\d");
    EXPECT_EQ(project->items.Get(1)->type, 1);
    EXPECT_EQ(project->items.Get(2)->name, u"\\d\\d");
    EXPECT_EQ(project->items.Get(2)->pos, project->items.Get(0)->compSize);
}

TEST(ContainerFile, ProjectsOfOneNameMustDifferInType) {
    TempFolder temp;
    fs::create_directory(temp / "R");
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
    EXPECT_NE(container.AddFolder(u"R", 2, temp / "R", nullptr, 0, 100, error), nullptr);
    EXPECT_EQ(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
    EXPECT_EQ(error, u"Project(1) with name R exists already");
    EXPECT_EQ(container.GetProjectList().projects.Count(), 2);
}

// Only what comes back as it went in is packed: the table of contents keeps no line feed and
// reads its escape texts as "<" and ">". Such a name fails its folder before anything is written.
TEST(ContainerFile, FolderFailsOnNamesThatCannotComeBack) {
    struct Case {
        std::string file;    // below the packed folder
        std::string struck;  // the entry named in the error
        const char* what;
        const char* reason;
    };
    const Case cases[] = {
        {"a\\b.txt", "a\\b.txt", "file",
         "its name holds a backslash, the separator of stored names"},
        {"bad\xff.txt", "bad\xff.txt", "file", "its name is not valid UTF-8"},
        {"sub\\dir/f", "sub\\dir", "directory",
         "its name holds a backslash, the separator of stored names"},
        {"x\ny", "x\ny", "file",
         "its name holds a line feed, which the table of contents cannot keep"},
        {"sub\n/f", "sub\n", "directory",
         "its name holds a line feed, which the table of contents cannot keep"},
        {"a&$&lt##b", "a&$&lt##b", "file",
         "its name holds the text \"&$&lt##\", which the table of contents reads as another "
         "character"},
        {"&$&gt##/f", "&$&gt##", "directory",
         "its name holds the text \"&$&gt##\", which the table of contents reads as another "
         "character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder temp;
        WriteFile(temp / "R" / "first.dat", "packed before the bad name is met");
        WriteFile(temp / "R" / c.file, "content");
        ContainerFile container;
        ASSERT_TRUE(container.Create(temp / "out.rdx"));
        std::u16string error;
        EXPECT_EQ(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
        // A name that is not UTF-8 is shown with U+FFFD in its place.
        EXPECT_EQ(wl::Utf16ToUtf8(error),
                  std::string("Can't add ") + c.what + " " +
                      wl::Utf16ToUtf8(wl::PathToUtf16(temp / "R" / c.struck)) + " - " + c.reason);
        EXPECT_EQ(container.GetProjectList().projects.Count(), 0);
        EXPECT_EQ(fs::file_size(temp / "out.rdx"), 0u);
    }
}

TEST(ContainerFile, AFileThatCannotBeOpenedSaysWhy) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root opens every file";
    }
    TempFolder temp;
    WriteFile(temp / "R" / "locked.dat", "measured");
    fs::permissions(temp / "R" / "locked.dat", fs::perms::none);
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    std::u16string error;
    EXPECT_EQ(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
    EXPECT_EQ(error, u"Can't add file " + wl::PathToUtf16(temp / "R" / "locked.dat") +
                         u" - 5 : The file couldn't be accessed. (Permission denied)");
}

TEST(ContainerFile, AProjectIsNamedOnlyByOnePlainNameThatComesBack) {
    struct Case {
        std::u16string name;
        const char* reason;
    };
    const Case cases[] = {
        {u"C\\D", "a project's name must be one plain folder name"},
        {u"a/b", "a project's name must be one plain folder name"},
        {u"..", "a project's name must be one plain folder name"},
        {u"", "a project's name must be one plain folder name"},
        {u"R\n1", "its name holds a line feed, which the table of contents cannot keep"},
        {u"R&$&lt##1",
         "its name holds the text \"&$&lt##\", which the table of contents reads as another "
         "character"},
    };
    TempFolder temp;
    WriteFile(temp / "R" / "a.dat", "a");
    for (const Case& c : cases) {
        ContainerFile container;
        ASSERT_TRUE(container.Create(temp / "out.rdx"));
        std::u16string error;
        EXPECT_EQ(container.AddFolder(c.name, 1, temp / "R", nullptr, 0, 100, error), nullptr);
        EXPECT_EQ(wl::Utf16ToUtf8(error),
                  "Can't add directory " + (temp / "R").string() + " - " + c.reason);
        EXPECT_EQ(fs::file_size(temp / "out.rdx"), 0u);
    }
}

TEST(ContainerFile, FileOverTheLimitFailsItsFolderAndLeavesNoPartOfAnImage) {
    TempFolder temp;
    WriteFile(temp / "R" / "a.txt", "small");
    { std::ofstream big(temp / "R" / "big", std::ios::binary); }
    fs::resize_file(temp / "R" / "big", ContainerFile::kLargestFile + 1);  // sparse
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    std::u16string error;
    EXPECT_EQ(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
    EXPECT_EQ(error, u"Can't add file " + wl::PathToUtf16(temp / "R" / "big") +
                         u" - it is larger than 500000000 bytes (500000001 bytes)");
    // A folder that cannot be listed fails as a whole.
    EXPECT_EQ(container.AddFolder(u"M", 1, temp / "missing", nullptr, 0, 100, error), nullptr);
    EXPECT_EQ(error, u"Err enumerating dir content " + wl::PathToUtf16(temp / "missing") +
                         u" - 2 : The file couldn't be located. (No such file or directory)");
}

TEST(ContainerFile, ALinkToAFileIsPackedAsThatFile) {
    TempFolder temp;
    WriteFile(temp / "outside" / "secret", "measured elsewhere");
    WriteFile(temp / "R" / "kept", "k");
    fs::create_symlink(temp / "outside" / "secret", temp / "R" / "linkfile");
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
    int cause = 0;
    ASSERT_TRUE(container.Finish(cause));
    ASSERT_TRUE(container.Close());

    ContainerFile reader;
    ASSERT_TRUE(reader.Open(temp / "out.rdx"));
    fs::create_directory(temp / "back");
    ASSERT_TRUE(reader.ExtractProject(*reader.GetProjectList().projects.Get(0), temp / "back",
                                      nullptr, 0, 100, error));
    EXPECT_EQ(TreeSnapshot(temp / "back"), (std::vector<std::pair<std::string, std::string>>{
                                               {"kept", "k"}, {"linkfile", "measured elsewhere"}}));
}

// What cannot be packed as a file fails its folder with a text naming that entry: measured data
// must never go missing without a word.
TEST(ContainerFile, WhatIsNeitherFileNorFolderFailsItsFolderByName) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"folder link",
         [](const fs::path& at) { fs::create_directory_symlink(at.parent_path() / "..", at); },
         "it is a link to a folder, which is not packed"},
        {"dangling", [](const fs::path& at) { fs::create_symlink(at.parent_path() / "gone", at); },
         "it is a link that leads to no file"},
        {"pipe", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "it is a FIFO, not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        WriteFile(temp / "R" / "a.dat", "a");
        fs::create_directories(temp / "R" / "sub");
        c.make(temp / "R" / "sub" / c.name);
        ContainerFile container;
        ASSERT_TRUE(container.Create(temp / "out.rdx"));
        std::u16string error;
        EXPECT_EQ(container.AddFolder(u"R", 1, temp / "R", nullptr, 0, 100, error), nullptr);
        EXPECT_EQ(error, u"Can't add file " + wl::PathToUtf16(temp / "R" / "sub" / c.name) +
                             u" - " + wl::AsciiToUtf16(c.reason));
        // Refused before anything of the folder was written.
        EXPECT_EQ(fs::file_size(temp / "out.rdx"), 0u);
    }
}

TEST(ContainerFile, ProgressMovesPerEntryWithinTheRange) {
    TempFolder temp;
    WriteFile(temp / "R" / "a", "1");
    WriteFile(temp / "R" / "s" / "b", "2");
    ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "out.rdx"));
    wl::test::RecordingProgress sink;
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R", 1, temp / "R", &sink, 0, 100, error), nullptr);
    ASSERT_EQ(sink.positions.size(), 3u);
    EXPECT_DOUBLE_EQ(sink.positions[0], 0);
    EXPECT_NEAR(sink.positions[1], 33.33, 0.01);
    EXPECT_NEAR(sink.positions[2], 66.67, 0.01);
    int cause = 0;
    ASSERT_TRUE(container.Finish(cause));
    container.Close();

    ContainerFile reader;
    ASSERT_TRUE(reader.Open(temp / "out.rdx"));
    wl::test::RecordingProgress unpackSink;
    fs::create_directory(temp / "x");
    ASSERT_TRUE(reader.ExtractProject(*reader.GetProjectList().projects.Get(0), temp / "x",
                                      &unpackSink, 50, 80, error));
    ASSERT_EQ(unpackSink.positions.size(), 3u);
    EXPECT_DOUBLE_EQ(unpackSink.positions[0], 50);
    EXPECT_DOUBLE_EQ(unpackSink.positions[2], 70);
}

TEST(ContainerFile, TreesRoundTripAndOverwriteExistingFiles) {
    TempFolder temp;
    WriteFile(temp / "R" / "empty", "");
    WriteFile(temp / "R" / "text.dat", wl::test::CompressibleBytes(700000, 4));
    WriteFile(temp / "R" / "sub" / "random.bin", wl::test::RandomBytes(300000, 5));
    WriteFile(temp / "R" / "sub" / "deeper" / "n\xc3\xa4me <1>.txt", "umlaut");
    fs::create_directories(temp / "R" / "sub" / "emptydir");
    Pack(temp / "out.rdx", {temp / "R"});

    WriteFile(temp / "dest" / "text.dat", "old content that is longer than nothing");
    ContainerFile reader;
    ASSERT_TRUE(reader.Open(temp / "out.rdx"));
    const Project& project = *reader.GetProjectList().projects.Get(0);
    std::u16string error;
    ASSERT_TRUE(reader.ExtractProject(project, temp / "dest", nullptr, 0, 100, error))
        << wl::Utf16ToUtf8(error);
    EXPECT_EQ(TreeSnapshot(temp / "dest"), TreeSnapshot(temp / "R"));
    EXPECT_TRUE(reader.VerifyProject(project, nullptr, 0, 100, error));
}

TEST(ContainerFile, OpenRefusesWhatIsNoContainer) {
    struct Case {
        const char* what;
        std::string bytes;
        bool opens;
        int projects;
    };
    const std::u16string v2 = u"<ProjectList><Ver>2</Ver></ProjectList>";
    const std::u16string v0 =
        u"<ProjectList><Ver>0</Ver><Projects><Project></Project>"
        u"</Projects></ProjectList>";
    const std::u16string vNeg = u"<ProjectList><Ver>-5</Ver></ProjectList>";
    const Case cases[] = {
        {"seven bytes", std::string(7, '\0'), false, 0},
        {"eight zero bytes", std::string(8, '\0'), true, 0},
        {"version 2", Utf16Le(v2) + Trailer(0), false, 0},
        {"version 0", Utf16Le(v0) + Trailer(0), true, 1},
        {"negative version", Utf16Le(vNeg) + Trailer(0), true, 0},
        {"table after a NUL is ignored",
         Utf16Le(u"garbage") + std::string(2, '\0') + Utf16Le(v2) + Trailer(0), true, 0},
        {"text before the table is ignored", Utf16Le(u"garbage<Ver>2</Ver>" + v0) + Trailer(0),
         true, 1},
        // The opening tag straddles the end of the first piece the table is read in.
        {"table across a piece boundary",
         "ab" + Utf16Le(std::u16string(wl::kTablePieceBytes / 2 - 5, u'x') + v0) + Trailer(2), true,
         1},
        {"a tar archive",
         "tree/values.txt" + std::string(497, '\0') + "line 1\n" + std::string(505 + 1024, '\0'),
         true, 0},
        {"trailer past the end", std::string(20, 'x') + Trailer(21), false, 0},
        {"trailer huge", std::string(20, 'x') + Trailer(~0ull), false, 0},
        {"garbage", wl::test::RandomBytes(5000, 9), false, 0},
    };
    TempFolder temp;
    for (const Case& c : cases) {
        WriteFile(temp / "c", c.bytes);
        ContainerFile container;
        EXPECT_EQ(container.Open(temp / "c"), c.opens) << c.what;
        if (c.opens) {
            EXPECT_EQ(container.GetProjectList().projects.Count(), c.projects) << c.what;
        } else {
            EXPECT_FALSE(container.LastError().empty()) << c.what;
        }
    }
}

// A file chosen by mistake is read only up to its first NUL code unit.
TEST(ContainerFile, ALargeFileOfZerosOpensWithNoProjects) {
    TempFolder temp;
    WriteFile(temp / "zeros.bin", "");
    fs::resize_file(temp / "zeros.bin", 1500000000);  // sparse: no disk space, no time
    ContainerFile container;
    ASSERT_TRUE(container.Open(temp / "zeros.bin")) << wl::Utf16ToUtf8(container.LastError());
    EXPECT_EQ(container.GetProjectList().projects.Count(), 0);
    EXPECT_EQ(container.TableOffset(), 0);
}

// Unpacking a container made by someone else: each refusal must come before anything is
// written, and nothing may ever appear outside the destination.
TEST(ContainerFile, UnpackRefusesUnsafeNamesBeforeWritingAnything) {
    const std::string good = Image("data");
    const std::u16string goodItem =
        u"<ProjectItem><Name>\\ok</Name><Type>0</Type><Size>4</Size>"
        u"<CompSize>" +
        wl::AsciiToUtf16(std::to_string(good.size())) + u"</CompSize><Pos>0</Pos></ProjectItem>";
    const std::u16string names[] = {
        u"\\..\\escaped",
        u"\\a\\..\\..\\escaped",
        u"/tmp/escaped",
        u"\\",
        u"",
        u"\\a\\\\b",
        u"\\.",
        u"\\a\\.",
        u"escaped",
        u"\\a/../../escaped",
        u"\\\xD800",
    };
    for (const std::u16string& name : names) {
        TempFolder temp;
        const std::u16string table =
            u"<ProjectList><Projects><Project><Name>P</Name><Items>" + goodItem +
            u"<ProjectItem><Name>" + name +
            u"</Name><Type>1</Type></ProjectItem></Items></Project></Projects></ProjectList>";
        WriteContainer(temp / "c", good, table);
        ContainerFile container;
        ASSERT_TRUE(container.Open(temp / "c"));
        ASSERT_EQ(container.GetProjectList().projects.Count(), 1);
        fs::create_directory(temp / "dest");
        std::u16string error;
        EXPECT_FALSE(container.ExtractProject(*container.GetProjectList().projects.Get(0),
                                              temp / "dest", nullptr, 0, 100, error))
            << wl::Utf16ToUtf8(name);
        EXPECT_EQ(wl::Utf16ToUtf8(error).rfind("Invalid item name", 0), 0u)
            << wl::Utf16ToUtf8(error);
        EXPECT_TRUE(fs::is_empty(temp / "dest"));
        EXPECT_FALSE(fs::exists(temp / "escaped"));
        EXPECT_FALSE(container.VerifyProject(*container.GetProjectList().projects.Get(0), nullptr,
                                             0, 100, error));
    }
}

TEST(ItemNames, BecomePathsOnlyWhenEveryComponentIsPlain) {
    EXPECT_EQ(wl::RelativePathFromItemName(u"\\sub\\a.dat"), fs::path("sub/a.dat"));
    // A NUL cannot come through a table of contents, which ends at the first one.
    EXPECT_EQ(wl::RelativePathFromItemName(std::u16string(u"\\a\0b", 4)), std::nullopt);
    std::u16string reason;
    EXPECT_EQ(wl::ItemNameFromRelativePath("sub/a.dat", reason), u"\\sub\\a.dat");
}

TEST(ContainerFile, UnpackRefusesRepeatedNames) {
    TempFolder temp;
    const std::string good = Image("data");
    const std::u16string item =
        u"<ProjectItem><Name>\\same</Name><Type>0</Type><Size>4</Size>"
        u"<CompSize>" +
        wl::AsciiToUtf16(std::to_string(good.size())) + u"</CompSize></ProjectItem>";
    WriteContainer(temp / "c", good,
                   u"<ProjectList><Projects><Project><Name>P</Name><Items>" + item + item +
                       u"</Items></Project></Projects></ProjectList>");
    ContainerFile container;
    ASSERT_TRUE(container.Open(temp / "c"));
    std::u16string error;
    fs::create_directory(temp / "dest");
    EXPECT_FALSE(container.ExtractProject(*container.GetProjectList().projects.Get(0),
                                          temp / "dest", nullptr, 0, 100, error));
    EXPECT_EQ(error, u"Repeated item name '\\same'");
    EXPECT_TRUE(fs::is_empty(temp / "dest"));
}

TEST(ContainerFile, UnpackRefusesSizesAndOffsetsTheFileCannotHold) {
    const std::string image = Image(wl::test::CompressibleBytes(5000, 6));
    const int64_t length = static_cast<int64_t>(image.size());
    struct Case {
        const char* what;
        int64_t size, compSize, pos;
        int32_t type;
        std::string expectedPrefix;
    };
    const Case cases[] = {
        {"fine", 5000, length, 0, 0, ""},
        {"image beyond the images", 5000, length, 1, 0, "Err reading file '"},
        {"image beyond the file", 5000, length + 1000000, 0, 0, "Err reading file '"},
        {"negative offset", 5000, length, -1, 0, "Err reading file '"},
        {"huge offset", 5000, length, INT64_MAX, 0, "Err reading file '"},
        {"compressed size over 32 bits", 5000, 1LL << 33, 0, 0, "Err reading file '"},
        {"negative compressed size", 5000, -1, 0, 0, "Err allocating comp mem '"},
        {"negative size", -1, length, 0, 0, "Err allocating mem '"},
        {"size smaller than the data", 4999, length, 0, 0, "Err decompress file '"},
        {"huge size is only room", INT64_MAX, length, 0, 0, ""},
        {"image shorter than a header", 5000, 20, 0, 0, "Err decompress file '"},
        {"unknown kind", 0, 0, 0, 7, "Unknown item type ? 7 "},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        WriteContainer(temp / "c", image, OneFileTable(u"\\f", c.size, c.compSize, c.pos, c.type));
        ContainerFile container;
        ASSERT_TRUE(container.Open(temp / "c")) << c.what;
        std::u16string error;
        fs::create_directory(temp / "dest");
        const bool ok = container.ExtractProject(*container.GetProjectList().projects.Get(0),
                                                 temp / "dest", nullptr, 0, 100, error);
        EXPECT_EQ(ok, c.expectedPrefix.empty()) << c.what;
        EXPECT_EQ(wl::Utf16ToUtf8(error).rfind(c.expectedPrefix, 0), 0u)
            << c.what << ": " << wl::Utf16ToUtf8(error);
    }
}

TEST(ContainerFile, VerifyInsistsOnTheRecordedSize) {
    TempFolder temp;
    const std::string data = "twelve bytes";
    std::string image = Image(data);
    image[0] = 10;  // the length field and the Size say 10; the stream holds 12
    WriteContainer(temp / "c", image, OneFileTable(u"\\f", 20, image.size(), 0));
    ContainerFile container;
    ASSERT_TRUE(container.Open(temp / "c"));
    std::u16string error;
    const Project& project = *container.GetProjectList().projects.Get(0);
    EXPECT_FALSE(container.VerifyProject(project, nullptr, 0, 100, error));
    EXPECT_EQ(error, u"File '\\f' restores to 12 bytes instead of 20");
    // Unpacking keeps what the stream holds.
    fs::create_directory(temp / "dest");
    ASSERT_TRUE(container.ExtractProject(project, temp / "dest", nullptr, 0, 100, error));
    EXPECT_EQ(ReadFile(temp / "dest" / "f"), data);
}

TEST(ContainerFile, UnpackNeverWritesThroughALinkInTheDestination) {
    TempFolder temp;
    WriteFile(temp / "R" / "sub" / "f", "new");
    WriteFile(temp / "R" / "g", "new");
    Pack(temp / "out.rdx", {temp / "R"});
    fs::create_directories(temp / "outside");
    WriteFile(temp / "outside" / "g", "keep");
    struct Case {
        const char* what;
        fs::path link;
        fs::path target;
    };
    const Case cases[] = {
        {"folder link", "sub", temp / "outside"},
        {"file link", "g", temp / "outside" / "g"},
    };
    for (const Case& c : cases) {
        fs::remove_all(temp / "dest");
        fs::create_directories(temp / "dest");
        if (c.target == temp / "outside") {
            fs::create_directory_symlink(c.target, temp / "dest" / c.link);
        } else {
            fs::create_symlink(c.target, temp / "dest" / c.link);
        }
        ContainerFile reader;
        ASSERT_TRUE(reader.Open(temp / "out.rdx"));
        std::u16string error;
        EXPECT_FALSE(reader.ExtractProject(*reader.GetProjectList().projects.Get(0), temp / "dest",
                                           nullptr, 0, 100, error))
            << c.what;
        EXPECT_EQ(TreeSnapshot(temp / "outside"),
                  (std::vector<std::pair<std::string, std::string>>{{"g", "keep"}}))
            << c.what;
    }
}

TEST(ContainerFile, FinishReportsAFullDiskWithItsCause) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    ContainerFile container;
    ASSERT_TRUE(container.Create("/dev/full"));
    int cause = -1;
    EXPECT_FALSE(container.Finish(cause));
    EXPECT_EQ(cause, 13);
}

// Damaged copies of a real container: cut short at every length and with bytes flipped. None may
// crash, and nothing may appear outside the destination.
TEST(ContainerFile, DamagedContainersFailCleanly) {
    TempFolder temp;
    WriteFile(temp / "R" / "a.txt", wl::test::CompressibleBytes(3000, 7));
    WriteFile(temp / "R" / "s" / "b.bin", wl::test::RandomBytes(2000, 8));
    Pack(temp / "good", {temp / "R"});
    const std::string good = ReadFile(temp / "good");
    const fs::path sandbox = temp / "sandbox";
    fs::create_directories(sandbox / "dest");

    std::mt19937 random(12345);
    std::vector<std::string> damaged;
    for (size_t cut = 0; cut < good.size(); cut += 1 + good.size() / 300) {
        damaged.push_back(good.substr(0, cut));
    }
    for (int i = 0; i < 300; ++i) {
        std::string copy = good;
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
            copy[random() % copy.size()] = static_cast<char>(random());
        }
        damaged.push_back(copy);
    }
    for (const std::string& bytes : damaged) {
        WriteFile(temp / "c", bytes);
        ContainerFile container;
        if (!container.Open(temp / "c")) {
            continue;
        }
        for (const auto& project : container.GetProjectList().projects) {
            std::u16string error;
            container.VerifyProject(*project, nullptr, 0, 100, error);
            container.ExtractProject(*project, sandbox / "dest", nullptr, 0, 100, error);
        }
        fs::remove_all(sandbox / "dest");
        ASSERT_TRUE(TreeSnapshot(sandbox).empty());
        fs::create_directories(sandbox / "dest");
    }
}

}  // namespace
}  // namespace BDL

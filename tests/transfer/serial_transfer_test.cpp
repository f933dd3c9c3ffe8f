// The serial upload and download against the simulated instrument on a virtual clock, through a
// scripted user, with real import and export files in a temporary folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/sim/sim_bench.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"
#include "tests/transfer/analyzer_test_support.h"
#include "tests/transfer/fake_ui.h"
#include "transfer/serial_download.h"
#include "transfer/serial_upload.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using Names = std::vector<std::string>;
using Projects = std::vector<std::pair<int32_t, std::string>>;

constexpr char16_t kAppTitle[] = u"Tarvek Trailpack";
constexpr char16_t kError[] = u"Error";
const Words kHandshake = {";", "COM;", "VER;"};

SimulatedInstrumentConfig Instrument(std::string description, std::string version) {
    SimulatedInstrumentConfig config;
    config.usbDescription = std::move(description);
    config.versionText = std::move(version);
    return config;
}

// Model code 1, a "Pellix S".
SimulatedInstrumentConfig Pellix() {
    return Instrument("T7300-IV", "V2.10");
}
// Model code 5, a Gresa, by its own converter or by "ML" in a T7300's version text.
SimulatedInstrumentConfig Gresa() {
    return Instrument("T7310", "G3.01");
}
SimulatedInstrumentConfig PellixWithMl() {
    return Instrument("T7300-IV", "V2.10 ML");
}

std::string Shown(const fs::path& path) {
    return Utf16ToUtf8(PathToUtf16(path));
}

// One project of an import file: its name, type and files (relative path, content).
struct ProjectSpec {
    std::u16string name;
    int32_t type;
    std::vector<std::pair<std::string, std::string>> files;
};

// Packs each project from a folder laid out under `scratch`.
void MakeImport(const fs::path& file, const fs::path& scratch,
                const std::vector<ProjectSpec>& projects) {
    BDL::ContainerFile container;
    ASSERT_TRUE(container.Create(file));
    for (size_t i = 0; i < projects.size(); ++i) {
        const fs::path folder = scratch / ("project" + std::to_string(i));
        fs::create_directories(folder);
        for (const auto& [name, content] : projects[i].files) {
            test::WriteFile(folder / name, content);
        }
        std::u16string error;
        ASSERT_NE(
            container.AddFolder(projects[i].name, projects[i].type, folder, nullptr, 0, 100, error),
            nullptr)
            << Utf16ToUtf8(error);
    }
    int cause = 0;
    ASSERT_TRUE(container.Finish(cause));
    ASSERT_TRUE(container.Close());
}

// The files of the export's only project, unpacked into `destination`, as name -> content; empty
// unless there is exactly one project.
std::vector<std::pair<std::string, std::string>> ExtractOnlyProject(const fs::path& file,
                                                                    const fs::path& destination) {
    BDL::ContainerFile container;
    std::vector<std::pair<std::string, std::string>> files;
    if (!container.Open(file) || container.GetProjectList().projects.Count() != 1) {
        return files;
    }
    fs::create_directories(destination);
    std::u16string error;
    if (!container.ExtractProject(*container.GetProjectList().projects.Get(0), destination, nullptr,
                                  0, 100, error)) {
        return files;
    }
    for (const std::string& name : test::NamesIn(destination)) {
        files.emplace_back(name, test::ReadFile(destination / name));
    }
    return files;
}

// The permission bits of what stands at `path` itself.
unsigned Mode(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class SerialTransferTest : public testing::Test {
  protected:
    SerialTransferTest() { fs::create_directories(temp); }

    // Every message comes after the progress strip has closed.
    void TearDown() override {
        for (const test::FakeUi::Shown& shown : ui.shown) {
            EXPECT_FALSE(shown.progressOpen) << Utf16ToUtf8(shown.message.text);
        }
    }

    void ExpectOneMessage(const std::string& text, const std::u16string& caption,
                          MessageIcon icon) {
        ASSERT_EQ(ui.Texts(), Words{text});
        EXPECT_EQ(ui.shown[0].message.caption, caption);
        EXPECT_EQ(ui.shown[0].message.icon, icon);
        EXPECT_EQ(ui.shown[0].message.buttons, MessageButtons::kOk);
        EXPECT_TRUE(ui.shown[0].message.owned);
    }

    test::TempFolder folder;
    // Stands for the user's own temporary folder.
    fs::path temp = folder / "tmp";
    test::FakeUi ui;
};

// --- Upload ----------------------------------------------------------------------------------

class SerialUploadTest : public SerialTransferTest {
  protected:
    // An import holding one project "R1" with this type and route block.
    fs::path Import(int32_t type, const std::string& route, const std::string& name = "one") {
        const fs::path file = folder / (name + ".rvi");
        MakeImport(file, folder / name, {{u"R1", type, {{"route.bdl", route}}}});
        return file;
    }

    // The erase question, then the closing message.
    void ExpectQuestionThen(const std::string& text, const std::u16string& caption,
                            MessageIcon icon) {
        ASSERT_EQ(ui.Texts(), (Words{"Instrument memory will be erased !\r\nContinue?", text}));
        const Message& question = ui.shown[0].message;
        EXPECT_EQ(question.caption, kAppTitle);
        EXPECT_EQ(question.icon, MessageIcon::kQuestion);
        EXPECT_EQ(question.buttons, MessageButtons::kYesNo);
        EXPECT_EQ(ui.shown[1].message.caption, caption);
        EXPECT_EQ(ui.shown[1].message.icon, icon);
    }

    fs::path routeInWork = temp / "rvi" / "route.bdl";
    const std::string route = test::PatternBytes(10000, 3);
};

TEST_F(SerialUploadTest, CancelOrAFileThatIsNoContainerEndsSilently) {
    test::WriteFile(folder / "text.rvi", "just some text, not a container");
    const std::optional<fs::path> choices[] = {std::nullopt, folder / "text.rvi",
                                               folder / "missing.rvi"};
    for (const auto& choice : choices) {
        test::SimBench bench(Pellix());
        test::FakeUi user;
        user.files = {choice};
        user.answers = {MessageAnswer::kYes};
        UploadToSerialInstrument(user, bench.pc, temp);

        ASSERT_EQ(user.filters.size(), 1u);
        EXPECT_EQ(user.filters[0].description, u"Import (*.rvi)");
        EXPECT_EQ(user.filters[0].pattern, u"*.rvi");
        EXPECT_EQ(user.filters[0].defaultExtension, u"*.rvi");
        EXPECT_TRUE(user.shown.empty());
        EXPECT_EQ(user.progressOpened, 0);
        EXPECT_TRUE(bench.instrument.receivedWords().empty());
        EXPECT_FALSE(bench.driver.isOpen());
        EXPECT_FALSE(fs::exists(temp / "rvi"));
        // The window says nothing; a script is told why.
        EXPECT_EQ(user.silentFailures.size(), choice ? 1u : 0u);
    }
}

TEST_F(SerialUploadTest, AnImportWithoutExactlyOneProjectIsRefusedBeforeTheInstrument) {
    struct Case {
        std::vector<ProjectSpec> projects;
        const char* text;
    };
    const Case cases[] = {
        {{}, "Not a Pellix S rd file?)(0)"},
        {{{u"R1", 1, {{"route.bdl", "one"}}}, {u"R2", 1, {{"route.bdl", "two"}}}},
         "Not a Pellix S rd file?)(2)"},
    };
    for (const Case& c : cases) {
        test::SimBench bench(Pellix());
        test::FakeUi user;
        const fs::path file = folder / "many.rvi";
        MakeImport(file, folder / "many", c.projects);
        user.files = {file};
        user.answers = {MessageAnswer::kYes};
        UploadToSerialInstrument(user, bench.pc, temp);

        ASSERT_EQ(user.Texts(), Words{c.text});
        EXPECT_EQ(user.shown[0].message.caption, kError);
        EXPECT_EQ(user.shown[0].message.icon, MessageIcon::kError);
        EXPECT_EQ(user.progressOpened, 0);
        EXPECT_TRUE(bench.instrument.receivedWords().empty());
    }
}

TEST_F(SerialUploadTest, RouteTypeMustSuitTheModelAndIsCheckedBeforeAnyErase) {
    struct Case {
        const char* name;
        SimulatedInstrumentConfig config;
        int32_t type;
        // Empty when the route is taken.
        std::string refusal;
    };
    const Case cases[] = {
        {"pellix takes type 1", Pellix(), 1, ""},
        {"gresa takes type 5", Gresa(), 5, ""},
        {"ML in the version makes a gresa", PellixWithMl(), 5, ""},
        {"pellix refuses type 5", Pellix(), 5, "Can't store Gresa route into Pellix instrument"},
        {"pellix refuses type 3", Pellix(), 3, "Not a Pellix S rd file?) - 2(3)"},
        {"gresa refuses type 1", Gresa(), 1, "Can't store Pellix route into Gresa instrument"},
        {"gresa refuses type 2", Gresa(), 2, "Not a Pellix S rd file?) - 2(2)"},
        {"ML gresa refuses type 1", PellixWithMl(), 1,
         "Can't store Pellix route into Gresa instrument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::SimBench bench(c.config);
        test::FakeUi user;
        user.files = {Import(c.type, route)};
        user.answers = {MessageAnswer::kYes};
        UploadToSerialInstrument(user, bench.pc, temp);

        ASSERT_EQ(user.shown.size(), 2u);
        EXPECT_EQ(user.Texts()[0], "Instrument memory will be erased !\r\nContinue?");
        const Message& closing = user.shown[1].message;
        EXPECT_FALSE(user.shown[1].progressOpen);
        EXPECT_EQ(user.Positions(), (std::vector<double>{10, 20, 30}));
        if (c.refusal.empty()) {
            EXPECT_EQ(Utf16ToUtf8(closing.text), "Route 'R1' was uploaded into instrument");
            EXPECT_EQ(closing.caption, kAppTitle);
            EXPECT_EQ(closing.icon, MessageIcon::kInformation);
            EXPECT_TRUE(bench.instrument.routesErased());
            EXPECT_TRUE(bench.instrument.dataErased());
            EXPECT_TRUE(bench.instrument.uploadComplete());
            EXPECT_EQ(bench.instrument.receivedRouteBlock(), route);
            EXPECT_EQ(bench.instrument.receivedWords().back(), "STP;");
            EXPECT_FALSE(bench.instrument.inCommunicationMode());
            EXPECT_FALSE(bench.driver.isOpen());
        } else {
            EXPECT_EQ(Utf16ToUtf8(closing.text), c.refusal);
            EXPECT_EQ(closing.caption, kError);
            EXPECT_EQ(closing.icon, MessageIcon::kError);
            // After the hand-shake, before any erase; the instrument is left connected.
            EXPECT_EQ(bench.instrument.receivedWords(), kHandshake);
            EXPECT_FALSE(bench.instrument.routesErased());
            EXPECT_FALSE(bench.instrument.dataErased());
            EXPECT_TRUE(bench.driver.isOpen());
        }
    }
}

TEST_F(SerialUploadTest, AfterARefusalTheNextUploadStillGetsThrough) {
    test::SimBench bench(Pellix());
    ui.files = {Import(5, "gresa route", "gresa"), Import(1, route, "pellix")};
    ui.answers = {MessageAnswer::kYes, MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);
    UploadToSerialInstrument(ui, bench.pc, temp);

    ASSERT_EQ(ui.Texts().size(), 4u);
    EXPECT_EQ(ui.Texts()[1], "Can't store Gresa route into Pellix instrument");
    EXPECT_EQ(ui.Texts()[3], "Route 'R1' was uploaded into instrument");
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), route);
}

TEST_F(SerialUploadTest, TheRouteOfTheImportIsSentWholeFromAFreshWorkFolder) {
    test::SimBench bench(Pellix());
    test::WriteFile(temp / "rvi" / "old" / "left.bdl", "from an earlier upload");
    const fs::path file = folder / "two-files.rvi";
    MakeImport(file, folder / "import",
               {{u"North hall", 1, {{"route.bdl", route}, {"sub/notes.txt", "notes"}}}});
    ui.files = {file};
    ui.answers = {MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);

    ExpectQuestionThen("Route 'North hall' was uploaded into instrument", kAppTitle,
                       MessageIcon::kInformation);
    EXPECT_EQ(bench.instrument.receivedRouteBlock(), route);
    EXPECT_EQ(bench.instrument.acknowledgedPieces(), 3u);
    EXPECT_EQ(test::NamesIn(temp / "rvi"), (Names{"route.bdl", "sub"}));
    EXPECT_EQ(test::ReadFile(routeInWork), route);
    // The temporary folder may be shared: the route block is the user's alone.
    EXPECT_EQ(Mode(temp / "rvi"), 0700u);
    EXPECT_EQ(Mode(routeInWork), 0600u);
}

TEST_F(SerialUploadTest, AnsweringNoSendsNothing) {
    test::SimBench bench(Pellix());
    ui.files = {Import(1, route)};
    ui.answers = {MessageAnswer::kNo};
    UploadToSerialInstrument(ui, bench.pc, temp);

    EXPECT_EQ(ui.Texts(), Words{"Instrument memory will be erased !\r\nContinue?"});
    EXPECT_EQ(ui.progressOpened, 0);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
    EXPECT_FALSE(bench.driver.isOpen());
}

TEST_F(SerialUploadTest, AnInstrumentThatDoesNotAnswerIsNotRunning) {
    SimulatedInstrumentConfig silent = Pellix();
    silent.faults.noAnswer = true;
    test::SimBench bench(silent);
    ui.files = {Import(1, route)};
    ui.answers = {MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);

    ExpectQuestionThen("Instrument is not running.", kError, MessageIcon::kError);
    EXPECT_EQ(ui.Positions(), std::vector<double>{10});
    EXPECT_FALSE(bench.instrument.routesErased());
    EXPECT_FALSE(bench.driver.isOpen());
}

TEST_F(SerialUploadTest, AnUploadTheInstrumentDoesNotAcknowledgeFails) {
    SimulatedInstrumentConfig deaf = Pellix();
    deaf.faults.missingAck = 2;
    test::SimBench bench(deaf);
    ui.files = {Import(1, route)};
    ui.answers = {MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);

    ExpectQuestionThen("Error appeared while uploading route into instrument", kAppTitle,
                       MessageIcon::kError);
    EXPECT_FALSE(bench.instrument.uploadComplete());
    EXPECT_FALSE(bench.driver.isOpen());
}

TEST_F(SerialUploadTest, ARouteFileThatCannotBeReadIsShownWithTheReadersError) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;
        std::string readerError;
    };
    const std::string shown = Shown(routeInWork);
    const Case cases[] = {
        {{{"other.bdl", "no route here"}},
         "Cant open file " + shown + " - 2 (No such file or directory)"},
        // An empty route block, as a download from an instrument without routes stores it, is
        // never sent.
        {{{"route.bdl", ""}}, "Err reading file " + shown + " - 61 (No data available)"},
    };
    for (const Case& c : cases) {
        test::SimBench bench(Pellix());
        test::FakeUi user;
        const fs::path file = folder / "odd.rvi";
        MakeImport(file, folder / "odd", {{u"R1", 1, c.files}});
        user.files = {file};
        user.answers = {MessageAnswer::kYes};
        UploadToSerialInstrument(user, bench.pc, temp);

        ASSERT_EQ(user.Texts(),
                  Words{"Can't create route file\r\n" + shown + "\r\n" + c.readerError});
        EXPECT_EQ(user.shown[0].message.caption, kError);
        EXPECT_EQ(user.shown[0].message.icon, MessageIcon::kError);
        EXPECT_TRUE(bench.instrument.receivedWords().empty());
    }
}

TEST_F(SerialUploadTest, ARouteFileOverTheLimitIsRefusedUnread) {
    // Sparse on the PC's side; the unpacked copy is real, but zeros cost little to restore.
    const fs::path source = folder / "big" / "route.bdl";
    fs::create_directories(source.parent_path());
    test::WriteFile(source, "");
    fs::resize_file(source, kLargestSerialRoute + 1);
    BDL::ContainerFile container;
    const fs::path file = folder / "big.rvi";
    ASSERT_TRUE(container.Create(file));
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R1", 1, source.parent_path(), nullptr, 0, 100, error), nullptr);
    int cause = 0;
    ASSERT_TRUE(container.Finish(cause));
    ASSERT_TRUE(container.Close());
    fs::remove(source);

    test::SimBench bench(Pellix());
    ui.files = {file};
    ui.answers = {MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);

    const std::string shown = Shown(routeInWork);
    ExpectOneMessage("Can't create route file\r\n" + shown + "\r\nFile " + shown +
                         " too big (100000000, 100000001)",
                     kError, MessageIcon::kError);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
}

TEST_F(SerialUploadTest, AWorkFolderThatCannotBeMadeIsShownWithItsPath) {
    // With the reason: the temporary folder is missing, or there is none at all.
    const std::pair<fs::path, std::string> places[] = {
        {folder / "missing" / "tmp",
         "2 : The file couldn't be located. (No such file or directory)"},
        {fs::path(), "There is no temporary folder to use."}};
    for (const auto& [place, reason] : places) {
        test::SimBench bench(Pellix());
        test::FakeUi user;
        user.files = {Import(1, route)};
        user.answers = {MessageAnswer::kYes};
        UploadToSerialInstrument(user, bench.pc, place);

        ASSERT_EQ(user.Texts(), Words{"Can't create temp. directory\r\n" + Shown(place / "rvi") +
                                      "\r\n" + reason});
        EXPECT_EQ(user.shown[0].message.caption, kError);
        EXPECT_TRUE(bench.instrument.receivedWords().empty());
    }
    EXPECT_FALSE(fs::exists("rvi")) << "nothing beside the program";
}

TEST_F(SerialUploadTest, ADamagedImportIsShownWithTheUnpackersError) {
    const fs::path file = Import(1, route);
    BDL::ContainerFile reader;
    ASSERT_TRUE(reader.Open(file));
    const BDL::ProjectItem& item = *reader.GetProjectList().projects.Get(0)->items.Get(0);
    const int64_t compSize = item.compSize;
    const int64_t size = item.size;
    reader.Close();
    // The zlib stream's header, just past the image's own 68-byte header, is spoilt.
    std::string bytes = test::ReadFile(file);
    bytes.replace(68, 4, "\xff\xff\xff\xff");
    test::WriteFile(file, bytes);

    test::SimBench bench(Pellix());
    ui.files = {file};
    ui.answers = {MessageAnswer::kYes};
    UploadToSerialInstrument(ui, bench.pc, temp);

    ExpectOneMessage("Can't create route file\r\nErr decompress file '" + Shown(routeInWork) +
                         "' " + std::to_string(compSize) + "/" + std::to_string(size) + "\r\nxxxx",
                     kError, MessageIcon::kError);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
}

TEST_F(SerialUploadTest, AFullDiskWhileUnpackingIsShownWithItsCause) {
    const fs::path file = Import(1, test::RandomBytes(20000, 5));
    test::SimBench bench(Pellix());
    ui.files = {file};
    ui.answers = {MessageAnswer::kYes};
    {
        test::FileSizeLimit full(4096);
        UploadToSerialInstrument(ui, bench.pc, temp);
    }

    ExpectOneMessage("Can't create route file\r\n13 : The disk is full.\r\nxxxx", kError,
                     MessageIcon::kError);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
}

// --- Download --------------------------------------------------------------------------------

class SerialDownloadTest : public SerialTransferTest {
  protected:
    SerialDownloadTest() { fs::create_directories(pc); }

    static SimulatedInstrumentConfig WithBlocks(SimulatedInstrumentConfig config,
                                                std::string routeBlock, std::string dataBlock) {
        config.routeBlock = std::move(routeBlock);
        config.dataBlock = std::move(dataBlock);
        return config;
    }

    // What the export holds, unpacked into a folder of its own.
    std::vector<std::pair<std::string, std::string>> Exported(const std::string& name) {
        return ExtractOnlyProject(exportFile, folder / name);
    }

    fs::path pc = folder / "pc";
    fs::path exportFile = pc / "day.rvx";
    fs::path work = temp / "rvx";
    const std::string route = test::PatternBytes(5000, 1);
    const std::string data = test::CompressibleBytes(30000, 2);
};

TEST_F(SerialDownloadTest, CancelTouchesNeitherInstrumentNorFiles) {
    test::SimBench bench(WithBlocks(Pellix(), route, data));
    ui.files = {std::nullopt};
    DownloadFromSerialInstrument(ui, bench.pc, temp);

    ASSERT_EQ(ui.filters.size(), 1u);
    EXPECT_EQ(ui.filters[0].description, u"Export (*.rvx)");
    EXPECT_EQ(ui.filters[0].pattern, u"*.rvx");
    EXPECT_EQ(ui.filters[0].defaultExtension, u"*.rvx");
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ui.progressOpened, 0);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
    EXPECT_FALSE(fs::exists(work));
    EXPECT_TRUE(test::NamesIn(pc).empty());
}

TEST_F(SerialDownloadTest, BothBlocksBecomeTheProjectRouteOfTheModelsTypeEvenWhenEmpty) {
    struct Case {
        const char* name;
        SimulatedInstrumentConfig config;
        int32_t type;
        std::string route;
        std::string data;
    };
    // An instrument that holds routes but no measurements yet hands out an empty data block.
    const Case cases[] = {
        {"pellix", Pellix(), 1, route, data},
        {"gresa", Gresa(), 5, route, data},
        {"ML in the version", PellixWithMl(), 5, route, data},
        {"no data yet", Pellix(), 1, route, ""},
        {"no routes", Gresa(), 5, "", data},
        {"nothing at all", Pellix(), 1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::SimBench bench(WithBlocks(c.config, c.route, c.data));
        test::FakeUi user;
        test::WriteFile(exportFile, "an earlier export");
        user.files = {exportFile};
        DownloadFromSerialInstrument(user, bench.pc, temp);

        ASSERT_EQ(user.Texts(), Words{"Routes saved into '" + Shown(exportFile) + "'"});
        EXPECT_EQ(user.shown[0].message.caption, kAppTitle);
        EXPECT_EQ(user.shown[0].message.icon, MessageIcon::kInformation);
        EXPECT_FALSE(user.shown[0].progressOpen);
        EXPECT_EQ(test::ProjectsOf(exportFile), (Projects{{c.type, "Route"}}));
        EXPECT_EQ(Exported(c.name), (std::vector<std::pair<std::string, std::string>>{
                                        {"data.bdl", c.data}, {"route.bdl", c.route}}));
        EXPECT_EQ(test::NamesIn(pc), Names{"day.rvx"});
        // An empty block is announced as length 0 and not asked for with "ACK;".
        Words session = kHandshake;
        for (const auto& [command, block] : {std::pair{"TXR;", c.route}, {"TXD;", c.data}}) {
            session.push_back(command);
            if (!block.empty()) {
                session.push_back("ACK;");
            }
        }
        session.push_back("STP;");
        EXPECT_EQ(bench.instrument.receivedWords(), session);
        EXPECT_TRUE(bench.instrument.log().empty());
        EXPECT_FALSE(bench.instrument.inCommunicationMode());
        EXPECT_FALSE(bench.driver.isOpen());
    }
}

TEST_F(SerialDownloadTest, ProgressRunsThroughHandshakeBlocksFilesAndPacking) {
    test::SimBench bench(WithBlocks(Pellix(), route, data));
    ui.files = {exportFile};
    DownloadFromSerialInstrument(ui, bench.pc, temp);

    const std::vector<double> positions = ui.Positions();
    ASSERT_GE(positions.size(), 6u);
    EXPECT_THAT(std::vector<double>(positions.begin(), positions.begin() + 3),
                testing::ElementsAre(10, 20, 30));
    const auto eighty = std::find(positions.begin(), positions.end(), 80.0);
    ASSERT_NE(eighty, positions.end());
    ASSERT_NE(eighty + 1, positions.end());
    EXPECT_EQ(*(eighty + 1), 90);
    // The blocks between 30 and 70, the packing from 90 up to 100.
    for (auto at = positions.begin() + 3; at != eighty; ++at) {
        EXPECT_GT(*at, 30);
        EXPECT_LE(*at, 70);
    }
    EXPECT_GT(eighty - positions.begin(), 3);
    EXPECT_NE(eighty + 2, positions.end());
    for (auto at = eighty + 2; at != positions.end(); ++at) {
        EXPECT_GE(*at, 90);
        EXPECT_LE(*at, 100);
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
}

TEST_F(SerialDownloadTest, TheExportIsNeverWrittenIntoTheWorkFolder) {
    test::SimBench bench(WithBlocks(Pellix(), route, data));
    ui.files = {work / "day.rvx"};
    EXPECT_EQ(DownloadFromSerialInstrument(ui, bench.pc, temp), TransferOutcome::kFailed);
    ExpectOneMessage("Can't create route file\r\n" + Shown(work / "day.rvx") +
                         "\r\nThe export file cannot be written inside " + Shown(work) +
                         ", a folder it packs",
                     kError, MessageIcon::kError);
    EXPECT_TRUE(bench.instrument.receivedWords().empty());
}

TEST_F(SerialDownloadTest, ASecondDownloadReplacesTheWorkFolder) {
    // Someone sharing the temporary folder put a link where the work folder goes.
    test::WriteFile(folder / "theirs" / "keep.bdl", "theirs");
    fs::create_directory_symlink(folder / "theirs", work);
    {
        test::SimBench first(WithBlocks(Pellix(), "first route", "first data"));
        ui.files = {pc / "first.rvx"};
        DownloadFromSerialInstrument(ui, first.pc, temp);
    }
    EXPECT_EQ(test::NamesIn(folder / "theirs"), Names{"keep.bdl"});
    test::WriteFile(work / "left" / "over.bdl", "from elsewhere");
    test::SimBench second(WithBlocks(Gresa(), route, data));
    ui.files = {exportFile};
    DownloadFromSerialInstrument(ui, second.pc, temp);

    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(test::NamesIn(work), (Names{"data.bdl", "route.bdl"}));
    EXPECT_EQ(test::ReadFile(work / "route.bdl"), route);
    EXPECT_EQ(test::ReadFile(work / "data.bdl"), data);
    // The temporary folder may be shared: the blocks are the user's alone.
    EXPECT_EQ(Mode(work), 0700u);
    EXPECT_EQ(Mode(work / "route.bdl"), 0600u);
    EXPECT_EQ(Mode(work / "data.bdl"), 0600u);
    EXPECT_EQ(Exported("second"), (std::vector<std::pair<std::string, std::string>>{
                                      {"data.bdl", data}, {"route.bdl", route}}));
    EXPECT_EQ(ExtractOnlyProject(pc / "first.rvx", folder / "first"),
              (std::vector<std::pair<std::string, std::string>>{{"data.bdl", "first data"},
                                                                {"route.bdl", "first route"}}));
}

// Each failure shows its message after the strip has closed and leaves an earlier export of that
// name as it was, with no staged file beside it.
struct DownloadFailure {
    const char* name;
    SimulatedInstrumentConfig config;
    std::string text;
    std::u16string caption;
    // After the hand-shake the instrument is let go, except where the sequence keeps it.
    bool staysConnected = false;
};

class SerialDownloadFailureTest : public SerialDownloadTest {
  protected:
    // Runs the download onto an earlier export and checks what every failure has in common.
    void RunFailing(const DownloadFailure& failure, const fs::path& tempFolder,
                    const fs::path& target) {
        SCOPED_TRACE(failure.name);
        test::SimBench bench(failure.config);
        test::WriteFile(exportFile, "an earlier export");
        ui = test::FakeUi();
        ui.onReport = [this] {
            if (onReport) {
                onReport(ui.reports.back().position);
            }
        };
        ui.files = {target};
        DownloadFromSerialInstrument(ui, bench.pc, tempFolder);
        limit.reset();

        ASSERT_EQ(ui.Texts(), Words{failure.text});
        EXPECT_EQ(ui.shown[0].message.caption, failure.caption);
        EXPECT_EQ(ui.shown[0].message.icon, MessageIcon::kError);
        EXPECT_FALSE(ui.shown[0].progressOpen);
        EXPECT_EQ(test::ReadFile(exportFile), "an earlier export");
        EXPECT_EQ(test::NamesIn(pc), Names{"day.rvx"});
        EXPECT_EQ(bench.driver.isOpen(), failure.staysConnected);
    }

    // Acts at each progress position.
    std::function<void(double)> onReport;
    std::optional<test::FileSizeLimit> limit;
};

TEST_F(SerialDownloadFailureTest, TheInstrumentFails) {
    SimulatedInstrumentConfig silent = WithBlocks(Pellix(), route, data);
    silent.faults.noAnswer = true;
    SimulatedInstrumentConfig cutShort = WithBlocks(Pellix(), route, data);
    cutShort.faults.silenceAfterBytes = 1000;
    const DownloadFailure failures[] = {
        {"no answer", silent, "Instrument is not running.", kError},
        {"block cut short", cutShort, "Error appeared when downloading data from Pellix S", kError},
    };
    for (const DownloadFailure& failure : failures) {
        RunFailing(failure, temp, exportFile);
    }
}

TEST_F(SerialDownloadFailureTest, ABlockThatCannotBeStoredIsShownWithTheWritersError) {
    struct Case {
        const char* file;
        std::string route;
        std::string data;
    };
    const Case cases[] = {
        {"route.bdl", route, ""},
        {"route.bdl", "", data},
        {"data.bdl", route, ""},
        {"data.bdl", "", ""},
    };
    for (const Case& c : cases) {
        // A folder takes the file's place at the first report after the hand-shake: while a
        // block comes in, or at 80 between the two files when both blocks are empty.
        onReport = [this, &c](double position) {
            if (position > 30) {
                fs::create_directories(work / c.file);
            }
        };
        const std::string shown = Shown(work / c.file);
        // Only the blocks' files may be written; the instrument is let go after both.
        RunFailing({c.file, WithBlocks(Pellix(), c.route, c.data),
                    "Can't create route file\r\n" + shown + "\r\nCant create file " + shown +
                        " - 17 (File exists)",
                    kError, true},
                   temp, exportFile);
    }
}

TEST_F(SerialDownloadFailureTest, AWorkFolderThatCannotBeMadeKeepsTheInstrumentConnected) {
    const fs::path nowhere = folder / "missing" / "tmp";
    RunFailing({"work folder", WithBlocks(Pellix(), route, data),
                "Can't create temp. directory\r\n" + Shown(nowhere / "rvx") +
                    "\r\n2 : The file couldn't be located. (No such file or directory)",
                kError, true},
               nowhere, exportFile);
    EXPECT_EQ(ui.Positions(), (std::vector<double>{10, 20, 30}));
}

TEST_F(SerialDownloadFailureTest, AnExportThatCannotBeCreatedIsShownWithTheSystemsReason) {
    const fs::path unreachable = folder / "gone" / "day.rvx";
    RunFailing({"no folder", WithBlocks(Pellix(), route, data),
                "Can't create route file\r\n" + Shown(unreachable) +
                    "\r\n2 : The file couldn't be located. (No such file or directory)",
                kError},
               temp, unreachable);
}

TEST_F(SerialDownloadFailureTest, APackingFailureLeavesNoPartialExport) {
    // The work folder vanishes once both blocks are written, before they are packed.
    onReport = [this](double position) {
        if (position == 90) {
            fs::remove_all(work);
        }
    };
    RunFailing(
        {"work folder gone", WithBlocks(Pellix(), route, data),
         "Can't create route file\r\n" + Shown(exportFile) + "\r\nErr enumerating dir content " +
             Shown(work) + " - 2 : The file couldn't be located. (No such file or directory)",
         kError},
        temp, exportFile);
}

TEST_F(SerialDownloadFailureTest, AFullDiskWhilePackingOrFinishingIsShownWithItsCause) {
    // The images' size, from a download that succeeds: the table of contents starts there.
    {
        test::SimBench bench(WithBlocks(Pellix(), route, data));
        ui.files = {folder / "trial.rvx"};
        DownloadFromSerialInstrument(ui, bench.pc, temp);
    }
    BDL::ContainerFile trial;
    ASSERT_TRUE(trial.Open(folder / "trial.rvx"));
    const int64_t images = trial.TableOffset();
    ASSERT_GT(images, 0);
    trial.Close();

    // Room for a part of the first image, then for every image but not the table. The message
    // names the export file as chosen, not the staged file that was being written.
    const std::string text =
        "Error saving route(s) into " + Shown(exportFile) + "\r\n13 : The disk is full.";
    for (const auto& [room, struck] :
         {std::pair{int64_t{100}, "\r\n" + Shown(exportFile)}, std::pair{images, std::string()}}) {
        onReport = [this, room](double position) {
            if (position == 90) {
                limit.emplace(static_cast<uint64_t>(room));
            }
        };
        RunFailing({"full disk", WithBlocks(Pellix(), route, data), text + struck, kAppTitle}, temp,
                   exportFile);
    }
}

TEST_F(SerialDownloadFailureTest, AnExportThatCannotTakeTheTargetsPlaceIsShownWithTheReason) {
    // A folder in the target's place: everything is written, the rename over it fails.
    const fs::path occupied = folder / "elsewhere" / "taken.rvx";
    fs::create_directories(occupied / "inside");
    RunFailing({"folder in the way", WithBlocks(Pellix(), route, data),
                "Error saving route(s) into " + Shown(occupied) +
                    "\r\n5 : The file couldn't be accessed. (Is a directory)",
                kAppTitle},
               temp, occupied);
    EXPECT_EQ(test::NamesIn(occupied.parent_path()), Names{"taken.rvx"});
    EXPECT_EQ(test::NamesIn(occupied), Names{"inside"});
}

}  // namespace
}  // namespace wl

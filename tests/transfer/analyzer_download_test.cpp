// The analyzer download on a drive laid out in a temporary folder, through a scripted user.

#include "transfer/analyzer_download.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/utf16.h"
#include "tests/support/file_size_limit.h"
#include "tests/transfer/analyzer_test_support.h"
#include "tests/transfer/fake_ui.h"

namespace wl {
namespace {

using testing::ElementsAre;
using Projects = std::vector<std::pair<int32_t, std::string>>;

class AnalyzerDownloadTest : public testing::Test {
  protected:
    AnalyzerDownloadTest() {
        for (const char* route : {"R2", "R10", "a1"}) {
            test::WriteFile(drive / "TKBRoute" / route / "route.dat",
                            std::string("route ") + route);
        }
        test::WriteFile(drive / "TKBanalyser/D1/P1.csv", "1;2;3\n");
        test::WriteFile(drive / "TKBanalyser/D1/sub/P2.csv", "4;5;6\n");
    }

    std::string Shown(const std::filesystem::path& path) const {
        return Utf16ToUtf8(PathToUtf16(path));
    }

    test::TempFolder folder;
    std::filesystem::path drive = folder / "drive/";
    std::filesystem::path pc = folder / "pc";
    std::filesystem::path exportFile = pc / "day.rdx";
    DetectedInstrument tkb{kInstrumentAnalyzerTKB, drive};
    test::FakeUi ui;
};

TEST(ListAnalyzerFolders, RoutesThenDataInOrdinalOrderFromTheModelsFolders) {
    test::TempFolder folder;
    for (const char* path : {"TKBRoute/R2", "TKBRoute/R10", "TKBRoute/a1", "TKBRoute/B",
                             "TKBanalyser/D1", "TKA/route/T1", "TKA/analyzer/M1", "route/X"}) {
        std::filesystem::create_directories(folder / path);
    }
    test::WriteFile(folder / "TKBRoute/file.txt", "not a folder");
    struct Case {
        int32_t kind;
        std::filesystem::path base;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {kInstrumentAnalyzerTKB, folder.path(), {"B", "R10", "R2", "a1", "D1"}},
        {kInstrumentAnalyzerTKC, folder.path(), {"B", "R10", "R2", "a1", "D1"}},
        {kInstrumentAnalyzerTKA, folder / "TKA", {"T1", "M1"}},
        {kInstrumentSerial, folder.path(), {}},
        {kInstrumentAnalyzerTKB, folder / "empty", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const RouteEntry& entry : ListAnalyzerFolders(c.kind, c.base)) {
            names.push_back(Utf16ToUtf8(entry.name));
            const bool route = entry.kind == kRouteKindRoute;
            EXPECT_EQ(entry.path, PathToUtf16(c.base /
                                              (route && c.kind == kInstrumentAnalyzerTKA ? "route"
                                               : route                            ? "TKBRoute"
                                               : c.kind == kInstrumentAnalyzerTKA ? "analyzer"
                                                                                  : "TKBanalyser") /
                                              Utf16ToPath(entry.name).value()));
        }
        EXPECT_EQ(names, c.names) << c.kind;
    }
}

// A folder that is there but cannot be listed offers nothing, as the system always did; why is
// handed on for a script to tell.
TEST(ListAnalyzerFolders, AFolderThatCannotBeListedIsReported) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "TKBRoute" / "R1");
    test::WriteFile(folder / "TKBanalyser", "a file where the data folder should be");
    std::vector<std::u16string> unlisted;
    const std::vector<RouteEntry> entries =
        ListAnalyzerFolders(kInstrumentAnalyzerTKB, folder.path(), &unlisted);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, u"R1");
    EXPECT_EQ(unlisted, std::vector<std::u16string>{
                            u"Can't list folder " + PathToUtf16(folder / "TKBanalyser") +
                            u" - 3 : All or part of the path is invalid. (Not a directory)"});
}

TEST_F(AnalyzerDownloadTest, PacksTheTickedFoldersAsProjectsOfTheirKind) {
    ui.files = {exportFile};
    std::filesystem::create_directories(pc);
    EXPECT_EQ(DownloadFromAnalyzer(ui, tkb), TransferOutcome::kDone);

    ASSERT_EQ(ui.filters.size(), 1u);
    EXPECT_EQ(ui.filters[0].description, u"Export (*.rdx)");
    EXPECT_EQ(ui.filters[0].pattern, u"*.rdx");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.Texts()[0], "Routes saved into '" + Shown(exportFile) + "'");
    EXPECT_EQ(ui.shown[0].message.caption, u"Tarvek Trailpack");
    EXPECT_EQ(ui.shown[0].message.icon, MessageIcon::kInformation);
    EXPECT_FALSE(ui.shown[0].progressOpen);
    EXPECT_EQ(test::ProjectsOf(exportFile),
              (Projects{{1, "R10"}, {1, "R2"}, {1, "a1"}, {2, "D1"}}));

    BDL::ContainerFile container;
    ASSERT_TRUE(container.Open(exportFile));
    std::u16string error;
    const BDL::Project* d1 = container.GetProjectList().projects.Get(3);
    std::filesystem::create_directories(folder / "back");
    ASSERT_TRUE(container.ExtractProject(*d1, folder / "back", nullptr, 0, 100, error));
    EXPECT_EQ(test::ReadFile(folder / "back/sub/P2.csv"), "4;5;6\n");
    // The analyzer is only read.
    EXPECT_EQ(test::NamesIn(drive / "TKBRoute"), (std::vector<std::string>{"R10", "R2", "a1"}));
}

TEST_F(AnalyzerDownloadTest, ReportsEachFolderAtItsThird) {
    std::filesystem::create_directories(pc);
    ui.files = {exportFile};
    ui.select = [](std::vector<RouteEntry>& entries) {
        entries.erase(entries.begin());  // R10 stays on the analyzer
        return true;
    };
    DownloadFromAnalyzer(ui, tkb);
    std::vector<std::pair<std::string, double>> starts;
    for (size_t i = 0; i + 1 < ui.reports.size(); ++i) {
        if (!ui.reports[i].text.empty()) {
            starts.emplace_back(Utf16ToUtf8(ui.reports[i].text), ui.reports[i + 1].position);
        }
    }
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], std::make_pair(std::string("R2"), 0.0));
    EXPECT_EQ(starts[1].first, "a1");
    EXPECT_NEAR(starts[1].second, 33.33, 0.01);
    EXPECT_EQ(starts[2].first, "D1");
    EXPECT_NEAR(starts[2].second, 66.67, 0.01);
    for (const double position : ui.Positions()) {
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 100);
    }
    EXPECT_EQ(test::ProjectsOf(exportFile), (Projects{{1, "R2"}, {1, "a1"}, {2, "D1"}}));
}

TEST_F(AnalyzerDownloadTest, NothingToTickOrNothingTickedIsAnErrorWithoutOwner) {
    struct Case {
        DetectedInstrument analyzer;
        bool untickAll;
    };
    const Case cases[] = {
        {{kInstrumentAnalyzerTKB, folder / "bare/"}, false},
        {{kInstrumentAnalyzerTKA, drive / "TKA"}, false},
        {{kInstrumentAnalyzerTKB, drive}, true},
    };
    for (const Case& c : cases) {
        test::FakeUi user;
        user.files = {exportFile};
        user.select = [&](std::vector<RouteEntry>& entries) {
            if (c.untickAll) {
                entries.clear();
            }
            return true;
        };
        DownloadFromAnalyzer(user, c.analyzer);
        ASSERT_EQ(user.shown.size(), 1u);
        EXPECT_EQ(user.Texts()[0], "No routes(s) were selected!!");
        EXPECT_EQ(user.shown[0].message.caption, u"Error");
        EXPECT_EQ(user.shown[0].message.icon, MessageIcon::kError);
        EXPECT_FALSE(user.shown[0].message.owned);
        EXPECT_TRUE(user.filters.empty()) << "no file chooser after an empty selection";
    }
}

TEST_F(AnalyzerDownloadTest, CancellingEitherDialogEndsSilently) {
    ui.select = [](std::vector<RouteEntry>&) { return false; };
    EXPECT_EQ(DownloadFromAnalyzer(ui, tkb), TransferOutcome::kCancelled);
    test::FakeUi chooserCancelled;
    EXPECT_EQ(DownloadFromAnalyzer(chooserCancelled, tkb), TransferOutcome::kCancelled);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(chooserCancelled.shown.empty());
    EXPECT_EQ(chooserCancelled.progressOpened, 0);
    EXPECT_FALSE(std::filesystem::exists(pc));
}

TEST_F(AnalyzerDownloadTest, AFailedFolderLeavesNoExportAndAnEarlierOneUntouched) {
    test::WriteFile(exportFile, "yesterday");
    ui.files = {exportFile};
    // The second folder vanishes (the analyzer is pulled out) just as it is to be packed.
    ui.onReport = [&] {
        if (!ui.reports.empty() && ui.reports.back().text == u"R2") {
            std::filesystem::remove_all(drive / "TKBRoute/R2");
        }
    };
    DownloadFromAnalyzer(ui, tkb);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_THAT(ui.Texts()[0], testing::StartsWith("Error saving route(s) into " +
                                                   Shown(exportFile) + "\r\nR2 : "));
    EXPECT_EQ(ui.shown[0].message.caption, u"Tarvek Trailpack");
    EXPECT_EQ(ui.shown[0].message.icon, MessageIcon::kError);
    EXPECT_FALSE(ui.shown[0].progressOpen);
    EXPECT_EQ(test::ReadFile(exportFile), "yesterday");
    EXPECT_EQ(test::NamesIn(pc), std::vector<std::string>{"day.rdx"});
}

TEST_F(AnalyzerDownloadTest, AFullDiskClosesTheStripAndNamesTheCause) {
    test::WriteFile(drive / "TKBRoute/R2/big.bin", test::RandomBytes(256 * 1024, 7));
    test::WriteFile(exportFile, "yesterday");
    ui.files = {exportFile};
    {
        test::FileSizeLimit fullDisk(64 * 1024);
        EXPECT_EQ(DownloadFromAnalyzer(ui, tkb), TransferOutcome::kFailed);
    }
    ASSERT_EQ(ui.shown.size(), 1u);
    // The file struck is named as the user chose it, not as the staged file being written.
    EXPECT_EQ(ui.Texts()[0], "Error saving route(s) into " + Shown(exportFile) +
                                 "\r\n13 : The disk is full.\r\n" + Shown(exportFile));
    EXPECT_FALSE(ui.shown[0].progressOpen);
    EXPECT_EQ(test::ReadFile(exportFile), "yesterday");
    EXPECT_EQ(test::NamesIn(pc), std::vector<std::string>{"day.rdx"});
}

TEST_F(AnalyzerDownloadTest, TheExportIsNeverWrittenInsideAFolderItPacks) {
    const std::filesystem::path inside = drive / "TKBRoute/R2/sub/day.rdx";
    ui.files = {inside};
    EXPECT_EQ(DownloadFromAnalyzer(ui, tkb), TransferOutcome::kFailed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.Texts()[0], "Can't create route file\r\n" + Shown(inside) +
                                 "\r\nThe export file cannot be written inside " +
                                 Shown(drive / "TKBRoute/R2") + ", a folder it packs");
    EXPECT_EQ(ui.progressOpened, 0);
    EXPECT_EQ(test::NamesIn(drive / "TKBRoute/R2"), std::vector<std::string>{"route.dat"});
}

TEST_F(AnalyzerDownloadTest, AnExportThatCannotBeCreatedSaysWhy) {
    ui.files = {folder / "missing/day.rdx"};
    DownloadFromAnalyzer(ui, tkb);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_THAT(ui.Texts()[0], testing::StartsWith("Can't create route file\r\n" +
                                                   Shown(folder / "missing/day.rdx") + "\r\n"));
    EXPECT_EQ(ui.shown[0].message.caption, u"Error");
    EXPECT_EQ(ui.progressOpened, 0);
}

}  // namespace
}  // namespace wl

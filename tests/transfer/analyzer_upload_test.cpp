// The analyzer upload into a drive laid out in a temporary folder, through a scripted user.

#include "transfer/analyzer_upload.h"

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

constexpr const char* kUploaded = "Following routes were uploaded into instrument : \r\n";
constexpr const char* kNotUploaded = "Following routes were NOT uploaded into instrument : \r\n";

class AnalyzerUploadTest : public testing::Test {
  protected:
    AnalyzerUploadTest() { std::filesystem::create_directories(drive); }

    // A route file holding one project per name, each with a file naming it. The names are set
    // after packing, as a route file from elsewhere may carry any.
    std::filesystem::path RouteFile(const std::vector<std::u16string>& names,
                                    const std::filesystem::path& file = {}) {
        const std::filesystem::path target = file.empty() ? folder / "routes.rdi" : file;
        BDL::ContainerFile container;
        EXPECT_TRUE(container.Create(target));
        for (const std::u16string& name : names) {
            const std::filesystem::path source = folder / "src" / std::to_string(counter++);
            test::WriteFile(source / "route.dat", "new " + Utf16ToUtf8(name));
            std::u16string error;
            BDL::Project* project =
                container.AddFolder(u"placeholder", 1, source, nullptr, 0, 100, error);
            EXPECT_NE(project, nullptr) << Utf16ToUtf8(error);
            if (project != nullptr) {
                project->name = name;
            }
        }
        int cause = 0;
        EXPECT_TRUE(container.Finish(cause));
        EXPECT_TRUE(container.Close());
        return target;
    }

    test::TempFolder folder;
    std::filesystem::path drive = folder / "drive/";
    std::filesystem::path routes = drive / "TKBRoute";
    DetectedInstrument tkb{kInstrumentAnalyzerTKB, drive};
    test::FakeUi ui;
    int counter = 0;
};

TEST_F(AnalyzerUploadTest, StoresEachRouteAsAFolderAndListsThem) {
    ui.files = {RouteFile({u"A", u"B"})};
    EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kDone);
    EXPECT_EQ(ui.filters.at(0).description, u"Import (*.rdi)");
    EXPECT_EQ(test::ReadFile(routes / "A/route.dat"), "new A");
    EXPECT_EQ(test::ReadFile(routes / "B/route.dat"), "new B");
    EXPECT_EQ(test::NamesIn(routes), (std::vector<std::string>{"A", "B"}));
    // The work folder of the replacement is gone too.
    EXPECT_EQ(test::NamesIn(drive), std::vector<std::string>{"TKBRoute"});
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.Texts()[0], std::string(kUploaded) + "A\r\nB");
    EXPECT_EQ(ui.shown[0].message.caption, u"Tarvek Trailpack");
    EXPECT_EQ(ui.shown[0].message.icon, MessageIcon::kInformation);
    EXPECT_FALSE(ui.shown[0].progressOpen);
}

TEST_F(AnalyzerUploadTest, AsksBeforeReplacingARouteAndReplacesItWhole) {
    struct Case {
        MessageAnswer answer;
        std::string closing;
        std::vector<std::string> filesOfA;
    };
    const Case cases[] = {
        {MessageAnswer::kNo,
         std::string(kUploaded) + "B\r\n\r\n" + kNotUploaded + "A",
         {"old.dat", "route.dat"}},
        {MessageAnswer::kYes, std::string(kUploaded) + "A\r\nB", {"route.dat"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(routes);
        test::WriteFile(routes / "A/route.dat", "old A");
        test::WriteFile(routes / "A/old.dat", "stale");
        test::FakeUi user;
        user.files = {RouteFile({u"A", u"B"})};
        user.answers = {c.answer};
        EXPECT_EQ(UploadToAnalyzer(user, tkb), c.answer == MessageAnswer::kYes
                                                   ? TransferOutcome::kDone
                                                   : TransferOutcome::kRefused);
        ASSERT_EQ(user.shown.size(), 2u);
        EXPECT_EQ(user.Texts()[0], "Overwrite following route 'A' in instrument?");
        EXPECT_EQ(user.shown[0].message.buttons, MessageButtons::kYesNo);
        EXPECT_EQ(user.shown[0].message.icon, MessageIcon::kQuestion);
        EXPECT_EQ(user.shown[0].message.caption, u"Tarvek Trailpack");
        EXPECT_EQ(user.Texts()[1], c.closing);
        EXPECT_EQ(test::NamesIn(routes / "A"), c.filesOfA);
        EXPECT_EQ(test::ReadFile(routes / "A/route.dat"),
                  c.answer == MessageAnswer::kYes ? "new A" : "old A");
        EXPECT_EQ(test::NamesIn(routes), (std::vector<std::string>{"A", "B"}));
    }
}

TEST_F(AnalyzerUploadTest, AllRefusedShowsOnlyTheRefusedBlock) {
    test::WriteFile(routes / "A/route.dat", "old A");
    test::WriteFile(routes / "B/route.dat", "old B");
    ui.files = {RouteFile({u"A", u"B"})};
    ui.answers = {MessageAnswer::kNo, MessageAnswer::kNo};
    UploadToAnalyzer(ui, tkb);
    EXPECT_EQ(ui.Texts().back(), std::string(kNotUploaded) + "A\r\nB");
    // Both projects were announced at their half, whether or not the first was refused.
    EXPECT_THAT(ui.Positions(), testing::IsSupersetOf({0.0, 50.0}));
}

TEST_F(AnalyzerUploadTest, CreatesAMissingRouteFolderFirst) {
    ui.files = {RouteFile({u"A"})};
    const DetectedInstrument tka{kInstrumentAnalyzerTKA, drive / "TKA"};
    std::filesystem::create_directories(tka.drivePath);
    UploadToAnalyzer(ui, tka);
    EXPECT_EQ(test::ReadFile(drive / "TKA/route/A/route.dat"), "new A");
}

TEST_F(AnalyzerUploadTest, OnlyPlainNamesBecomeFolders) {
    // A route file from elsewhere may carry any name; only one plain name becomes a folder.
    ui.files = {RouteFile({u"..", u"x/y", u"", u".", u"Good"})};
    EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kRefused);
    EXPECT_EQ(test::NamesIn(routes), std::vector<std::string>{"Good"});
    EXPECT_EQ(test::NamesIn(folder.path()),
              (std::vector<std::string>{"drive", "routes.rdi", "src"}));
    EXPECT_EQ(ui.Texts().back(),
              std::string(kUploaded) + "Good\r\n\r\n" + kNotUploaded + "..\r\nx/y\r\n\r\n.");
}

TEST_F(AnalyzerUploadTest, AFailedUnpackKeepsTheOldRouteAndLeavesNoStagingFolder) {
    test::WriteFile(routes / "A/route.dat", "old A");
    ui.answers = {MessageAnswer::kYes};
    // The drive fills up while the new route is being written.
    test::WriteFile(folder / "src/0/big.bin", test::RandomBytes(256 * 1024, 3));
    ui.files = {RouteFile({u"A"})};
    {
        test::FileSizeLimit fullDrive(64 * 1024);
        EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kFailed);
    }
    EXPECT_EQ(test::ReadFile(routes / "A/route.dat"), "old A");
    EXPECT_EQ(test::NamesIn(routes), std::vector<std::string>{"A"});
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_THAT(ui.Texts().back(), testing::StartsWith(std::string(kNotUploaded) + "A : "));
    EXPECT_FALSE(ui.shown.back().progressOpen);
}

TEST_F(AnalyzerUploadTest, AnAnalyzerGoneAfterTheChooserIsLeftAlone) {
    DetectedInstrument live = tkb;
    ui.files = {RouteFile({u"A"})};
    ui.onChoose = [&] { live.kind = kInstrumentNone; };
    EXPECT_EQ(UploadToAnalyzer(ui, live), TransferOutcome::kFailed);
    EXPECT_FALSE(std::filesystem::exists(routes));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.Texts()[0], "Connect instrument...\r\nNo analyzer is connected.");
    EXPECT_EQ(ui.shown[0].message.caption, u"Error");
    EXPECT_EQ(ui.progressOpened, 0);
}

TEST_F(AnalyzerUploadTest, SilentEndings) {
    test::WriteFile(folder / "not-a-container.rdi", "garbage");
    struct Case {
        std::optional<std::filesystem::path> choice;
        // What a script is told where the window says nothing.
        std::vector<std::u16string> told;
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {folder / "not-a-container.rdi",
         {PathToUtf16(folder / "not-a-container.rdi") +
          u": Not a container file: shorter than its 8-byte trailer"}},
        {RouteFile({}), {}},
    };
    for (const Case& c : cases) {
        test::FakeUi user;
        user.files = {c.choice};
        UploadToAnalyzer(user, tkb);
        EXPECT_TRUE(user.shown.empty());
        EXPECT_EQ(user.silentFailures, c.told);
    }
}

// The work folder of a replacement lies beside the route folder, so it never meets a folder of
// the analyzer, whatever the routes are called, and its copies keep the routes' own names.
TEST_F(AnalyzerUploadTest, AnyNameThatFitsAsAFolderIsStoredBesideAnyOtherFolder) {
    const std::string longest(255, 'L');
    const std::vector<std::string> others = {".wayload-new-RA", ".wayload-old-RB",
                                             ".wayload-upload"};
    for (const std::string& other : others) {
        test::WriteFile(routes / other / "theirs.dat", "the analyzer's own");
    }
    test::WriteFile(routes / "RB" / "route.dat", "old RB");
    test::WriteFile(routes / longest / "route.dat", "old L");
    ui.files = {RouteFile({u"RA", u"RB", u".wayload-new-RA", Utf8ToUtf16(longest),
                           Utf8ToUtf16(std::string(254, 'M'))})};
    ui.answers = {MessageAnswer::kYes, MessageAnswer::kYes, MessageAnswer::kYes};
    EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kDone) << ui.Texts().back();
    for (const std::string& name : {std::string("RA"), std::string("RB"), longest,
                                    std::string(254, 'M'), std::string(".wayload-new-RA")}) {
        EXPECT_EQ(test::ReadFile(routes / name / "route.dat"), "new " + name);
    }
    for (const std::string& other : {others[1], others[2]}) {
        EXPECT_EQ(test::ReadFile(routes / other / "theirs.dat"), "the analyzer's own");
    }
    EXPECT_EQ(test::NamesIn(routes / ".wayload-new-RA"), std::vector<std::string>{"route.dat"});
    EXPECT_EQ(test::NamesIn(drive), std::vector<std::string>{"TKBRoute"});
}

// What an upload that was killed or lost its drive left in the work folder: the next upload (and
// the next download) puts it right before anything else.
class InterruptedUploadTest : public AnalyzerUploadTest {
  protected:
    InterruptedUploadTest() {
        // RA was moved aside, but the new RA never took its place.
        test::WriteFile(work / "old" / "RA" / "route.dat", "old RA");
        // RB's new content stands; its old copy was not yet deleted.
        test::WriteFile(routes / "RB" / "route.dat", "new RB");
        test::WriteFile(work / "old" / "RB" / "route.dat", "old RB");
        // RC was being unpacked.
        test::WriteFile(work / "new" / "RC" / "route.dat", "half of RC");
        test::WriteFile(routes / "RC" / "route.dat", "old RC");
    }

    void ExpectPutRight() {
        EXPECT_EQ(test::ReadFile(routes / "RA" / "route.dat"), "old RA");
        EXPECT_EQ(test::ReadFile(routes / "RB" / "route.dat"), "new RB");
        EXPECT_EQ(test::ReadFile(routes / "RC" / "route.dat"), "old RC");
        EXPECT_FALSE(std::filesystem::exists(work));
    }

    std::filesystem::path work = drive / ".wayload-upload";
};

TEST_F(InterruptedUploadTest, TheNextUploadPutsItRight) {
    ui.files = {RouteFile({u"RD"})};
    EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kDone);
    ExpectPutRight();
    EXPECT_EQ(test::NamesIn(routes), (std::vector<std::string>{"RA", "RB", "RC", "RD"}));
}

TEST_F(InterruptedUploadTest, TheNextDownloadPutsItRightAndOffersNoLeftOver) {
    ui.files = {folder / "day.rdx"};
    EXPECT_EQ(DownloadFromAnalyzer(ui, tkb), TransferOutcome::kDone);
    ExpectPutRight();
    std::vector<std::string> offered;
    for (const RouteEntry& entry : ui.offered) {
        offered.push_back(Utf16ToUtf8(entry.name));
    }
    EXPECT_EQ(offered, (std::vector<std::string>{"RA", "RB", "RC"}));
}

// Replacing a route's folder would take the route file being read along with the old route.
TEST_F(AnalyzerUploadTest, TheRouteFileBeingReadIsNeverReplaced) {
    test::WriteFile(routes / "RA" / "route.dat", "old RA");
    const std::filesystem::path inside = routes / "RA" / "routes.rdi";
    ui.files = {RouteFile({u"RA", u"RB"}, inside)};
    const std::string before = test::ReadFile(inside);
    ui.answers = {MessageAnswer::kYes};
    EXPECT_EQ(UploadToAnalyzer(ui, tkb), TransferOutcome::kFailed);
    EXPECT_EQ(test::ReadFile(inside), before);
    EXPECT_EQ(test::ReadFile(routes / "RA" / "route.dat"), "old RA");
    EXPECT_EQ(test::ReadFile(routes / "RB" / "route.dat"), "new RB");
    EXPECT_EQ(ui.Texts().back(), std::string(kUploaded) + "RB\r\n\r\n" + kNotUploaded +
                                     "RA : the route file " + inside.string() +
                                     " lies in this route's folder");
    EXPECT_EQ(ui.shown.back().message.icon, MessageIcon::kError);
}

}  // namespace
}  // namespace wl

// The analyzer upload into a drive laid out in a temporary folder, through a scripted user.

#include "transfer/analyzer_upload.h"

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

    // A route file holding one project per name, each with a file naming it.
    std::filesystem::path RouteFile(const std::vector<std::u16string>& names) {
        const std::filesystem::path file = folder / "routes.rdi";
        BDL::ContainerFile container;
        EXPECT_TRUE(container.Create(file));
        for (const std::u16string& name : names) {
            const std::filesystem::path source = folder / "src" / std::to_string(counter++);
            test::WriteFile(source / "route.dat", "new " + Utf16ToUtf8(name));
            std::u16string error;
            EXPECT_NE(container.AddFolder(name, 1, source, nullptr, 0, 100, error), nullptr)
                << Utf16ToUtf8(error);
        }
        int cause = 0;
        EXPECT_TRUE(container.Finish(cause));
        EXPECT_TRUE(container.Close());
        return file;
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
    const std::optional<std::filesystem::path> choices[] = {
        std::nullopt, folder / "not-a-container.rdi", RouteFile({})};
    for (const auto& choice : choices) {
        test::FakeUi user;
        user.files = {choice};
        UploadToAnalyzer(user, tkb);
        EXPECT_TRUE(user.shown.empty());
    }
}

}  // namespace
}  // namespace wl
